// Picture decoding as the import does it: the whole-picture decoder, the row reader and the
// conversion to a panel, all over the same bytes. They must agree with each other, stay inside
// the size limits, and never allocate more than a fixed factor over what the file can hold.
#include "FuzzCheck.h"

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"
#include "codec/PictureRowReader.h"
#include "resample/ConvertPicture.h"

#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace tramino;

namespace
{

constexpr int g_nPanelWidth = 96;
constexpr int g_nPanelHeight = 64;

// The conversion reads a file, as the import does; an in-memory file spares the disk.
const std::string& ScratchPath(const uint8_t* pData, size_t nSize)
{
    static const int hFile = memfd_create("tramino-fuzz-picture", MFD_CLOEXEC);
    static const std::string strPath = "/proc/self/fd/" + std::to_string(hFile);
    FUZZ_CHECK(hFile >= 0, "memfd_create failed");
    FUZZ_CHECK(ftruncate(hFile, 0) == 0, "ftruncate failed");
    FUZZ_CHECK(nSize == 0 || pwrite(hFile, pData, nSize, 0) == static_cast<ssize_t>(nSize), "pwrite failed");
    return strPath;
}

void CheckSize(int nWidth, int nHeight, size_t nFileSize)
{
    FUZZ_CHECK(nWidth > 0 && nHeight > 0, "empty picture reported as decoded");
    FUZZ_CHECK(nWidth <= g_nMaxPictureSide && nHeight <= g_nMaxPictureSide, "side beyond the limit");
    const int64_t nPixels = int64_t{nWidth} * nHeight;
    FUZZ_CHECK(nPixels <= g_nMaxPicturePixels, "picture beyond the pixel limit");
    FUZZ_CHECK(nPixels <= static_cast<int64_t>(nFileSize) * g_nMaxPixelsPerCompressedByte,
               "a small file gave a picture far larger than it can hold");
}

// Every row of the reader must equal the decoded picture's row, each row exactly once.
bool ReadRowsAgainst(CRowReader& reader, const CPicture* pPicture)
{
    const CPictureInfo& info = reader.Info();
    std::vector<uint8_t> vecExpected(static_cast<size_t>(info.m_nWidth) * 3);
    std::vector<bool> vecSeen(static_cast<size_t>(info.m_nHeight));
    const CStatus status = reader.ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            FUZZ_CHECK(y >= 0 && y < info.m_nHeight, "row outside the picture");
            FUZZ_CHECK(!vecSeen[static_cast<size_t>(y)], "row handed out twice");
            vecSeen[static_cast<size_t>(y)] = true;
            if (pPicture)
            {
                DepthRowToRgb(pPicture->BitsPerPixel(), pPicture->Palette(), pPicture->Row(y), info.m_nWidth,
                              vecExpected.data());
                FUZZ_CHECK(std::memcmp(vecExpected.data(), pRgb, vecExpected.size()) == 0,
                           "row reader and decoder disagree on a row");
            }
            return true;
        });
    if (!status)
    {
        FUZZ_CHECK(!status.Message().empty(), "error without a message");
        return false;
    }
    for (bool bSeen : vecSeen)
        FUZZ_CHECK(bSeen, "row reader succeeded without handing out every row");
    return true;
}

// Every frame has the size of the first, and once all of them decoded, the count agrees. A broken
// file may fail in any frame, but not in the first when the whole picture decoded. The pixels
// looked at are capped, since a small file may rightly stand for many large frames.
void CheckFrames(const uint8_t* pData, size_t nSize, bool bPictureOk)
{
    constexpr int64_t g_nMaxPixelsLookedAt = 64LL * 1024 * 1024;
    CDecodeOptions options;
    options.m_crBackground = CRgb{1, 2, 3};
    CResult<std::unique_ptr<CFrameReader>> frames = OpenFrameReaderMemory(pData, nSize, "fuzz", options);
    if (!frames)
        return;
    int nFrames = 0;
    int64_t nPixels = 0;
    int nWidth = 0, nHeight = 0;
    for (; nPixels < g_nMaxPixelsLookedAt; ++nFrames)
    {
        CResult<std::unique_ptr<CRowReader>> frame = frames.Value()->NextFrame();
        if (!frame)
            return;
        if (!frame.Value())
        {
            const CResult<int> count = CountPictureFramesMemory(pData, nSize, "fuzz");
            FUZZ_CHECK(count && count.Value() == nFrames, "frame count disagrees with the frames handed out");
            return;
        }
        const CPictureInfo& info = frame.Value()->Info();
        CheckSize(info.m_nWidth, info.m_nHeight, nSize);
        FUZZ_CHECK(nFrames == 0 || (info.m_nWidth == nWidth && info.m_nHeight == nHeight),
                   "frames of one file differ in size");
        nWidth = info.m_nWidth;
        nHeight = info.m_nHeight;
        nPixels += int64_t{nWidth} * nHeight;
        if (!ReadRowsAgainst(*frame.Value(), nullptr))
        {
            FUZZ_CHECK(nFrames > 0 || !bPictureOk,
                       "the first frame failed to read, though the picture decoded");
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const CResult<CPicture> picture = DecodePictureMemory(pData, nSize, "fuzz");
    if (picture)
        CheckSize(picture.Value().Width(), picture.Value().Height(), nSize);
    else
        FUZZ_CHECK(!picture.Message().empty(), "error without a message");

    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReaderMemory(pData, nSize, "fuzz");
    bool bRowsOk = false;
    if (reader)
    {
        const CPictureInfo& info = reader.Value()->Info();
        CheckSize(info.m_nWidth, info.m_nHeight, nSize);
        if (picture)
        {
            FUZZ_CHECK(info.m_nWidth == picture.Value().Width() && info.m_nHeight == picture.Value().Height(),
                       "row reader and decoder disagree on the size");
            FUZZ_CHECK(info.m_nBitsPerPixel == picture.Value().BitsPerPixel(),
                       "row reader and decoder disagree on the depth class");
        }
        bRowsOk = ReadRowsAgainst(*reader.Value(), picture ? &picture.Value() : nullptr);
    }
    FUZZ_CHECK(bRowsOk == picture.IsOk(), "row reader and decoder disagree on whether the picture is valid");
    CheckFrames(pData, nSize, picture.IsOk());

    // The import's own path; the fast variant lets a JPEG scale while decoding. The picture
    // options vary with the size too.
    CConvertOptions options;
    options.m_bFast = nSize % 2 == 1;
    options.m_eFit = static_cast<EFit>(nSize / 2 % 3);
    options.m_eDither = static_cast<EDither>(nSize / 6 % 3);
    options.m_bAutoOrient = nSize / 18 % 2 == 1;
    const CResult<CPicture> converted =
        ConvertPictureToPanel(ScratchPath(pData, nSize), {g_nPanelWidth, g_nPanelHeight}, options);
    if (converted)
    {
        FUZZ_CHECK(converted.Value().Width() == g_nPanelWidth &&
                       converted.Value().Height() == g_nPanelHeight && converted.Value().BitsPerPixel() == 24,
                   "conversion gave a picture that is not the panel size");
    }
    // A crop stops decoding after its last row, so it does not see damage below it.
    if (!options.m_bFast && options.m_eFit != EFit::Cover)
        FUZZ_CHECK(converted.IsOk() == picture.IsOk(), "conversion and decoder disagree on validity");
    return 0;
}
