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
    Png,
};

// Pictures beyond these are refused before anything of their size is allocated.
inline constexpr int64_t g_nMaxPicturePixels = 256LL * 1024 * 1024;
inline constexpr int g_nMaxPictureSide = 65535;
// Animations of more frames are refused; no real one comes near.
inline constexpr int g_nMaxPictureFrames = 10000;

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
    // What transparent pixels are composited over: round((c * a + bg * (255 - a)) / 255). While it
    // is black, the default, a GIF's row reader gives its first image exactly as it always has
    // (transparent pixels in their palette colour, the screen around the image in the background
    // index); with any other colour it gives the first frame as OpenFrameReader composes it.
    CRgb m_crBackground{0, 0, 0};
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

// Where a frame differs from the one before: columns [m_nLeft, m_nRight), rows [m_nTop, m_nBottom).
struct CFrameChange
{
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
};

// Hands out the frames of a picture file in order, each as a row reader of its own that stays
// valid after the next call. A GIF gives every image composed on its logical screen as a browser
// shows it: the canvas starts as the background, each image is drawn over what the previous one's
// disposal left (kept, its rectangle cleared to the background, or the canvas restored to what it
// was before it), its transparent pixels leave the canvas as it is, and whatever lies beyond the
// screen is clipped. Every frame is 8 bits in depth class, as a GIF is. Any other file is one
// frame, its row reader. Only the canvas and at most two copies of it are held at a time.
class CFrameReader
{
public:
    virtual ~CFrameReader() = default;

    // The next frame, or nullptr after the last; beyond g_nMaxPictureFrames an error.
    virtual CResult<std::unique_ptr<CRowReader>> NextFrame() = 0;

    // Whether the frames are composed on one canvas, which NextCanvas then hands out in place of
    // NextFrame (a GIF's).
    virtual bool HasCanvas() const { return false; }
    // The next frame as NextFrame would give it, but the canvas itself (24 bits, its rows those of
    // a frame of depth class 8), valid until the next call, and where it differs from the frame
    // before (everywhere, for the first); nullptr after the last.
    virtual CResult<const CPicture*> NextCanvas(CFrameChange& change);
};

CResult<std::unique_ptr<CFrameReader>> OpenFrameReader(const std::string& strPath,
                                                       const CDecodeOptions& options = {});
CResult<std::unique_ptr<CFrameReader>> OpenFrameReaderMemory(const uint8_t* pData, size_t nSize,
                                                             const std::string& strName,
                                                             const CDecodeOptions& options = {});

// The frames OpenFrameReader would hand out, counted without decoding a pixel; more than
// g_nMaxPictureFrames is an error, so that a long animation is refused before any frame is made.
CResult<int> CountPictureFrames(const std::string& strPath);
CResult<int> CountPictureFramesMemory(const uint8_t* pData, size_t nSize, const std::string& strName);

// The whole picture at its own size, in its depth class.
CResult<CPicture> DecodePictureFile(const std::string& strPath);
// Same, from memory; strName stands for the file in error messages.
CResult<CPicture> DecodePictureMemory(const uint8_t* pData, size_t nSize, const std::string& strName);

} // namespace tramino
