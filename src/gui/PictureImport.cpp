#include "PictureImport.h"

#include "DocumentUndo.h"
#include "PathText.h"
#include "ReasonText.h"
#include "ShowWindow.h"

#include "document/DocumentCommands.h"

#include <QFileInfo>

namespace tramino
{

void CPictureImport::Load(const QStringList& vecPaths, int nInsertAt)
{
    CShowDocument& document = m_window.Document();
    const int nCount = document.ImageCount();
    auto pInsert = std::make_unique<CInsertRowsCommand>(
        document, nInsertAt >= 0 && nInsertAt < nCount ? document.Row(nInsertAt).m_nId : 0);
    const CWindowTexts& texts = m_window.Texts();
    CConversionRun run{{},
                       document.Panel(),
                       texts.LangOr(18, "Loading pictures..."),
                       texts.LangOr(17, "These files could not be loaded:")};
    for (const QString& strPath : vecPaths)
    {
        run.m_vecSources.push_back(std::make_unique<CFilePictureSource>(
            CorePath(strPath), CConvertOptions{.m_bFast = m_window.IsFastImport()}));
    }
    m_window.RunConversion(std::move(run),
                           [&](int nFile, const CResult<CPicture>& result)
                           {
                               if (!result)
                               {
                                   return result.Status();
                               }
                               const QString& strPath = vecPaths[nFile];
                               return m_window.ListConverted(
                                   *pInsert, document.PlainFileRow(CorePath(strPath), strPath.toStdString()),
                                   result.Value());
                           });
    if (pInsert->Count() > 0)
    {
        const QString strStep = texts.Text(EUiText::DoLoad).arg(m_window.Undo().Pictures(pInsert->Count()));
        m_window.Undo().Push(std::move(pInsert), strStep, true);
    }
}

void CPictureImport::SplitFrames(int nRow)
{
    CShowDocument& document = m_window.Document();
    const CShowRow gif = document.Row(nRow);
    const CWindowTexts& texts = m_window.Texts();
    CConversionRun run{{},
                       document.Panel(),
                       texts.LangOr(18, "Loading pictures..."),
                       texts.LangOr(17, "These files could not be loaded:"),
                       true};
    std::vector<CShowRow> vecRows;
    const QString strText = QString::fromStdString(gif.m_strText);
    CConvertOptions options = ConvertOptionsFor(document.EffectiveValues(nRow));
    options.m_bFast = m_window.IsFastImport();
    for (int nFrame = 1; nFrame <= gif.m_nFrames; ++nFrame)
    {
        vecRows.push_back(document.FrameRow(
            gif, nFrame, texts.Text(EUiText::ListFrame).arg(strText).arg(nFrame).toStdString()));
        run.m_vecSources.push_back(RowPictureSource(vecRows.back(), options));
    }
    auto pSplit = std::make_unique<CReplaceRowCommand>(document, gif.m_nId);
    const bool bAll =
        m_window.RunConversion(std::move(run),
                               [&](int nFile, const CResult<CPicture>& result)
                               {
                                   if (!result)
                                   {
                                       return result.Status();
                                   }
                                   return m_window.ListConverted(
                                       pSplit->Insert(), vecRows[static_cast<size_t>(nFile)], result.Value());
                               });
    const CStatus status = bAll ? pSplit->Finish() : pSplit->Insert().Undo();
    if (!status)
    {
        m_window.Say(ReasonText(status, texts));
    }
    if (bAll && status)
    {
        m_window.Undo().Push(std::move(pSplit), texts.Text(EUiText::DoSplit), true);
    }
}

void CPictureImport::AddFromShow(const QString& strPath, const std::vector<CShowFilePicture>& vecPictures)
{
    CShowDocument& document = m_window.Document();
    const QString strName = QFileInfo(strPath).fileName();
    auto pInsert = std::make_unique<CInsertRowsCommand>(document, 0);
    for (size_t i = 0; i < vecPictures.size(); ++i)
    {
        const int nIndex = static_cast<int>(i) + 1;
        const QString strText = strName + QStringLiteral(" #") + QString::number(nIndex);
        const CStatus status = m_window.ListConverted(
            *pInsert, document.ShowPictureRow(CorePath(strPath), nIndex, strText.toStdString()),
            vecPictures[i].m_picture);
        if (!status)
        {
            m_window.Say(ReasonText(status, m_window.Texts()));
            break;
        }
    }
    if (pInsert->Count() > 0)
    {
        const QString strStep =
            m_window.Texts().Text(EUiText::DoAddFromShow).arg(m_window.Undo().Pictures(pInsert->Count()));
        m_window.Undo().Push(std::move(pInsert), strStep, true);
    }
}

} // namespace tramino
