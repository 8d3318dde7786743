#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "settings/PanelSize.h"
#include "show/Transition.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tramino
{

// One complete picture of a show file.
struct CShowFilePicture
{
    // Where its first record starts.
    uint64_t m_nOffset = 0;
    int m_nRecords = 0;
    // The transition its records follow; none when they follow none of the four.
    std::optional<EEffect> m_optEffect;
    // When unrecognised: the first record (or the end marker) no transition accounts for.
    uint64_t m_nDeviationOffset = 0;
    // 24 bits, each RGB565 value widened by ExpandRgb565; empty unless rebuilding was asked for.
    CPicture m_picture;
};

// Where a show file first breaks the format, and how.
struct CShowFileViolation
{
    uint64_t m_nOffset = 0;
    std::string m_strProblem;
};

// Where a reading of a show file starts: at the header, or at picture m_nPicture (counted from 0)
// at the byte m_nOffset where an earlier reading of the same file found it (its m_nOffset). From
// there on the file is read as strictly as from its start; the pictures before are taken as read.
struct CShowReadStart
{
    uint64_t m_nOffset = 0;
    size_t m_nPicture = 0;
};

// Reads a show file strictly for one panel size: the magic and zero reserved bytes, every window
// inside the panel with n equal to its area (an empty window has x1 = x0 - 1 and n = 0), every
// panel pixel written exactly once per picture, markers only where a record would start, and
// nothing after FF F8. Counts are checked against the bytes that remain before they are used, and
// memory stays bounded by one picture whatever the file claims.
class CShowFileReader
{
public:
    // Takes each picture as soon as it is complete; an error stops the reading and is returned.
    using PictureHandler = std::function<CStatus(CShowFilePicture& picture)>;

    CShowFileReader(int nWidth, int nHeight, bool bRebuildPictures = true);

    // An error for a file that cannot be read or breaks the format (Violation() then tells where).
    CStatus ReadFile(const std::string& strPath);
    // The same handing each picture over instead of keeping it, so that memory stays one picture
    // whatever the length of the show; Pictures() then stays empty.
    CStatus ReadFile(const std::string& strPath, const PictureHandler& handler,
                     const CShowReadStart& start = {});
    CStatus Parse(std::span<const uint8_t> bytes, const std::string& strName = "data");

    // The pictures completed before the end or before the violation.
    const std::vector<CShowFilePicture>& Pictures() const { return m_vecPictures; }
    // How many were completed, kept or handed over, and how many bytes of the file were read.
    size_t PictureCount() const { return m_nPictureCount; }
    uint64_t BytesRead() const { return m_nBytesRead; }
    const std::optional<CShowFileViolation>& Violation() const { return m_optViolation; }
    // The first thing that keeps the file from being one this program writes: a picture whose
    // records follow no transition, or else the violation.
    std::optional<CShowFileViolation> FirstProblem() const;

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    class IInput;

private:
    CStatus Read(IInput& input, const std::string& strName, const PictureHandler& handler,
                 const CShowReadStart& start = {});
    CStatus Take(CShowFilePicture& picture, const PictureHandler& handler);
    // The handler that keeps every picture in Pictures().
    PictureHandler Keeper();
    void Reset();

    int m_nWidth;
    int m_nHeight;
    bool m_bRebuildPictures;
    std::vector<CShowFilePicture> m_vecPictures;
    std::optional<CShowFileViolation> m_optViolation;
    // The first picture whose records follow no transition.
    std::optional<CShowFileViolation> m_optUnrecognised;
    size_t m_nPictureCount = 0;
    uint64_t m_nBytesRead = 0;
};

// The panel size of the table that the file fits, the first one if several do; else the size its
// first picture covers, when the file fits that. When it fits none, the table's size it comes
// closest to (the one whose first problem lies furthest into the file), so that the reason shown
// is the most telling one. An error only when the file cannot be read.
CResult<CPanelSize> DetectShowFilePanel(const std::string& strPath);

} // namespace tramino
