#include "PanelChoice.h"

#include "Dialogs.h"
#include "Globals.h"
#include "ImportJob.h"
#include "MainDlg.h"
#include "ProjectActions.h"

#include "project/Project.h"
#include "store/PictureStore.h"

#include <QActionGroup>
#include <QFile>
#include <QMenu>
#include <QTableWidget>

#include <optional>

namespace tramino
{
namespace
{

// The list's pictures converted for another panel, as far as the job got.
class CConversion
{
public:
    CConversion(CMainDlg& dlg, CPictureStore& store, const CPictureStore& oldStore)
        : m_dlg(dlg), m_store(store), m_oldStore(oldStore)
    {
    }

    // Adds the results of pictures nFirst, nFirst + 1 ... to the new store; nothing after a failure.
    void Add(int nFirst, std::vector<CResult<CPicture>>& vecResults, CImportJob& job)
    {
        for (size_t i = 0; i < vecResults.size() && !m_optFailure; ++i)
        {
            const int nRow = nFirst + static_cast<int>(i);
            CResult<CPicture>& picture = vecResults[i];
            if (!picture)
            {
                // Its picture at the old size, brought whole to the new one: nothing is lost.
                picture = ConvertPictureToPanel(m_oldStore.PathOf(nRow), m_store.PanelWidth(),
                                                m_store.PanelHeight());
                m_vecFromOld += m_dlg.ListCtrl()->item(nRow, 0)->text();
            }
            CStatus status = picture ? m_store.Add(picture.Value()) : picture.Status();
            if (!status)
            {
                m_optFailure = std::move(status);
                job.Cancel();
            }
        }
    }

    bool IsComplete() const { return !m_optFailure && m_store.Count() == m_oldStore.Count(); }
    const std::optional<CStatus>& Failure() const { return m_optFailure; }
    const QStringList& FromOld() const { return m_vecFromOld; }

private:
    CMainDlg& m_dlg;
    CPictureStore& m_store;
    const CPictureStore& m_oldStore;
    std::optional<CStatus> m_optFailure;
    QStringList m_vecFromOld; // by their text in the list
};

} // namespace

QString PanelSizeText(CPanelSize panel)
{
    return QStringLiteral("%1 × %2").arg(panel.m_nWidth).arg(panel.m_nHeight);
}

CPanelChoice::CPanelChoice(CMainDlg& dlg) : QObject(&dlg), m_dlg(dlg) {}

void CPanelChoice::AddToMenu(QMenu& menu)
{
    QMenu* pSizes = menu.addMenu(m_dlg.Texts().Text(EUiText::MenuPanelSize));
    pSizes->setEnabled(!m_dlg.IsListBusy());
    auto* pGroup = new QActionGroup(pSizes);
    const CPanelSize current{g_nPanelWidth, g_nPanelHeight};
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

bool CPanelChoice::Choose(CPanelSize panel)
{
    const CPanelSize current{g_nPanelWidth, g_nPanelHeight};
    if (m_dlg.IsListBusy() || panel == current)
    {
        return !m_dlg.IsListBusy();
    }
    const CWindowTexts& texts = m_dlg.Texts();
    const int nPictures = m_dlg.WorkerShared().m_nImageCount.load();
    if (nPictures == 0 || m_dlg.Store() == nullptr)
    {
        m_dlg.AdoptPanel(panel, nullptr);
        return true;
    }
    if (m_dlg.Dialogs().Ask(&m_dlg, m_dlg.windowTitle(),
                            texts.Text(EUiText::PanelAsk).arg(nPictures).arg(PanelSizeText(panel)),
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    {
        return false;
    }
    QStringList vecFromOld;
    std::unique_ptr<CPictureStore> pStore = Convert(panel, vecFromOld);
    if (!pStore)
    {
        return false;
    }
    m_dlg.AdoptPanel(panel, std::move(pStore));
    if (!vecFromOld.isEmpty())
    {
        Say(texts.Text(EUiText::PanelFromOld).arg(PanelSizeText(current)) + QStringLiteral("\n\n") +
                vecFromOld.join(QLatin1Char('\n')),
            EMessageKind::Warning);
    }
    return true;
}

std::unique_ptr<CPictureStore> CPanelChoice::Convert(CPanelSize panel, QStringList& vecFromOld)
{
    const QString strKept =
        QStringLiteral("\n\n") +
        m_dlg.Texts().Text(EUiText::PanelKept).arg(PanelSizeText({g_nPanelWidth, g_nPanelHeight}));
    CResult<CPictureStore> created = m_dlg.CreateStore(panel);
    if (!created)
    {
        Say(QString::fromStdString(created.Message()) + strKept, EMessageKind::Error);
        return nullptr;
    }
    auto pStore = std::make_unique<CPictureStore>(std::move(created).Value());

    QStringList vecPaths;
    std::vector<CConvertOptions> vecOptions;
    for (CShowPlanPicture& picture : PlanShow(m_dlg.ProjectActions().Session().Project()).m_vecPictures)
    {
        vecPaths += QFile::decodeName(picture.m_strPath.c_str());
        picture.m_options.m_bFast = m_dlg.IsFastImport();
        vecOptions.push_back(picture.m_options);
    }
    CImportJob job(vecPaths, panel.m_nWidth, panel.m_nHeight, std::move(vecOptions));
    job.SetGate(m_dlg.ConversionGate());
    CConversion conversion(m_dlg, *pStore, *m_dlg.Store());
    bool bAll = false;
    m_dlg.RunImport(
        job, m_dlg.Texts().Text(EUiText::PanelConverting).arg(PanelSizeText(panel)),
        static_cast<int>(vecPaths.size()),
        [&conversion, &job](int nFirst, std::vector<CResult<CPicture>>& vecResults)
        { conversion.Add(nFirst, vecResults, job); },
        [&bAll](bool bRanToEnd) { bAll = bRanToEnd; });
    if (conversion.Failure())
    {
        Say(QString::fromStdString(conversion.Failure()->Message()) + strKept, EMessageKind::Error);
    }
    if (bAll && conversion.IsComplete())
    {
        vecFromOld = conversion.FromOld();
        return pStore;
    }
    if (const CStatus status = pStore->Close(); !status)
    {
        Say(QString::fromStdString(status.Message()), EMessageKind::Error);
    }
    return nullptr;
}

void CPanelChoice::Say(const QString& strText, EMessageKind eKind) const
{
    m_dlg.Dialogs().ShowMessage(&m_dlg, m_dlg.windowTitle(), strText, eKind);
}

} // namespace tramino
