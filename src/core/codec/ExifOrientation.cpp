#include "codec/ExifOrientation.h"

#include <cstring>

namespace tramino
{

namespace
{

constexpr uint16_t g_nOrientationTag = 0x0112;
constexpr uint16_t g_nTypeShort = 3;
constexpr size_t g_nSignatureBytes = 6;
constexpr size_t g_nEntryBytes = 12;

// Reads the TIFF structure in the byte order its header names; out of range reads as 0.
class CTiffView
{
public:
    CTiffView(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize)
    {
        m_bLittle = nSize >= 2 && pData[0] == 'I' && pData[1] == 'I';
    }

    bool HasHeader() const
    {
        return m_nSize >= 8 && (m_bLittle || (m_pData[0] == 'M' && m_pData[1] == 'M')) && U16(2) == 42;
    }
    bool Holds(size_t nOffset, size_t nBytes) const
    {
        return nOffset <= m_nSize && nBytes <= m_nSize - nOffset;
    }

    uint16_t U16(size_t nOffset) const
    {
        if (!Holds(nOffset, 2))
            return 0;
        const uint8_t* p = m_pData + nOffset;
        return static_cast<uint16_t>(m_bLittle ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1]);
    }
    uint32_t U32(size_t nOffset) const
    {
        const uint32_t nLow = U16(nOffset + (m_bLittle ? 0 : 2));
        const uint32_t nHigh = U16(nOffset + (m_bLittle ? 2 : 0));
        return (nHigh << 16) | nLow;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    bool m_bLittle = false;
};

} // namespace

int ParseExifOrientation(const uint8_t* pData, size_t nSize)
{
    if (nSize < g_nSignatureBytes || std::memcmp(pData, "Exif\0\0", g_nSignatureBytes) != 0)
        return 1;
    const CTiffView tiff(pData + g_nSignatureBytes, nSize - g_nSignatureBytes);
    if (!tiff.HasHeader())
        return 1;
    // The orientation is a tag of the first image file directory.
    const size_t nDirectory = tiff.U32(4);
    const size_t nEntries = tiff.U16(nDirectory);
    if (!tiff.Holds(nDirectory + 2, nEntries * g_nEntryBytes))
        return 1;
    for (size_t i = 0; i < nEntries; ++i)
    {
        const size_t nEntry = nDirectory + 2 + i * g_nEntryBytes;
        if (tiff.U16(nEntry) != g_nOrientationTag)
            continue;
        const int nValue = tiff.U16(nEntry + 8);
        const bool bValid =
            tiff.U16(nEntry + 2) == g_nTypeShort && tiff.U32(nEntry + 4) == 1 && nValue >= 1 && nValue <= 8;
        return bValid ? nValue : 1;
    }
    return 1;
}

} // namespace tramino
