#include "show/ShowRenderer.h"

#include "png/PngWriter.h"
#include "show/ContactSheet.h"
#include "show/ShowFileReader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/stat.h>

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

// Which sheet is open and how far it has come, picture by picture.
class CSheetPages
{
public:
    CSheetPages(CContactSheet& sheet, const CShowRenderer& renderer, std::filesystem::path dir,
                int nZlibLevel)
        : m_sheet(sheet), m_renderer(renderer), m_dir(std::move(dir)), m_writer(nZlibLevel)
    {
    }

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
        const std::string strPath = (m_dir / m_renderer.SheetName(nSheet)).string();
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

} // namespace

CShowRenderer::CShowRenderer(int nPanelWidth, int nPanelHeight, int nPicturesPerSheet, int nZlibLevel)
    : m_nPanelWidth(nPanelWidth), m_nPanelHeight(nPanelHeight), m_nPicturesPerSheet(nPicturesPerSheet),
      m_nZlibLevel(nZlibLevel)
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
    if (m_nPanelWidth > g_nMaxPngSide || m_nPanelHeight > g_nMaxPngSide)
        return CStatus::Error("Cannot render '" + strShow + "': its pictures would be larger than the " +
                              std::to_string(g_nMaxPngSide) + " pixels a side of a PNG this program writes");
    CShowFileReader counter(m_nPanelWidth, m_nPanelHeight, false);
    if (CStatus status = counter.ReadFile(strShow, [&](CShowFilePicture&) { return Stopped(strShow); });
        !status)
    {
        if (CStatus stopped = Stopped(strShow); !stopped)
            return stopped;
        return CStatus::Error(status.Message() + " (read as a " + std::to_string(m_nPanelWidth) + "x" +
                              std::to_string(m_nPanelHeight) + " panel)");
    }
    m_nPictures = counter.PictureCount();
    m_nSheets = CContactSheet(m_nPanelWidth, m_nPanelHeight, m_nPicturesPerSheet).SheetCount(m_nPictures);

    std::error_code error;
    std::filesystem::create_directories(strDir, error);
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
        const std::string strPath = (std::filesystem::path(strDir) / strName).string();
        struct stat fileStat
        {
        };
        if (::lstat(strPath.c_str(), &fileStat) != 0)
            return errno == ENOENT ? CStatus() : ErrnoStatus("write", strPath, errno);
        if (S_ISLNK(fileStat.st_mode))
            return CStatus::Error("Cannot write '" + strPath +
                                  "': it is a symbolic link, and rendering writes through none");
        if (!S_ISREG(fileStat.st_mode))
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
    // Each worker reads the show on its own and draws every nWorkers-th sheet with its pictures;
    // a sheet needs nothing from the one before it but the last picture. More workers than cores
    // keep the cores busy while others wait for their files to reach the disk.
    const size_t nWorkers =
        std::min<size_t>(m_nSheets, 2 * std::max(1U, std::thread::hardware_concurrency()));
    std::mutex mutex;
    CStatus firstFailure;
    std::atomic<bool> bFailed{false};
    {
        std::vector<std::jthread> vecWorkers;
        for (size_t nWorker = 0; nWorker < nWorkers; ++nWorker)
            vecWorkers.emplace_back(
                [&, nWorker]
                {
                    CStatus status = DrawShare(strShow, strDir, nWorker, nWorkers, bFailed);
                    const std::lock_guard lock(mutex);
                    if (!status && !bFailed.exchange(true))
                        firstFailure = std::move(status);
                });
    }
    return firstFailure;
}

CStatus CShowRenderer::DrawShare(const std::string& strShow, const std::string& strDir, size_t nWorker,
                                 size_t nWorkers, const std::atomic<bool>& bFailed) const
{
    const std::filesystem::path dir(strDir);
    CContactSheet sheet(m_nPanelWidth, m_nPanelHeight, m_nPicturesPerSheet);
    CSheetPages pages(sheet, *this, dir, m_nZlibLevel);
    const size_t nPerSheet = static_cast<size_t>(sheet.PicturesPerSheet());
    // After its last sheet a worker stops reading; only the one with the show's last sheet reads on
    // to the end and sees whether the file still ends where it did.
    const size_t nLastSheet = m_nSheets - 1 - (m_nSheets - 1 - nWorker) % nWorkers;
    const CStatus changed =
        CStatus::Error("Cannot read '" + strShow + "': the file changed while it was read");
    const CStatus stop = CStatus::Error("stop");
    bool bStopped = false; // by this worker, without a failure of its own
    size_t nIndex = 0;
    const auto mine = [&](size_t nPicture) { return nPicture / nPerSheet % nWorkers == nWorker; };
    // The picture before a sheet of this worker's is where that sheet's first transition starts.
    const auto leadsIn = [&](size_t nPicture)
    { return !mine(nPicture) && nPicture + 1 < m_nPictures && mine(nPicture + 1); };
    const auto draw = [&](CShowFilePicture& picture)
    {
        if (bFailed)
        {
            bStopped = true;
            return stop;
        }
        if (nIndex >= m_nPictures)
            return changed;
        if (CStatus stopped = Stopped(strShow); !stopped)
            return stopped;
        const size_t nSheet = nIndex / nPerSheet;
        if (!mine(nIndex))
        {
            if (leadsIn(nIndex))
                sheet.Skip(picture);
            ++nIndex;
            return CStatus();
        }
        CStatus status =
            WritePngFile(picture.m_picture, (dir / PictureName(nIndex, m_nPictures)).string(), m_nZlibLevel);
        if (status)
            status = pages.Add(picture, nIndex);
        ++nIndex;
        if (status && nSheet == nLastSheet && nIndex % nPerSheet == 0 && nIndex < m_nPictures)
        {
            bStopped = true;
            return stop;
        }
        return status;
    };
    CShowFileReader reader(m_nPanelWidth, m_nPanelHeight, true);
    reader.RebuildOnly([&](size_t nPicture) { return mine(nPicture) || leadsIn(nPicture); });
    const CStatus status = reader.ReadFile(strShow, draw);
    if (bStopped)
        return {};
    if (!status)
        return status;
    return nIndex == m_nPictures ? CStatus() : changed;
}

} // namespace tramino
