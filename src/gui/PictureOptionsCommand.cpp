#include "PictureOptionsCommand.h"

#include "DocumentUndo.h"
#include "PictureOptionsDlg.h"
#include "ShowWindow.h"

#include "document/DocumentCommands.h"

#include <QFileInfo>
#include <QScreen>
#include <QWidget>

#include <utility>

namespace tramino
{

void CPictureOptionsCommand::Edit(const QList<int>& vecRows)
{
    const CShowDocument& document = m_window.Document();
    if (vecRows.isEmpty() || m_window.IsListBusy() || document.Store() == nullptr ||
        vecRows.constLast() >= document.ImageCount())
    {
        return;
    }
    std::vector<CPictureValues> vecValues;
    vecValues.reserve(static_cast<size_t>(vecRows.size()));
    for (const int nRow : vecRows)
    {
        vecValues.push_back(document.EffectiveValues(nRow));
    }
    const CWindowTexts& texts = m_window.Texts();
    const QString strSubject =
        vecRows.size() == 1
            ? QFileInfo(QString::fromStdString(document.Row(vecRows.constFirst()).m_strText)).fileName()
            : texts.Text(EUiText::OptionsSeveral).arg(vecRows.size());
    CPictureOptionsDlg dlg(texts, strSubject, vecValues, document.Defaults(), PreviewOf(vecRows.constFirst()),
                           &m_window.Widget());
    const QWidget& window = m_window.Widget();
    dlg.PlaceBeside(window, window.screen()->availableGeometry());
    if (dlg.exec() == QDialog::Accepted)
    {
        Apply(vecRows, dlg.Chosen());
    }
}

CPreviewSubject CPictureOptionsCommand::PreviewOf(int nRow)
{
    const CShowDocument& document = m_window.Document();
    const CShowRow& row = document.Row(nRow);
    CPreviewSubject subject{document.Panel(), nullptr, {}, m_window.IsFastImport(), m_window.PanelViewZoom()};
    // Shown as listed until the first conversion is done; a picture of a show file stays so.
    if (CResult<CPicture> picture = document.Store()->Read(nRow))
        subject.m_picture = std::move(picture).Value();
    if (row.m_eSource == ERowSource::ShowPicture)
        return subject;
    subject.m_pConversion = std::make_unique<CRepeatedConversion>(
        row.m_strSource, row.m_eSource == ERowSource::GifFrame ? row.m_nIndex : 0, document.Panel());
    return subject;
}

void CPictureOptionsCommand::Apply(const QList<int>& vecRows, const CPictureValues& chosen)
{
    CShowDocument& document = m_window.Document();
    auto pCommand = std::make_unique<CChangeOptionsCommand>(document);
    const CWindowTexts& texts = m_window.Texts();
    CConversionRun run{
        {}, document.Panel(), texts.Text(EUiText::OptionsConverting), texts.Text(EUiText::OptionsFailed)};
    struct CPending
    {
        RowId m_nId;
        CPictureValues m_overrides;
        int m_nFrames;
    };
    std::vector<CPending> vecPending; // by entry
    for (const int nRow : vecRows)
    {
        const CPictureValues old = document.EffectiveValues(nRow);
        const CPictureValues values = EffectivePictureValues(old, chosen);
        if (values == old)
        {
            continue;
        }
        const CShowRow& row = document.Row(nRow);
        const CPictureValues overrides = OverridesOf(document.Defaults(), values);
        const int nFrames = TakenFrames(row.m_picture, values);
        CConvertOptions options = ConvertOptionsFor(values);
        if (options == ConvertOptionsFor(old))
        {
            // The window's picture stays as it is: the store holds a GIF's first frame either way.
            static_cast<void>(pCommand->Add(row.m_nId, overrides, nFrames, nullptr));
            continue;
        }
        options.m_bFast = m_window.IsFastImport();
        run.m_vecSources.push_back(RowPictureSource(row, options));
        vecPending.push_back({row.m_nId, overrides, nFrames});
    }
    if (!run.m_vecSources.empty())
    {
        m_window.RunConversion(
            std::move(run),
            [&](int nFile, const CResult<CPicture>& result)
            {
                const auto& [nId, overrides, nFrames] = vecPending[static_cast<size_t>(nFile)];
                const CShowRow& row = document.Row(document.PositionOf(nId));
                if (!result)
                {
                    return row.m_eSource == ERowSource::ShowPicture
                               ? CStatus::Error(texts.Text(EUiText::OptionsNoSource)
                                                    .arg(QString::fromStdString(row.m_strText))
                                                    .toStdString())
                               : result.Status();
                }
                return pCommand->Add(nId, overrides, nFrames, &result.Value());
            });
    }
    if (!pCommand->IsEmpty())
    {
        const int nPictures = pCommand->Count();
        m_window.Undo().Push(std::move(pCommand),
                             texts.Text(EUiText::DoOptions).arg(m_window.Undo().Pictures(nPictures)));
    }
}

} // namespace tramino
