#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tramino
{

enum class EPictureFormat
{
    Bmp,
    Jpeg,
    Gif,
};

// Pictures beyond these are refused before anything of their size is allocated.
inline constexpr int64_t g_nMaxPicturePixels = 256LL * 1024 * 1024;
inline constexpr int g_nMaxPictureSide = 65535;

struct CPictureInfo
{
    EPictureFormat m_eFormat = EPictureFormat::Bmp;
    int m_nWidth = 0; // of the rows handed out (after any scale while decoding)
    int m_nHeight = 0;
    int m_nBitsPerPixel = 24; // depth class, as CPicture documents it
    int m_nFileWidth = 0;     // the picture's own size in the file
    int m_nFileHeight = 0;
    int m_nOrientation = 1; // EXIF orientation 1-8 of a JPEG file; 1 when it names none
};

struct CDecodeOptions
{
    // When both are > 0, a decoder that can scale while decoding (JPEG) picks the smallest
    // scale whose result is still strictly larger than this size in both directions.
    int m_nScaleAboveWidth = 0;
    int m_nScaleAboveHeight = 0;
};

// Streams a picture file row by row, so that a large photo never needs its whole
// decoded size in memory. Rows are packed red, green, blue (3 bytes per pixel) whatever
// the depth class; each row is handed out exactly once, either all top-down or all
// bottom-up (IsBottomUp()), with y counted from the top.
class CRowReader
{
public:
    virtual ~CRowReader() = default;

    const CPictureInfo& Info() const { return m_info; }
    virtual bool IsBottomUp() const { return false; }

    // Calls fnRow(y, pRgb) for every row; returns the first decoding error (and stops).
    // fnRow returns false to stop early, which is not an error.
    virtual CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) = 0;

protected:
    CPictureInfo m_info;
};

// Recognises the format by content; every error names strPath.
CResult<std::unique_ptr<CRowReader>> OpenRowReader(const std::string& strPath,
                                                   const CDecodeOptions& options = {});
// Same, over a picture in memory that the caller keeps alive while the reader lives;
// strName stands for the file in error messages.
CResult<std::unique_ptr<CRowReader>> OpenRowReaderMemory(const uint8_t* pData, size_t nSize,
                                                         const std::string& strName,
                                                         const CDecodeOptions& options = {});

// The whole picture at its own size, in its depth class.
CResult<CPicture> DecodePictureFile(const std::string& strPath);
// Same, from memory; strName stands for the file in error messages.
CResult<CPicture> DecodePictureMemory(const uint8_t* pData, size_t nSize, const std::string& strName);

} // namespace tramino
