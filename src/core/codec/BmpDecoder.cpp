#include "codec/BmpDecoder.h"

#include "codec/PictureRowReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tramino
{

namespace
{

// Values of the compression field.
constexpr uint32_t g_nBiRgb = 0;
constexpr uint32_t g_nBiRle8 = 1;
constexpr uint32_t g_nBiRle4 = 2;
constexpr uint32_t g_nBiBitFields = 3; // Huffman 1D in OS/2 files
constexpr uint32_t g_nBiJpeg = 4;      // RLE24 in OS/2 files
constexpr uint32_t g_nBiPng = 5;
constexpr uint32_t g_nBiAlphaBitFields = 6;

constexpr size_t g_nFileHeaderBytes = 14;
constexpr size_t g_nMaxHeaderBytes = g_nFileHeaderBytes + 124 + 16;

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// One colour channel of a 16 or 32-bit pixel, scaled to 8 bits through a table.
struct SChannel
{
    int nShift = 0;
    uint32_t nMaxValue = 0; // 0: channel absent
    std::vector<uint8_t> vecLevel;

    // Masks wider than 16 bits keep their top 16, which is plenty for 8-bit output.
    bool Init(uint32_t nMask)
    {
        if (nMask == 0)
            return true;
        nShift = std::countr_zero(nMask);
        const uint32_t nValues = nMask >> nShift;
        if ((nValues & (nValues + 1)) != 0)
            return false; // not contiguous
        int nBits = std::popcount(nValues);
        if (nBits > 16)
        {
            nShift += nBits - 16;
            nBits = 16;
        }
        nMaxValue = (1u << nBits) - 1;
        vecLevel.resize(nMaxValue + 1);
        for (uint32_t v = 0; v <= nMaxValue; ++v)
            vecLevel[v] = static_cast<uint8_t>((v * 255 + nMaxValue / 2) / nMaxValue);
        return true;
    }
    uint8_t Get(uint32_t nPixel, uint8_t nAbsent) const
    {
        return nMaxValue ? vecLevel[(nPixel >> nShift) & nMaxValue] : nAbsent;
    }
};

struct SBmpLayout
{
    int nWidth = 0;
    int nHeight = 0;
    bool bTopDown = false;
    int nStoredBits = 0;
    uint32_t nCompression = g_nBiRgb;
    int nDepthClass = 24;
    bool bAlpha = false;
    bool bPlain32 = false; // 32 bits as blue, green, red, alpha-or-unused bytes
    SChannel channels[4];  // red, green, blue, alpha
    std::vector<CRgb> vecPalette;
    uint64_t nPixelOffset = 0;
    uint64_t nStride = 0;

    bool IsRle() const { return nCompression == g_nBiRle8 || nCompression == g_nBiRle4; }
};

CStatus CheckCompression(const std::string& strName, uint32_t nCompression, int nBits, bool bOs2v2)
{
    if (bOs2v2 && nCompression == g_nBiBitFields)
        return DecodeError(strName, "OS/2 BMP with Huffman compression is not supported");
    if (bOs2v2 && nCompression == g_nBiJpeg)
        return DecodeError(strName, "OS/2 BMP with RLE24 compression is not supported");
    if (nCompression == g_nBiJpeg)
        return DecodeError(strName, "BMP with embedded JPEG is not supported");
    if (nCompression == g_nBiPng)
        return DecodeError(strName, "BMP with embedded PNG is not supported");
    if (nCompression > g_nBiAlphaBitFields)
        return DecodeError(strName, "BMP compression " + std::to_string(nCompression) + " is not supported");
    const bool bFits = (nCompression == g_nBiRgb && (nBits == 1 || nBits == 2 || nBits == 4 || nBits == 8 ||
                                                     nBits == 16 || nBits == 24 || nBits == 32)) ||
                       (nCompression == g_nBiRle8 && nBits == 8) ||
                       (nCompression == g_nBiRle4 && nBits == 4) ||
                       ((nCompression == g_nBiBitFields || nCompression == g_nBiAlphaBitFields) &&
                        (nBits == 16 || nBits == 32));
    if (!bFits)
        return DecodeError(strName, "BMP of " + std::to_string(nBits) + " bits per pixel with compression " +
                                        std::to_string(nCompression) + " is not supported");
    return {};
}

// Bit-field masks: from the header itself (52 bytes and more), after a 40-byte header, or the defaults.
CStatus ReadMasks(const std::string& strName, const uint8_t* pHeader, size_t nHeaderSize, size_t nRead,
                  SBmpLayout& layout, size_t& nMaskBytes)
{
    uint32_t masks[4] = {0, 0, 0, 0};
    if (layout.nStoredBits == 16)
    {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    else
    {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    nMaskBytes = 0;
    if (layout.nCompression == g_nBiBitFields || layout.nCompression == g_nBiAlphaBitFields)
    {
        const size_t nCount = layout.nCompression == g_nBiAlphaBitFields || nHeaderSize >= 56 ? 4 : 3;
        if (nHeaderSize == 40)
            nMaskBytes = nCount * 4;
        if (g_nFileHeaderBytes + 40 + nCount * 4 > nRead)
            return DecodeError(strName, "BMP bit-field masks are missing (file too short)",
                               EReason::Truncated);
        for (size_t i = 0; i < nCount; ++i)
            masks[i] = U32(pHeader + 40 + 4 * i);
    }
    const uint32_t nLimit = layout.nStoredBits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i)
        if ((masks[i] & ~nLimit) != 0 || !layout.channels[i].Init(masks[i]))
            return DecodeError(strName, "BMP bit-field masks are invalid");
    layout.bAlpha = masks[3] != 0;
    layout.bPlain32 = layout.nStoredBits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 &&
                      masks[2] == 0xFF && (masks[3] == 0 || masks[3] == 0xFF000000u);
    return {};
}

CStatus ReadPalette(CByteSource& source, uint64_t nStart, size_t nEntryBytes, uint32_t nColoursUsed,
                    SBmpLayout& layout)
{
    const uint32_t nMax = 1u << layout.nStoredBits;
    uint64_t nCount = nColoursUsed == 0 || nColoursUsed > nMax ? nMax : nColoursUsed;
    // Short palettes end where the pixels begin.
    nCount = std::min<uint64_t>(nCount, (layout.nPixelOffset - nStart) / nEntryBytes);
    std::vector<uint8_t> vecRaw(static_cast<size_t>(nCount) * nEntryBytes);
    if (!source.Seek(nStart) || source.Read(vecRaw.data(), vecRaw.size()) != vecRaw.size())
        return source.ReadError().IsOk()
                   ? DecodeError(source.Name(), "BMP colour table is truncated", EReason::Truncated)
                   : source.ReadError();
    layout.vecPalette.resize(static_cast<size_t>(nCount));
    for (size_t i = 0; i < layout.vecPalette.size(); ++i)
    {
        const uint8_t* p = vecRaw.data() + i * nEntryBytes;
        layout.vecPalette[i] = CRgb{p[2], p[1], p[0]};
    }
    return {};
}

CStatus CheckPixelData(const std::string& strName, uint64_t nFileSize, const SBmpLayout& layout)
{
    const uint64_t nPresent = nFileSize - layout.nPixelOffset;
    const uint64_t nPixels = static_cast<uint64_t>(layout.nWidth) * static_cast<uint64_t>(layout.nHeight);
    if (layout.IsRle())
    {
        if (nPixels > nPresent * g_nMaxPixelsPerCompressedByte)
            return DecodeError(strName,
                               "BMP RLE data is too short for a picture of " + std::to_string(layout.nWidth) +
                                   " x " + std::to_string(layout.nHeight) + " pixels",
                               EReason::Truncated);
        return {};
    }
    // The last row may lack its padding.
    const uint64_t nLastRow = (static_cast<uint64_t>(layout.nWidth) * layout.nStoredBits + 7) / 8;
    const uint64_t nNeeded = layout.nStride * static_cast<uint64_t>(layout.nHeight - 1) + nLastRow;
    if (nNeeded > nPresent)
        return DecodeError(strName,
                           "BMP pixel data is truncated (" + std::to_string(nNeeded) + " bytes needed, " +
                               std::to_string(nPresent) + " present)",
                           EReason::Truncated);
    return {};
}

CResult<SBmpLayout> ParseHeader(CByteSource& source)
{
    const std::string& strName = source.Name();
    uint8_t header[g_nMaxHeaderBytes] = {};
    const size_t nRead = source.Read(header, sizeof(header));
    if (!source.ReadError().IsOk())
        return source.ReadError();
    if (nRead < g_nFileHeaderBytes + 16 || header[0] != 'B' || header[1] != 'M')
        return DecodeError(strName, "BMP header is truncated", EReason::Truncated);
    const uint32_t nPixelOffset = U32(header + 10);
    const uint8_t* pInfo = header + g_nFileHeaderBytes;
    const uint32_t nInfoSize = U32(pInfo);
    static constexpr uint32_t g_vecKnownSizes[] = {12, 16, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(g_vecKnownSizes), std::end(g_vecKnownSizes), nInfoSize) ==
        std::end(g_vecKnownSizes))
        return DecodeError(strName, "BMP header of " + std::to_string(nInfoSize) + " bytes is not supported");
    if (g_nFileHeaderBytes + nInfoSize > nRead)
        return DecodeError(strName, "BMP header is truncated", EReason::Truncated);

    SBmpLayout layout;
    int64_t nWidth = 0;
    int64_t nHeight = 0;
    uint32_t nColoursUsed = 0;
    if (nInfoSize == 12)
    {
        nWidth = U16(pInfo + 4);
        nHeight = U16(pInfo + 6);
        layout.nStoredBits = U16(pInfo + 10);
    }
    else
    {
        nWidth = static_cast<int32_t>(U32(pInfo + 4));
        nHeight = static_cast<int32_t>(U32(pInfo + 8));
        layout.nStoredBits = U16(pInfo + 14);
        layout.nCompression = nInfoSize >= 20 ? U32(pInfo + 16) : g_nBiRgb;
        nColoursUsed = nInfoSize >= 36 ? U32(pInfo + 32) : 0;
    }
    if (CStatus status = CheckCompression(strName, layout.nCompression, layout.nStoredBits,
                                          nInfoSize == 16 || nInfoSize == 64);
        !status)
        return status;
    layout.bTopDown = nHeight < 0;
    nHeight = layout.bTopDown ? -nHeight : nHeight;
    if (CStatus status = CheckPictureSize(strName, nWidth, nHeight); !status)
        return status;
    if (layout.bTopDown && layout.IsRle())
        return DecodeError(strName, "top-down BMP cannot be RLE-compressed");
    layout.nWidth = static_cast<int>(nWidth);
    layout.nHeight = static_cast<int>(nHeight);
    layout.nStride = (static_cast<uint64_t>(layout.nWidth) * layout.nStoredBits + 31) / 32 * 4;

    size_t nMaskBytes = 0;
    if (layout.nStoredBits == 16 || layout.nStoredBits == 32)
        if (CStatus status = ReadMasks(strName, pInfo, nInfoSize, nRead, layout, nMaskBytes); !status)
            return status;
    layout.nDepthClass = layout.nStoredBits == 16 && layout.bAlpha ? 32 : layout.nStoredBits;

    const uint64_t nTableStart = g_nFileHeaderBytes + nInfoSize + nMaskBytes;
    layout.nPixelOffset = nPixelOffset;
    if (layout.nPixelOffset < nTableStart || layout.nPixelOffset > source.Size())
        return DecodeError(strName, "BMP pixel data offset " + std::to_string(nPixelOffset) + " is invalid");
    if (CStatus status = CheckPixelData(strName, source.Size(), layout); !status)
        return status;
    if (layout.nStoredBits <= 8)
        if (CStatus status = ReadPalette(source, nTableStart, nInfoSize == 12 ? 3 : 4, nColoursUsed, layout);
            !status)
            return status;
    return layout;
}

// Blue, green, red to red, green, blue. With SSE2, 5 pixels at a time: within 16 bytes each first
// byte of a pixel takes the one 2 further on, each last byte the one 2 before; the 16th byte,
// already the next pixel's, is written again by the next step.
void SwapRedAndBlue(const uint8_t* pBgr, size_t nCount, uint8_t* pRgb)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i nFirst = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i nMiddle = _mm_slli_si128(nFirst, 1);
    const __m128i nLast = _mm_slli_si128(nFirst, 2);
    for (; 3 * i + 16 <= 3 * nCount; i += 5)
    {
        const __m128i bgr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pBgr + 3 * i));
        const __m128i rgb = _mm_or_si128(
            _mm_or_si128(_mm_and_si128(_mm_srli_si128(bgr, 2), nFirst), _mm_and_si128(bgr, nMiddle)),
            _mm_and_si128(_mm_slli_si128(bgr, 2), nLast));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pRgb + 3 * i), rgb);
    }
#endif
    for (; i < nCount; ++i)
    {
        pRgb[3 * i] = pBgr[3 * i + 2];
        pRgb[3 * i + 1] = pBgr[3 * i + 1];
        pRgb[3 * i + 2] = pBgr[3 * i];
    }
}

void UnpackDirect(const SBmpLayout& layout, const uint8_t* pRaw, uint8_t* pOut)
{
    const int nWidth = layout.nWidth;
    if (layout.nStoredBits == 24)
    {
        SwapRedAndBlue(pRaw, static_cast<size_t>(nWidth), pOut);
        return;
    }
    if (layout.bPlain32)
    {
        for (int x = 0; x < nWidth; ++x, pRaw += 4, pOut += 4)
        {
            pOut[0] = pRaw[2];
            pOut[1] = pRaw[1];
            pOut[2] = pRaw[0];
            pOut[3] = layout.bAlpha ? pRaw[3] : 255;
        }
        return;
    }
    const bool bAlpha = layout.nDepthClass == 32;
    const SChannel* ch = layout.channels;
    for (int x = 0; x < nWidth; ++x, pOut += bAlpha ? 4 : 3)
    {
        const uint32_t nPixel = layout.nStoredBits == 16 ? U16(pRaw + 2 * x) : U32(pRaw + 4 * x);
        pOut[0] = ch[0].Get(nPixel, 0);
        pOut[1] = ch[1].Get(nPixel, 0);
        pOut[2] = ch[2].Get(nPixel, 0);
        if (bAlpha)
            pOut[3] = ch[3].Get(nPixel, 255);
    }
}

// A stored row into the depth-class layout of CPicture.
void UnpackRow(const SBmpLayout& layout, const uint8_t* pRaw, uint8_t* pOut)
{
    const int nBits = layout.nStoredBits;
    if (nBits == 8)
        std::memcpy(pOut, pRaw, static_cast<size_t>(layout.nWidth));
    else if (nBits < 8)
    {
        const int nPerByte = 8 / nBits;
        const unsigned nMask = (1u << nBits) - 1;
        for (int x = 0; x < layout.nWidth; ++x)
        {
            const int nShift = 8 - nBits * (x % nPerByte + 1);
            pOut[x] = static_cast<uint8_t>((pRaw[x / nPerByte] >> nShift) & nMask);
        }
    }
    else
        UnpackDirect(layout, pRaw, pOut);
}

// Calls fnRow(y, depth-class row) in storage order.
template <class FnRow> CStatus ReadStoredRows(CByteSource& source, const SBmpLayout& layout, FnRow&& fnRow)
{
    std::vector<uint8_t> vecRaw(static_cast<size_t>(layout.nStride));
    std::vector<uint8_t> vecRow(static_cast<size_t>(layout.nWidth) *
                                static_cast<size_t>(CPicture::BytesPerPixelFor(layout.nDepthClass)));
    if (!source.Seek(layout.nPixelOffset))
        return DecodeError(source.Name(), "BMP pixel data is truncated", EReason::Truncated);
    for (int i = 0; i < layout.nHeight; ++i)
    {
        const size_t nGot = source.Read(vecRaw.data(), vecRaw.size());
        if (!source.ReadError().IsOk())
            return source.ReadError();
        if (nGot < vecRaw.size() && i + 1 < layout.nHeight)
            return DecodeError(source.Name(), "BMP pixel data is truncated", EReason::Truncated);
        UnpackRow(layout, vecRaw.data(), vecRow.data());
        if (!fnRow(layout.bTopDown ? i : layout.nHeight - 1 - i, vecRow.data()))
            break;
    }
    return {};
}

// RLE runs may skip pixels (delta, early end of line or bitmap); those keep index 0.
CResult<CPicture> DecodeRle(CByteSource& source, const SBmpLayout& layout)
{
    std::vector<uint8_t> vecData(static_cast<size_t>(source.Size() - layout.nPixelOffset));
    if (!source.Seek(layout.nPixelOffset) || source.Read(vecData.data(), vecData.size()) != vecData.size())
        return source.ReadError().IsOk()
                   ? DecodeError(source.Name(), "BMP RLE data is truncated", EReason::Truncated)
                   : source.ReadError();
    CPicture picture(layout.nWidth, layout.nHeight, layout.nStoredBits);
    picture.Palette() = layout.vecPalette;
    const bool bRle8 = layout.nCompression == g_nBiRle8;
    const uint8_t* d = vecData.data();
    const size_t n = vecData.size();
    const int64_t nWidth = layout.nWidth;
    int64_t x = 0;
    int64_t r = 0; // storage row, from the bottom
    auto fnPut = [&](int64_t nX, uint8_t nIndex)
    {
        if (nX < nWidth && r < layout.nHeight)
            picture.Row(static_cast<int>(layout.nHeight - 1 - r))[nX] = nIndex;
    };
    size_t i = 0;
    while (r < layout.nHeight)
    {
        if (i + 2 > n)
            return DecodeError(source.Name(), "BMP RLE data ends before the end of the picture",
                               EReason::Truncated);
        const uint8_t a = d[i];
        const uint8_t b = d[i + 1];
        i += 2;
        if (a > 0)
        {
            const int64_t nCount = std::min<int64_t>(a, std::max<int64_t>(0, nWidth - x));
            for (int64_t k = 0; k < nCount; ++k)
                fnPut(x + k, bRle8 ? b : (k & 1) ? b & 15 : b >> 4);
            x += a;
        }
        else if (b == 0)
        {
            x = 0;
            ++r;
        }
        else if (b == 1)
            break;
        else if (b == 2)
        {
            if (i + 2 > n)
                return DecodeError(source.Name(), "BMP RLE data ends inside a delta", EReason::Truncated);
            x += d[i];
            r += d[i + 1];
            i += 2;
        }
        else
        {
            const size_t nBytes = bRle8 ? b : (b + 1u) / 2;
            if (i + nBytes > n)
                return DecodeError(source.Name(), "BMP RLE data ends inside a literal run",
                                   EReason::Truncated);
            for (int64_t k = 0; k < b && x + k < nWidth; ++k)
                fnPut(x + k, bRle8 ? d[i + k] : (k & 1) ? d[i + k / 2] & 15 : d[i + k / 2] >> 4);
            x += b;
            i += (nBytes + 1) & ~size_t{1};
        }
    }
    return picture;
}

class CBmpRowReader : public CRowReader
{
public:
    CBmpRowReader(std::unique_ptr<CByteSource> pSource, SBmpLayout layout)
        : m_pSource(std::move(pSource)), m_layout(std::move(layout))
    {
        m_info.m_eFormat = EPictureFormat::Bmp;
        m_info.m_nWidth = m_info.m_nFileWidth = m_layout.nWidth;
        m_info.m_nHeight = m_info.m_nFileHeight = m_layout.nHeight;
        m_info.m_nBitsPerPixel = m_layout.nDepthClass;
    }

    bool IsBottomUp() const override { return !m_layout.bTopDown; }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        const int nClass = m_layout.nDepthClass;
        if (nClass == 16 || nClass == 24)
            return ReadStoredRows(*m_pSource, m_layout, fnRow);
        std::vector<uint8_t> vecRgb(static_cast<size_t>(m_layout.nWidth) * 3);
        return ReadStoredRows(*m_pSource, m_layout,
                              [&](int y, const uint8_t* pRow)
                              {
                                  DepthRowToRgb(nClass, m_layout.vecPalette, pRow, m_layout.nWidth,
                                                vecRgb.data());
                                  return fnRow(y, vecRgb.data());
                              });
    }

private:
    std::unique_ptr<CByteSource> m_pSource;
    SBmpLayout m_layout;
};

} // namespace

CResult<std::unique_ptr<CRowReader>> OpenBmpRowReader(std::unique_ptr<CByteSource> pSource)
{
    CResult<SBmpLayout> layout = ParseHeader(*pSource);
    if (!layout)
        return layout.Status();
    if (layout.Value().IsRle())
    {
        CResult<CPicture> picture = DecodeRle(*pSource, layout.Value());
        if (!picture)
            return picture.Status();
        return std::unique_ptr<CRowReader>(
            new CPictureRowReader(std::move(picture).Value(), EPictureFormat::Bmp, true));
    }
    return std::unique_ptr<CRowReader>(new CBmpRowReader(std::move(pSource), std::move(layout).Value()));
}

CResult<CPicture> DecodeBmp(CByteSource& source)
{
    CResult<SBmpLayout> result = ParseHeader(source);
    if (!result)
        return result.Status();
    const SBmpLayout& layout = result.Value();
    if (layout.IsRle())
        return DecodeRle(source, layout);
    CPicture picture(layout.nWidth, layout.nHeight, layout.nDepthClass);
    picture.Palette() = layout.vecPalette;
    CStatus status = ReadStoredRows(source, layout,
                                    [&](int y, const uint8_t* pRow)
                                    {
                                        std::memcpy(picture.Row(y), pRow, picture.RowBytes());
                                        return true;
                                    });
    if (!status)
        return status;
    return picture;
}

} // namespace tramino
