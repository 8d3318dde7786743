#include "resample/ConvertPicture.h"

#include "codec/DecodeMemory.h"
#include "codec/PictureDecoder.h"
#include "resample/Orientation.h"
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

// As a file of the reader's picture would be converted to nWidth x nHeight; decided by the
// picture's own size and depth class, whatever scale the decoder chose.
CResult<CPicture> ConvertRows(CRowReader& reader, int nWidth, int nHeight)
{
    const CPictureInfo& info = reader.Info();
    const bool bReduce =
        info.m_nBitsPerPixel == 24 && info.m_nFileWidth > nWidth && info.m_nFileHeight > nHeight;
    return bReduce ? ReduceRows(reader, nWidth, nHeight) : StretchRows(reader, nWidth, nHeight);
}

CPicture Background(int nWidth, int nHeight, CRgb cr)
{
    CPicture picture(nWidth, nHeight, 24);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            picture.SetPixel(x, y, cr);
    return picture;
}

CResult<CPicture> Contain(CRowReader& reader, int nPanelWidth, int nPanelHeight,
                          const CConvertOptions& options)
{
    const CPictureInfo& info = reader.Info();
    const CRect rc =
        ContainRect(info.m_nFileWidth, info.m_nFileHeight, nPanelWidth, nPanelHeight, options.m_eGravity);
    CResult<CPicture> picture = ConvertRows(reader, rc.m_nWidth, rc.m_nHeight);
    if (!picture)
        return picture;
    CPicture panel = Background(nPanelWidth, nPanelHeight, options.m_crBackground);
    for (int y = 0; y < rc.m_nHeight; ++y)
        std::copy_n(picture.Value().Row(y), picture.Value().RowBytes(), panel.Row(rc.m_nY + y) + 3 * rc.m_nX);
    return panel;
}

CResult<CPicture> Cover(std::unique_ptr<CRowReader> pReader, int nPanelWidth, int nPanelHeight,
                        EGravity eGravity)
{
    const CPictureInfo info = pReader->Info();
    // The file's crop decides between reduction and stretch; the same crop of the rows the
    // decoder hands out (smaller ones when it scales) is what gets converted.
    const CRect rcFile =
        CoverCrop(info.m_nFileWidth, info.m_nFileHeight, nPanelWidth, nPanelHeight, eGravity);
    const CRect rcRows = CoverCrop(info.m_nWidth, info.m_nHeight, nPanelWidth, nPanelHeight, eGravity);
    const std::unique_ptr<CRowReader> pCrop =
        CropRows(std::move(pReader), rcRows, rcFile.m_nWidth, rcFile.m_nHeight);
    return ConvertRows(*pCrop, nPanelWidth, nPanelHeight);
}

CResult<CPicture> Fit(std::unique_ptr<CRowReader> pReader, int nPanelWidth, int nPanelHeight,
                      const CConvertOptions& options)
{
    switch (options.m_eFit)
    {
    case EFit::Contain:
        return Contain(*pReader, nPanelWidth, nPanelHeight, options);
    case EFit::Cover:
        return Cover(std::move(pReader), nPanelWidth, nPanelHeight, options.m_eGravity);
    case EFit::Stretch:
        break;
    }
    return ConvertRows(*pReader, nPanelWidth, nPanelHeight);
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
        // Still larger than any target of the fit, whichever way the photo turns.
        const int nLonger = std::max(nPanelWidth, nPanelHeight);
        decodeOptions.m_nScaleAboveWidth = options.m_bAutoOrient ? nLonger : nPanelWidth;
        decodeOptions.m_nScaleAboveHeight = options.m_bAutoOrient ? nLonger : nPanelHeight;
    }
    // Where the decoder composes transparent pixels, they go over options.m_crBackground.
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath, decodeOptions);
    if (!reader)
        return NamingFile(reader.Status(), strPath);
    std::unique_ptr<CRowReader> pReader = std::move(reader).Value();
    if (options.m_bAutoOrient)
    {
        const int nOrientation = pReader->Info().m_nOrientation;
        pReader = OrientRows(std::move(pReader), nOrientation);
    }
    CResult<CPicture> picture = Fit(std::move(pReader), nPanelWidth, nPanelHeight, options);
    if (!picture)
        return NamingFile(picture.Status(), strPath);
    DitherToPanel(picture.Value(), options.m_eDither);
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
