#pragma once

#include "settings/ProfileFile.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace tramino
{

// The twenty interface texts TEXT0 ... TEXT19 of one language, as UTF-8.
class CLangTable
{
public:
    static constexpr int kTextCount = 20;

    CLangTable() = default; // every text empty

    // Keys "TEXT0" ... "TEXT19" of the section; what is missing stays empty.
    static CLangTable Read(const CProfileFile& file, std::string_view strSection);
    static CLangTable Load(const std::filesystem::path& path, std::string_view strSection);

    // TEXTn; "" for an index outside 0 ... 19.
    const std::string& Text(int nIndex) const;

private:
    std::array<std::string, kTextCount> m_arrTexts;
};

} // namespace tramino
