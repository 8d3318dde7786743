#pragma once

#include "codec/PictureDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tramino::test
{

inline std::filesystem::path TestData()
{
    return TRAMINO_TESTDATA;
}

// An RGBA picture read from a PNG reference.
struct SRgbaImage
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> vecRgba;
};
bool ReadPng(const std::filesystem::path& path, SRgbaImage& image);

// A private folder, removed with everything in it.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    std::filesystem::path operator/(const std::string& strName) const { return m_path / strName; }

private:
    std::filesystem::path m_path;
};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& vecData);

// Streams a file and checks the row contract on the way: every row exactly once, in the
// announced order. Returns the rows as one RGB picture (24 bits), top-down.
CResult<CPicture> StreamToPicture(const std::string& strPath, const CDecodeOptions& options = {});

// Packed RGB of every pixel, for comparing pictures of any depth class.
std::vector<uint8_t> RgbPixels(const CPicture& picture);

} // namespace tramino::test
