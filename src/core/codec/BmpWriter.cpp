#include "codec/BmpWriter.h"

#include "common/ReplacingFile.h"

#include <algorithm>

namespace tramino
{

namespace
{

constexpr uint32_t g_nInfoHeaderBytes = 40;
constexpr uint32_t g_nV4HeaderBytes = 108;   // carries the alpha mask
constexpr uint32_t g_nPixelsPerMetre = 2835; // 72 dpi
constexpr uint32_t g_nBiRgb = 0;
constexpr uint32_t g_nBiBitFields = 3;
constexpr uint32_t g_nLcsSrgb = 0x73524742;

void Put16(std::vector<uint8_t>& vec, uint32_t n)
{
    vec.push_back(static_cast<uint8_t>(n));
    vec.push_back(static_cast<uint8_t>(n >> 8));
}

void Put32(std::vector<uint8_t>& vec, uint32_t n)
{
    Put16(vec, n & 0xFFFF);
    Put16(vec, n >> 16);
}

// Indexed pictures keep their depth unless their palette does not fit it.
int StoredBits(const CPicture& picture)
{
    if (!picture.IsIndexed())
        return picture.BitsPerPixel() == 32 ? 32 : 24;
    const int nBits = picture.BitsPerPixel();
    const bool bKnown = nBits == 1 || nBits == 2 || nBits == 4 || nBits == 8;
    return bKnown && picture.Palette().size() <= (1u << nBits) ? nBits : 8;
}

void PutRow(const CPicture& picture, int y, int nBits, uint8_t* pOut)
{
    const uint8_t* pRow = picture.Row(y);
    const int nWidth = picture.Width();
    if (nBits <= 8)
    {
        const int nPerByte = 8 / nBits;
        const unsigned nMask = (1u << nBits) - 1;
        for (int x = 0; x < nWidth; ++x)
            pOut[x / nPerByte] |= static_cast<uint8_t>((pRow[x] & nMask) << (8 - nBits * (x % nPerByte + 1)));
        return;
    }
    const int nInBytes = picture.BytesPerPixel();
    const int nOutBytes = nBits / 8;
    for (int x = 0; x < nWidth; ++x, pRow += nInBytes, pOut += nOutBytes)
    {
        pOut[0] = pRow[2];
        pOut[1] = pRow[1];
        pOut[2] = pRow[0];
        if (nOutBytes == 4)
            pOut[3] = pRow[3];
    }
}

} // namespace

std::vector<uint8_t> EncodeBmp(const CPicture& picture)
{
    const int nBits = StoredBits(picture);
    const uint32_t nColours =
        nBits <= 8 ? static_cast<uint32_t>(std::min<size_t>(picture.Palette().size(), 1u << nBits)) : 0;
    const uint32_t nHeaderBytes = nBits == 32 ? g_nV4HeaderBytes : g_nInfoHeaderBytes;
    const uint32_t nOffset = 14 + nHeaderBytes + 4 * nColours;
    const size_t nStride = (static_cast<size_t>(picture.Width()) * static_cast<size_t>(nBits) + 31) / 32 * 4;
    const size_t nImageBytes = nStride * static_cast<size_t>(picture.Height());

    std::vector<uint8_t> vec;
    vec.reserve(nOffset + nImageBytes);
    vec.push_back('B');
    vec.push_back('M');
    Put32(vec, static_cast<uint32_t>(nOffset + nImageBytes));
    Put32(vec, 0);
    Put32(vec, nOffset);
    Put32(vec, nHeaderBytes);
    Put32(vec, static_cast<uint32_t>(picture.Width()));
    Put32(vec, static_cast<uint32_t>(picture.Height())); // bottom-up
    Put16(vec, 1);
    Put16(vec, static_cast<uint32_t>(nBits));
    Put32(vec, nBits == 32 ? g_nBiBitFields : g_nBiRgb);
    Put32(vec, static_cast<uint32_t>(nImageBytes));
    Put32(vec, g_nPixelsPerMetre);
    Put32(vec, g_nPixelsPerMetre);
    Put32(vec, nColours);
    Put32(vec, 0);
    if (nBits == 32)
    {
        for (uint32_t nMask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u, g_nLcsSrgb})
            Put32(vec, nMask);
        vec.resize(14 + g_nV4HeaderBytes); // colour space end points and gamma stay 0
    }
    for (uint32_t i = 0; i < nColours; ++i)
    {
        const CRgb& cr = picture.Palette()[i];
        vec.insert(vec.end(), {cr.m_nBlue, cr.m_nGreen, cr.m_nRed, 0});
    }
    vec.resize(nOffset + nImageBytes);
    for (int y = 0; y < picture.Height(); ++y)
        PutRow(picture, y, nBits,
               vec.data() + nOffset + nStride * static_cast<size_t>(picture.Height() - 1 - y));
    return vec;
}

CStatus WriteBmpFile(const CPicture& picture, const std::string& strPath, bool bSync)
{
    if (picture.IsEmpty())
        return CStatus::Error("Cannot write '" + strPath + "': the picture is empty");
    return ReplaceFileContent(strPath, EncodeBmp(picture), bSync);
}

} // namespace tramino
