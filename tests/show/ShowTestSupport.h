#pragma once

#include "show/ShowFileWriter.h"
#include "show/Transition.h"

#include "settings/PanelSize.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tramino::test
{

// A colour that differs from pixel to pixel and picture to picture, white and 0xFFF8 included.
inline CRgb PatternColour(int x, int y, int nPicture)
{
    if ((x + y + nPicture) % 7 == 0)
        return CRgb{255, 255, 255};
    if ((x + y + nPicture) % 7 == 1)
        return CRgb{255, 255, 0xC0}; // packs to FF F8
    return CRgb{static_cast<uint8_t>(x * 7 + nPicture), static_cast<uint8_t>(y * 5),
                static_cast<uint8_t>(x ^ y)};
}

// A fresh empty directory under the system's temporary directory, removed afterwards.
class CScratchDir
{
public:
    CScratchDir();
    ~CScratchDir() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& strName) const { return (m_path / strName).string(); }
    // Names of everything in the directory.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path m_path;
};

std::vector<uint8_t> ReadBytes(const std::string& strPath);
// A show of nPictures pattern pictures, written through the real writer into memory via a file.
std::vector<uint8_t> MakeShow(EEffect effect, CPanelSize size, int nPictures);

} // namespace tramino::test
