#include "PictureOptionsCommand.h"

#include "Globals.h"
#include "MainDlg.h"
#include "PanelCanvas.h"
#include "PictureOptionsDlg.h"
#include "ProjectActions.h"

#include "store/PictureStore.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTableWidget>

#include <utility>

namespace tramino
{
namespace
{

// A picture added from a show file is listed under the show's path and its place there.
bool IsFromShow(const QString& strPath)
{
    static const QRegularExpression s_reShowPicture(QStringLiteral("\\.qrv #\\d+$"),
                                                    QRegularExpression::CaseInsensitiveOption);
    return s_reShowPicture.match(strPath).hasMatch();
}

} // namespace

void CPictureOptionsCommand::Edit(const QList<int>& vecRows)
{
    const CProject& project = m_dlg.ProjectActions().Session().Project();
    if (vecRows.isEmpty() || m_dlg.IsListBusy() || m_dlg.Store() == nullptr ||
        static_cast<size_t>(vecRows.constLast()) >= project.m_vecPictures.size())
    {
        return;
    }
    std::vector<CPictureValues> vecValues;
    vecValues.reserve(static_cast<size_t>(vecRows.size()));
    for (const int nRow : vecRows)
    {
        vecValues.push_back(project.EffectiveValues(static_cast<size_t>(nRow)));
    }
    const CWindowTexts& texts = m_dlg.Texts();
    const QString strSubject =
        vecRows.size() == 1 ? QFileInfo(m_dlg.ListCtrl()->item(vecRows.constFirst(), 0)->text()).fileName()
                            : texts.Text(EUiText::OptionsSeveral).arg(vecRows.size());
    CPictureOptionsDlg dlg(texts, strSubject, vecValues, project.m_defaults, &m_dlg);
    if (dlg.exec() == QDialog::Accepted)
    {
        Apply(vecRows, dlg.Chosen());
    }
}

void CPictureOptionsCommand::Apply(const QList<int>& vecRows, const CPictureValues& chosen)
{
    CProjectSession& session = m_dlg.ProjectActions().Session();
    QStringList vecPaths;
    std::vector<CConvertOptions> vecOptions;
    std::vector<std::pair<int, CPictureValues>> vecPending; // row and new values, by file
    for (const int nRow : vecRows)
    {
        const CPictureValues old = session.Project().EffectiveValues(static_cast<size_t>(nRow));
        CPictureValues values = EffectivePictureValues(old, chosen);
        if (values == old)
        {
            continue;
        }
        CConvertOptions options = ConvertOptionsFor(values);
        if (options == ConvertOptionsFor(old))
        {
            // The window's picture stays as it is (GIF frames are the build's matter).
            session.SetValues(static_cast<size_t>(nRow), values);
            continue;
        }
        options.m_bFast = m_dlg.IsFastImport();
        vecPaths += QFile::decodeName(
            session.Project().m_vecPictures[static_cast<size_t>(nRow)].m_path.m_path.c_str());
        vecOptions.push_back(options);
        vecPending.emplace_back(nRow, std::move(values));
    }
    m_dlg.ProjectActions().UpdateTitle();
    if (vecPaths.isEmpty())
    {
        return;
    }
    const CWindowTexts& texts = m_dlg.Texts();
    m_dlg.RunConversion(
        vecPaths, std::move(vecOptions), texts.Text(EUiText::OptionsConverting),
        texts.Text(EUiText::OptionsFailed),
        [&](int nFile, const CResult<CPicture>& result)
        {
            const auto& [nRow, values] = vecPending[static_cast<size_t>(nFile)];
            if (!result)
            {
                return IsFromShow(vecPaths[nFile])
                           ? CStatus::Error(
                                 texts.Text(EUiText::OptionsNoSource).arg(vecPaths[nFile]).toStdString())
                           : result.Status();
            }
            // The store first: when it refuses, the picture and its options stay together.
            if (CStatus status = m_dlg.Store()->Replace(nRow, result.Value()); !status)
            {
                return status;
            }
            session.SetValues(static_cast<size_t>(nRow), values);
            m_dlg.ProjectActions().UpdateTitle();
            if (nRow == g_nShownImage.load() && m_dlg.IsRefreshTimerActive())
            {
                m_dlg.PreviewWindow()->DrawPicture(result.Value());
            }
            return CStatus();
        });
}

} // namespace tramino
