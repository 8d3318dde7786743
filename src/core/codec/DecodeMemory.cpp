#include "codec/DecodeMemory.h"

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace tramino
{

namespace
{

// The file buffer, the decoder's input and row buffers.
constexpr uint64_t g_nStreamingBytes = 1024 * 1024;
constexpr uint64_t g_nRowBytesPerColumn = 64;
constexpr uint64_t g_nMaxDecodeBytes = static_cast<uint64_t>(g_nMaxPicturePixels) * 8;
// Headers are small; the file is read again whole when it is decoded.
constexpr size_t g_nHeaderBufferBytes = 4096;

class CHeaderReader
{
public:
    explicit CHeaderReader(CByteSource& source) : m_source(source) {}

    bool Skip(uint64_t nBytes) { return m_source.Seek(m_source.Tell() + nBytes); }
    bool Byte(unsigned& nValue)
    {
        uint8_t n = 0;
        if (m_source.Read(&n, 1) != 1)
            return false;
        nValue = n;
        return true;
    }
    // Little-endian for BMP and GIF, big-endian for JPEG.
    bool Value(int nBytes, bool bBigEndian, uint64_t& nValue)
    {
        std::array<uint8_t, 4> arrBytes{};
        if (m_source.Read(arrBytes.data(), static_cast<size_t>(nBytes)) != static_cast<size_t>(nBytes))
            return false;
        nValue = 0;
        for (int i = 0; i < nBytes; ++i)
            nValue |= uint64_t{arrBytes[static_cast<size_t>(bBigEndian ? nBytes - 1 - i : i)]} << (8 * i);
        return true;
    }

private:
    CByteSource& m_source;
};

uint64_t StreamingBytes(uint64_t nWidth)
{
    return g_nStreamingBytes + nWidth * g_nRowBytesPerColumn;
}

// RLE pictures are decoded whole, from the whole file read into memory.
uint64_t BmpBytes(CHeaderReader& reader, uint64_t nFileSize)
{
    uint64_t nHeaderSize = 0, nWidth = 0, nHeight = 0, nCompression = 0;
    if (!reader.Skip(14) || !reader.Value(4, false, nHeaderSize))
        return g_nStreamingBytes;
    if (nHeaderSize == 12)
        return reader.Value(2, false, nWidth) ? StreamingBytes(nWidth) : g_nStreamingBytes;
    if (!reader.Value(4, false, nWidth) || !reader.Value(4, false, nHeight) || !reader.Skip(4) ||
        !reader.Value(4, false, nCompression))
        return g_nStreamingBytes;
    const uint64_t nRows = nHeight >= 0x80000000u ? 0x100000000u - nHeight : nHeight;
    const bool bRle = nCompression == 1 || nCompression == 2;
    return StreamingBytes(nWidth) + (bRle ? nFileSize + nWidth * nRows : 0);
}

// The screen, grown to hold the first image, nBytesPerPixel for each of its pixels.
uint64_t GifBytes(CHeaderReader& reader, uint64_t nBytesPerPixel)
{
    uint64_t nWidth = 0, nHeight = 0;
    unsigned nFlags = 0;
    if (!reader.Skip(6) || !reader.Value(2, false, nWidth) || !reader.Value(2, false, nHeight) ||
        !reader.Byte(nFlags) || !reader.Skip(2))
        return g_nStreamingBytes;
    if ((nFlags & 0x80) != 0 && !reader.Skip(3u << ((nFlags & 7) + 1)))
        return g_nStreamingBytes;
    for (unsigned nBlock = 0; reader.Byte(nBlock);)
    {
        if (nBlock == 0x2C)
        {
            uint64_t nLeft = 0, nTop = 0, nImageWidth = 0, nImageHeight = 0;
            if (reader.Value(2, false, nLeft) && reader.Value(2, false, nTop) &&
                reader.Value(2, false, nImageWidth) && reader.Value(2, false, nImageHeight))
            {
                nWidth = std::max(nWidth, nLeft + nImageWidth);
                nHeight = std::max(nHeight, nTop + nImageHeight);
            }
            break;
        }
        unsigned nLength = 0;
        if (nBlock != 0x21 || !reader.Skip(1))
            break;
        while (reader.Byte(nLength) && nLength != 0)
            if (!reader.Skip(nLength))
                break;
    }
    return StreamingBytes(nWidth) + nBytesPerPixel * nWidth * nHeight;
}

// An interlaced picture is gathered whole as 8-bit RGBA before its first row comes out; any other
// streams.
uint64_t PngBytes(CHeaderReader& reader)
{
    uint64_t nLength = 0, nType = 0, nWidth = 0, nHeight = 0;
    unsigned nInterlace = 0;
    if (!reader.Skip(8) || !reader.Value(4, true, nLength) || !reader.Value(4, true, nType) ||
        nType != 0x49484452 || !reader.Value(4, true, nWidth) || !reader.Value(4, true, nHeight) ||
        !reader.Skip(4) || !reader.Byte(nInterlace))
        return g_nStreamingBytes;
    return StreamingBytes(nWidth) + (nInterlace != 0 ? 4 * nWidth * nHeight : 0);
}

struct CJpegComponent
{
    unsigned m_nH = 1;
    unsigned m_nV = 1;
};

// Two bytes per coefficient of every component, in whole blocks, when the file needs them all
// at once: progressive, or its first scan does not hold every component.
uint64_t JpegBytes(CHeaderReader& reader)
{
    uint64_t nWidth = 0, nHeight = 0;
    bool bProgressive = false;
    std::vector<CJpegComponent> vecComponents;
    if (!reader.Skip(2))
        return g_nStreamingBytes;
    for (;;)
    {
        unsigned nFill = 0, nMarker = 0;
        uint64_t nLength = 0;
        if (!reader.Byte(nFill) || nFill != 0xFF || !reader.Byte(nMarker))
            return StreamingBytes(nWidth);
        if (nMarker == 0xFF || nMarker == 0x01 || (nMarker >= 0xD0 && nMarker <= 0xD7))
            continue;
        if (!reader.Value(2, true, nLength) || nLength < 2)
            return StreamingBytes(nWidth);
        const bool bFrame =
            nMarker >= 0xC0 && nMarker <= 0xCF && nMarker != 0xC4 && nMarker != 0xC8 && nMarker != 0xCC;
        if (bFrame)
        {
            unsigned nCount = 0;
            if (!reader.Skip(1) || !reader.Value(2, true, nHeight) || !reader.Value(2, true, nWidth) ||
                !reader.Byte(nCount))
                return StreamingBytes(nWidth);
            bProgressive = (nMarker & 0x03) == 0x02;
            for (unsigned i = 0; i < nCount; ++i)
            {
                unsigned nId = 0, nSampling = 0;
                if (!reader.Byte(nId) || !reader.Byte(nSampling) || !reader.Skip(1))
                    return StreamingBytes(nWidth);
                vecComponents.push_back({std::max(1u, nSampling >> 4), std::max(1u, nSampling & 15)});
            }
            continue;
        }
        if (nMarker == 0xDA)
        {
            unsigned nInScan = 0;
            if (vecComponents.empty() || !reader.Byte(nInScan))
                return StreamingBytes(nWidth);
            if (!bProgressive && nInScan >= vecComponents.size())
                return StreamingBytes(nWidth);
            break;
        }
        if (!reader.Skip(nLength - 2))
            return StreamingBytes(nWidth);
    }
    unsigned nMaxH = 1, nMaxV = 1;
    for (const CJpegComponent& component : vecComponents)
    {
        nMaxH = std::max(nMaxH, component.m_nH);
        nMaxV = std::max(nMaxV, component.m_nV);
    }
    uint64_t nCoefficients = 0;
    const auto blocks = [](uint64_t nPixels, unsigned nSampling, unsigned nMax)
    { return ((nPixels * nSampling + nMax - 1) / nMax + 7) / 8; };
    for (const CJpegComponent& component : vecComponents)
        nCoefficients += blocks(nWidth, component.m_nH, nMaxH) * blocks(nHeight, component.m_nV, nMaxV) * 64;
    return StreamingBytes(nWidth) + 2 * nCoefficients;
}

uint64_t EstimateBytes(const std::string& strPath, bool bFrames)
{
    CResult<std::unique_ptr<CByteSource>> source = CByteSource::OpenFile(strPath, g_nHeaderBufferBytes);
    if (!source)
        return g_nStreamingBytes;
    std::array<uint8_t, 4> arrSignature{};
    const size_t nGot = source.Value()->Read(arrSignature.data(), arrSignature.size());
    source.Value()->Seek(0);
    CHeaderReader reader(*source.Value());
    uint64_t nBytes = g_nStreamingBytes;
    if (nGot >= 2 && arrSignature[0] == 'B' && arrSignature[1] == 'M')
        nBytes = BmpBytes(reader, source.Value()->Size());
    else if (nGot == 4 && std::memcmp(arrSignature.data(), "\x89PNG", 4) == 0)
        nBytes = PngBytes(reader);
    else if (nGot >= 3 && arrSignature[0] == 0xFF && arrSignature[1] == 0xD8 && arrSignature[2] == 0xFF)
        nBytes = JpegBytes(reader);
    else if (nGot >= 3 && std::memcmp(arrSignature.data(), "GIF", 3) == 0)
        // The frames add the composed screen in RGB and its two copies to the indices.
        nBytes = GifBytes(reader, bFrames ? 10 : 1);
    return std::min(nBytes, g_nMaxDecodeBytes);
}

} // namespace

uint64_t EstimateDecodeBytes(const std::string& strPath)
{
    return EstimateBytes(strPath, false);
}

uint64_t EstimateFrameDecodeBytes(const std::string& strPath)
{
    return EstimateBytes(strPath, true);
}

} // namespace tramino
