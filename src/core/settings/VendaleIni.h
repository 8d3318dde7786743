#pragma once

#include "common/Status.h"

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

namespace tramino
{

// Reading stops after this many bytes: a real file has three lines, and a huge (or sparse) one
// must not hold up the start for minutes.
inline constexpr size_t kMaxVendaleIniBytes = size_t{4} << 20;

// The two codes `Vendale.ini` sets; a key that is absent leaves its code at 0.
struct CVendaleSettings
{
    int m_nLanguageCode = 0;
    int m_nPanelSizeCode = 0;

    friend bool operator==(const CVendaleSettings&, const CVendaleSettings&) = default;
};

// Reads the settings the way the device's tools always have: chunks of at most 258 bytes
// (a longer line reads as several), empty lines skipped, three substring tests per chunk
// ("LanguageSelection", "PanelSize", "PanelType") whose " ="-split cuts the chunk for the
// tests after it, and the first "PanelType" ends the reading. The stream is read as bytes;
// CR LF counts as one line end, as a text-mode read on the original platform does.
CVendaleSettings ParseVendaleIni(std::istream& input);

// The settings of the file, or why it cannot be read (missing, no permission, a directory, a
// FIFO: never waited on).
CResult<CVendaleSettings> TryReadVendaleIni(const std::filesystem::path& path);

// What to tell the user when TryReadVendaleIni failed on a file that is there.
std::string VendaleIniProblem(const CStatus& status);

// A file that is missing or cannot be read counts as a file without keys.
CVendaleSettings ReadVendaleIni(const std::filesystem::path& path);

// The `Lang.txt` section of a language code: 1 English, 2 TraditionalChinese, else SimplifiedChinese.
std::string_view LanguageSection(int nLanguageCode);

// `atoi` without its undefined overflow: white space skipped, optional sign, leading digits;
// a value beyond int is clamped to INT_MIN / INT_MAX; no digits gives 0.
int AtoiClamped(std::string_view str);

} // namespace tramino
