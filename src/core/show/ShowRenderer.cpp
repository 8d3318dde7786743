#include "show/ShowRenderer.h"

#include "platform/Platform.h"
#include "png/PngWriter.h"
#include "show/ContactSheet.h"
#include "show/ShowFileReader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace tramino
{

namespace
{

std::string Numbered(const std::string& strStem, size_t nIndex, size_t nCount)
{
    const std::string strNumber = std::to_string(nIndex + 1);
    const size_t nDigits = std::max<size_t>(3, std::to_string(nCount).size());
    return strStem + "-" + std::string(nDigits - strNumber.size(), '0') + strNumber + ".png";
}

} // namespace

// Which sheet is open and how far it has come, picture by picture.
class CShowRenderer::CSheetPages
{
public:
    CSheetPages(CContactSheet& sheet, const CShowRenderer& renderer, std::filesystem::path dir,
                const CPngOptions& png)
        : m_sheet(sheet), m_renderer(renderer), m_dir(std::move(dir)), m_writer(png)
    {
    }

    int PicturesPerSheet() const { return m_sheet.PicturesPerSheet(); }
    // The picture before the sheet's first: where its first transition starts.
    void LeadIn(const CShowFilePicture& picture) { m_sheet.Skip(picture); }

    CStatus Add(const CShowFilePicture& picture, size_t nIndex)
    {
        const size_t nPerSheet = static_cast<size_t>(m_sheet.PicturesPerSheet());
        const size_t nCount = m_renderer.PictureCount();
        if (nIndex % nPerSheet == 0)
            if (CStatus status = Open(nIndex / nPerSheet, std::min(nPerSheet, nCount - nIndex)); !status)
                return status;
        const CPicture& band = m_sheet.Draw(picture);
        for (int y = 0; y < band.Height(); ++y)
            if (CStatus status = m_writer.WriteRow(band.Row(y)); !status)
                return status;
        if ((nIndex + 1) % nPerSheet == 0 || nIndex + 1 == nCount)
            return m_writer.Finish();
        return {};
    }

private:
    CStatus Open(size_t nSheet, size_t nRows)
    {
        const std::string strPath = platform::Utf8FromPath(m_dir / m_renderer.SheetName(nSheet));
        CStatus status = m_writer.Begin(strPath, m_sheet.Width(), m_sheet.Height(static_cast<int>(nRows)));
        for (int y = 0; status && y < CContactSheet::TopMarginRows(); ++y)
            status = m_writer.WriteRow(m_sheet.BackgroundRow());
        return status;
    }

    CContactSheet& m_sheet;
    const CShowRenderer& m_renderer;
    std::filesystem::path m_dir;
    CPngWriter m_writer;
};

CShowRenderer::CShowRenderer(CPanelSize panel, int nPicturesPerSheet, int nZlibLevel)
    : m_panel(panel), m_nPicturesPerSheet(nPicturesPerSheet), m_png{nZlibLevel, true}
{
}

std::string CShowRenderer::PictureName(size_t nIndex, size_t nCount)
{
    return Numbered("picture", nIndex, nCount);
}

std::string CShowRenderer::SheetName(size_t nIndex) const
{
    return m_nSheets == 1 ? "sheet.png" : Numbered("sheet", nIndex, m_nSheets);
}

CStatus CShowRenderer::Stopped(const std::string& strShow) const
{
    if (m_pbStop == nullptr || !m_pbStop->load())
        return {};
    return CStatus::Error("Cannot render '" + strShow + "': stopped");
}

CStatus CShowRenderer::Render(const std::string& strShow, const std::string& strDir,
                              const std::atomic<bool>* pbStop)
{
    m_nPictures = m_nSheets = 0;
    m_pbStop = pbStop;
    if (m_panel.m_nWidth > g_nMaxPngSide || m_panel.m_nHeight > g_nMaxPngSide)
        return CStatus::Error("Cannot render '" + strShow + "': its pictures would be larger than the " +
                              std::to_string(g_nMaxPngSide) + " pixels a side of a PNG this program writes");
    const auto nPerSheet =
        static_cast<size_t>(CContactSheet(m_panel, m_nPicturesPerSheet).PicturesPerSheet());
    m_vecLeadIns.clear();
    CShowFileReader counter(m_panel.m_nWidth, m_panel.m_nHeight, false);
    const auto count = [&](const CShowFilePicture& picture)
    {
        if (counter.PictureCount() % nPerSheet == 0)
            m_vecLeadIns.push_back(picture.m_nOffset);
        return Stopped(strShow);
    };
    if (CStatus status = counter.ReadFile(strShow, count); !status)
    {
        if (CStatus stopped = Stopped(strShow); !stopped)
            return stopped;
        return CStatus::Error(status.Message() + " (read as a " + PanelSizeText(m_panel, ESizeText::Typed) +
                              " panel)");
    }
    m_nPictures = counter.PictureCount();
    m_nSheets = (m_nPictures + nPerSheet - 1) / nPerSheet;

    std::error_code error;
    std::filesystem::create_directories(platform::PathFromUtf8(strDir), error);
    if (error)
        return ErrnoStatus("create the folder", strDir, error.value());
    if (CStatus status = CheckTargets(strDir); !status)
        return status;
    return Draw(strShow, strDir);
}

CStatus CShowRenderer::CheckTargets(const std::string& strDir) const
{
    const auto check = [&](const std::string& strName)
    {
        const std::string strPath =
            platform::Utf8FromPath(platform::PathFromUtf8(strDir) / platform::PathFromUtf8(strName));
        const platform::CPathStatus fileStat = platform::StatusOf(strPath, false);
        if (fileStat.m_eKind == platform::EFileKind::Missing)
            return fileStat.m_nError == ENOENT ? CStatus() : ErrnoStatus("write", strPath, fileStat.m_nError);
        if (fileStat.m_eKind == platform::EFileKind::Link)
            return CStatus::Error("Cannot write '" + strPath +
                                  "': it is a symbolic link, and rendering writes through none");
        if (fileStat.m_eKind != platform::EFileKind::Regular)
            return CStatus::Error("Cannot write '" + strPath + "': it is not a regular file");
        return CStatus();
    };
    for (size_t i = 0; i < m_nPictures; ++i)
        if (CStatus status = check(PictureName(i, m_nPictures)); !status)
            return status;
    for (size_t i = 0; i < m_nSheets; ++i)
        if (CStatus status = check(SheetName(i)); !status)
            return status;
    return {};
}

CStatus CShowRenderer::Draw(const std::string& strShow, const std::string& strDir)
{
    if (m_nSheets == 0)
        return {};
    // Each worker draws every nWorkers-th sheet with its pictures, reading the file from the picture
    // before the sheet's first: a sheet needs nothing from the one before it but that picture. More
    // workers than cores keep the cores busy while others wait for their files to reach the disk.
    const size_t nWorkers =
        std::min<size_t>(m_nSheets, 2 * std::max(1U, std::thread::hardware_concurrency()));
    std::mutex mutex;
    CStatus firstFailure;
    std::atomic<bool> bFailed{false};
    const auto fail = [&](CStatus status)
    {
        const std::lock_guard lock(mutex);
        if (!bFailed.exchange(true))
            firstFailure = std::move(status);
    };
    {
        std::vector<std::jthread> vecWorkers;
        try
        {
            for (size_t nWorker = 0; nWorker < nWorkers; ++nWorker)
                vecWorkers.emplace_back(
                    [&, nWorker]
                    {
                        CStatus status;
                        try
                        {
                            status = DrawShare(strShow, strDir, nWorker, nWorkers, bFailed);
                        }
                        catch (const std::bad_alloc&) // on this thread nothing else would catch it
                        {
                            status = CStatus::Error("Cannot render '" + strShow + "': not enough memory");
                        }
                        if (!status)
                            fail(std::move(status));
                    });
        }
        catch (const std::system_error& error) // those started stop at their next sheet
        {
            fail(CStatus::Error("Cannot start thread " + std::to_string(vecWorkers.size() + 1) + " of " +
                                std::to_string(nWorkers) + " to render '" + strShow +
                                "' on: " + error.code().message()));
        }
    }
    return firstFailure;
}

CStatus CShowRenderer::DrawShare(const std::string& strShow, const std::string& strDir, size_t nWorker,
                                 size_t nWorkers, const std::atomic<bool>& bFailed) const
{
    CContactSheet sheet(m_panel, m_nPicturesPerSheet);
    const std::filesystem::path dir = platform::PathFromUtf8(strDir);
    CSheetPages pages(sheet, *this, dir, m_png);
    for (size_t nSheet = nWorker; nSheet < m_nSheets && !bFailed; nSheet += nWorkers)
        if (CStatus status = DrawSheet(strShow, dir, nSheet, pages, bFailed); !status)
            return status;
    return {};
}

CStatus CShowRenderer::DrawSheet(const std::string& strShow, const std::filesystem::path& dir, size_t nSheet,
                                 CSheetPages& pages, const std::atomic<bool>& bFailed) const
{
    const auto nPerSheet = static_cast<size_t>(pages.PicturesPerSheet());
    const size_t nFirst = nSheet * nPerSheet;
    const size_t nEnd = std::min(m_nPictures, nFirst + nPerSheet);
    const CShowReadStart start =
        nSheet == 0 ? CShowReadStart{} : CShowReadStart{m_vecLeadIns[nSheet - 1], nFirst - 1};
    CStatus changed = CStatus::Error("Cannot read '" + strShow + "': the file changed while it was read");
    CStatus done = CStatus::Error("done");
    bool bDone = false; // read as far as needed, or another worker failed
    size_t nIndex = start.m_nPicture;
    const auto draw = [&](CShowFilePicture& picture)
    {
        if (bFailed)
        {
            bDone = true;
            return done;
        }
        if (CStatus stopped = Stopped(strShow); !stopped)
            return stopped;
        if (nIndex >= nEnd)
            return changed;
        const size_t nPicture = nIndex++;
        if (nPicture < nFirst)
        {
            pages.LeadIn(picture);
            return CStatus();
        }
        CStatus status = WritePngFile(
            picture.m_picture, platform::Utf8FromPath(dir / PictureName(nPicture, m_nPictures)), m_png);
        if (status)
            status = pages.Add(picture, nPicture);
        // Only the show's last sheet reads on, to see that the file still ends where it did.
        if (status && nIndex == nEnd && nEnd < m_nPictures)
        {
            bDone = true;
            return done;
        }
        return status;
    };
    CShowFileReader reader(m_panel.m_nWidth, m_panel.m_nHeight, true);
    CStatus status = reader.ReadFile(strShow, draw, start);
    if (bDone)
        return {};
    if (reader.Violation())
        return changed;
    if (!status)
        return status;
    return nIndex == nEnd ? CStatus() : changed;
}

} // namespace tramino
