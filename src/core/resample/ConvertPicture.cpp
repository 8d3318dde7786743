#include "resample/ConvertPicture.h"

#include "codec/DecodeMemory.h"
#include "codec/PictureDecoder.h"
#include "resample/StreamingReducer.h"
#include "resample/Stretcher.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

namespace tramino
{

namespace
{

CStatus NamingFile(const CStatus& status, const std::string& strPath)
{
    if (status.Message().find(strPath) != std::string::npos)
        return status;
    return CStatus::Error("Cannot convert '" + strPath + "': " + status.Message());
}

} // namespace

CResult<CPicture> ConvertPictureToPanel(const std::string& strPath, int nPanelWidth, int nPanelHeight,
                                        const CConvertOptions& options)
{
    if (nPanelWidth < 1 || nPanelHeight < 1)
        return CStatus::Error("Cannot convert '" + strPath + "' to an empty panel");
    CDecodeOptions decodeOptions;
    if (options.m_bFast)
    {
        decodeOptions.m_nScaleAboveWidth = nPanelWidth;
        decodeOptions.m_nScaleAboveHeight = nPanelHeight;
    }
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath, decodeOptions);
    if (!reader)
        return NamingFile(reader.Status(), strPath);

    // Decided by the picture's own size and depth class, whatever scale the decoder chose.
    const CPictureInfo& info = reader.Value()->Info();
    const bool bReduce =
        info.m_nBitsPerPixel == 24 && info.m_nFileWidth > nPanelWidth && info.m_nFileHeight > nPanelHeight;
    CResult<CPicture> picture = bReduce ? ReduceRows(*reader.Value(), nPanelWidth, nPanelHeight)
                                        : StretchRows(*reader.Value(), nPanelWidth, nPanelHeight);
    if (!picture)
        return NamingFile(picture.Status(), strPath);
    return picture;
}

uint64_t EstimateConversionBytes(const std::string& strPath, int nPanelWidth, int nPanelHeight)
{
    // The picture (3 bytes a pixel) and the stretcher's sums (12).
    const uint64_t nPanelPixels =
        static_cast<uint64_t>(std::max(0, nPanelWidth)) * static_cast<uint64_t>(std::max(0, nPanelHeight));
    return EstimateDecodeBytes(strPath) + 15 * nPanelPixels;
}

std::vector<CResult<CPicture>>
ConvertPicturesToPanel(const std::vector<std::string>& vecPaths, int nPanelWidth, int nPanelHeight,
                       const CConvertOptions& options, const FnConvertProgress& fnProgress,
                       const std::atomic<bool>* pbCancel, uint64_t nMemoryBudget)
{
    std::vector<std::optional<CResult<CPicture>>> vecResults(vecPaths.size());
    std::atomic<size_t> nNext = 0;
    std::mutex mutexProgress;
    size_t nDone = 0;
    CMemoryBudget budget(nMemoryBudget);
    const auto work = [&]
    {
        for (size_t i = nNext++; i < vecPaths.size(); i = nNext++)
        {
            // Every turn of the budget is taken, a cancelled one with nothing.
            const bool bCancelled = pbCancel && pbCancel->load();
            const CMemoryBudget::CReservation reservation = budget.Reserve(
                i, bCancelled ? 0 : EstimateConversionBytes(vecPaths[i], nPanelWidth, nPanelHeight));
            if (bCancelled)
                continue;
            vecResults[i] = ConvertPictureToPanel(vecPaths[i], nPanelWidth, nPanelHeight, options);
            std::lock_guard lock(mutexProgress);
            ++nDone;
            if (fnProgress)
                fnProgress(nDone, vecPaths.size());
        }
    };

    const size_t nCores = std::max(1u, std::thread::hardware_concurrency());
    const size_t nThreads =
        std::min(options.m_nThreads > 0 ? static_cast<size_t>(options.m_nThreads) : nCores, vecPaths.size());
    std::vector<std::jthread> vecThreads;
    for (size_t t = 1; t < nThreads; ++t)
        vecThreads.emplace_back(work);
    work();
    vecThreads.clear();

    std::vector<CResult<CPicture>> vecOut;
    vecOut.reserve(vecPaths.size());
    for (size_t i = 0; i < vecPaths.size(); ++i)
        vecOut.push_back(vecResults[i] ? std::move(*vecResults[i])
                                       : CResult<CPicture>(CStatus::Error("Conversion of '" + vecPaths[i] +
                                                                          "' was cancelled")));
    return vecOut;
}

} // namespace tramino
