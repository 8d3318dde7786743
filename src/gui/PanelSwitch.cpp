#include "PanelSwitch.h"

#include "DocumentUndo.h"
#include "ReasonText.h"
#include "ShowWindow.h"

#include "document/DocumentCommands.h"

#include <QActionGroup>
#include <QMenu>
#include <QWidget>

namespace tramino
{

QString PanelSizeText(CPanelSize panel)
{
    return QString::fromStdString(PanelSizeText(panel, ESizeText::Times));
}

CPanelSwitch::CPanelSwitch(IShowWindow& window) : QObject(&window.Widget()), m_window(window) {}

void CPanelSwitch::AddToMenu(QMenu& menu)
{
    QMenu* pSizes = menu.addMenu(m_window.Texts().Text(EUiText::MenuPanelSize));
    pSizes->setEnabled(!m_window.IsListBusy());
    auto* pGroup = new QActionGroup(pSizes);
    const CPanelSize current = m_window.Document().Panel();
    for (const CPanelSize panel : g_arrPanelSizes)
    {
        QAction* pAction = pSizes->addAction(PanelSizeText(panel));
        pAction->setCheckable(true);
        pAction->setChecked(panel == current);
        pGroup->addAction(pAction);
        // Once the menu has closed, so that the question and the progress stand on their own.
        connect(
            pAction, &QAction::triggered, this, [this, panel] { Choose(panel); }, Qt::QueuedConnection);
    }
}

bool CPanelSwitch::Choose(CPanelSize panel)
{
    CShowDocument& document = m_window.Document();
    const CPanelSize current = document.Panel();
    if (m_window.IsListBusy() || panel == current)
    {
        return !m_window.IsListBusy();
    }
    const CWindowTexts& texts = m_window.Texts();
    const QString strStep = texts.Text(EUiText::DoPanel).arg(PanelSizeText(panel));
    const int nPictures = document.ImageCount();
    if (nPictures == 0 || document.Store() == nullptr)
    {
        return m_window.Undo().Push(std::make_unique<CPanelCommand>(document, panel, nullptr), strStep);
    }
    QWidget& widget = m_window.Widget();
    if (m_window.Dialogs().Ask(&widget, widget.windowTitle(),
                               texts.Text(EUiText::PanelAsk).arg(nPictures).arg(PanelSizeText(panel)),
                               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    {
        return false;
    }
    QStringList vecFromOld;
    std::unique_ptr<CPictureStore> pStore = Convert(panel, vecFromOld);
    if (!pStore ||
        !m_window.Undo().Push(std::make_unique<CPanelCommand>(document, panel, std::move(pStore)), strStep))
    {
        return false;
    }
    if (!vecFromOld.isEmpty())
    {
        m_window.Say(texts.Text(EUiText::PanelFromOld).arg(PanelSizeText(current)) + QStringLiteral("\n\n") +
                         vecFromOld.join(QLatin1Char('\n')),
                     EMessageKind::Warning);
    }
    return true;
}

std::unique_ptr<CPictureStore> CPanelSwitch::Convert(CPanelSize panel, QStringList& vecFromOld)
{
    CShowDocument& document = m_window.Document();
    const CWindowTexts& texts = m_window.Texts();
    const QString strKept = texts.Text(EUiText::PanelKept).arg(PanelSizeText(document.Panel()));
    CResult<CPictureStore> created = document.CreateStore(panel);
    if (!created)
    {
        m_window.Say(ReasonText(created.Status(), texts) + QStringLiteral("\n\n") + strKept);
        return nullptr;
    }
    auto pStore = std::make_unique<CPictureStore>(std::move(created).Value());

    // Row for row, by identity: the list stays as it is while the document is busy converting.
    CConversionRun run{
        {}, panel, texts.Text(EUiText::PanelConverting).arg(PanelSizeText(panel)), strKept, true};
    std::vector<RowId> vecIds;
    for (int i = 0; i < document.ImageCount(); ++i)
    {
        CConvertOptions options = ConvertOptionsFor(document.EffectiveValues(i));
        options.m_bFast = m_window.IsFastImport();
        run.m_vecSources.push_back(RowPictureSource(document.Row(i), options));
        vecIds.push_back(document.Row(i).m_nId);
    }
    const CPictureStore& oldStore = *document.Store();
    const bool bAll = m_window.RunConversion(
        std::move(run),
        [&](int nFile, const CResult<CPicture>& result)
        {
            const int nRow = document.PositionOf(vecIds[static_cast<size_t>(nFile)]);
            if (nRow != pStore->Count())
            {
                return CStatus::Error("The list changed while its pictures were being converted");
            }
            if (result)
            {
                return pStore->Add(result.Value());
            }
            // Its picture at the old size, brought whole to the new one: nothing is lost.
            const CResult<CPicture> fromOld = ConvertPictureToPanel(oldStore.PathOf(nRow), panel);
            vecFromOld += QString::fromStdString(document.Row(nRow).m_strText);
            return fromOld ? pStore->Add(fromOld.Value()) : fromOld.Status();
        });
    if (bAll && pStore->Count() == document.ImageCount())
    {
        return pStore;
    }
    if (const CStatus status = pStore->Close(); !status)
    {
        m_window.Say(ReasonText(status, m_window.Texts()));
    }
    return nullptr;
}

} // namespace tramino
