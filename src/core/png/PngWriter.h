#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tramino
{

// No PNG this program writes is larger than this on a side, so that every viewer opens it.
inline constexpr int g_nMaxPngSide = 4096;

// The zlib level of every PNG written (with the Up filter and the default strategy). Rendering a
// 1,000-picture 320 x 240 show writes about 1 GB of pixels, three quarters of them sheets, and
// deflating them is most of its work: level 1 takes a sixth of the CPU time of level 6 for files
// 17% larger; level 0 would write 3.4 times the bytes. Huffman-only and RLE are no faster here
// (coding each byte is what costs) and write 40% more.
inline constexpr int g_nPngZlibLevel = 1;

// How a PNG file is written.
struct CPngOptions
{
    int m_nZlibLevel = g_nPngZlibLevel;
    // A symbolic link at the target is refused instead of followed.
    bool m_bRefuseLinks = false;
};

// Writes an 8-bit RGB PNG file row by row, so that a picture of any height needs memory for a
// few rows only. The bytes go to a CReplacingFile, which puts the file under its name only when
// Finish succeeds; after any failure the target is as it was and no partial file is left.
// Messages name the file and a reason for people, never the encoder's own.
class CPngWriter
{
public:
    explicit CPngWriter(const CPngOptions& options = {});
    // Abandons an unfinished file.
    ~CPngWriter();
    CPngWriter(const CPngWriter&) = delete;
    CPngWriter& operator=(const CPngWriter&) = delete;

    // Starts a file of nWidth x nHeight pixels (each 1 ... g_nMaxPngSide) at strPath.
    CStatus Begin(const std::string& strPath, int nWidth, int nHeight);
    // The next row from the top: nWidth red, green, blue triples.
    CStatus WriteRow(const uint8_t* pRgb);
    // After the last row: ends the file and puts it under its name.
    CStatus Finish();
    // Drops the unfinished file.
    void Abandon();

    class CState;

private:
    CPngOptions m_options;
    std::unique_ptr<CState> m_pState;
};

// A picture of any depth class as an 8-bit RGB PNG file at strPath, through CPngWriter.
CStatus WritePngFile(const CPicture& picture, const std::string& strPath, const CPngOptions& options = {});

} // namespace tramino
