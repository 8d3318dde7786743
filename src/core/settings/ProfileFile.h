#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tramino
{

// An initialisation file read with the classic private-profile rules: "[section]" headers and
// "key=value" lines; names compared without regard to the case of ASCII letters; white space
// around names and values trimmed; one pair of surrounding double quotes taken off a value;
// lines starting with ';' ignored; the first section of a name and the first occurrence of a key
// win. Values are cut to 259 UTF-16 code units (never inside a surrogate pair), as the buffers of
// the wide-character platform reader held.
//
// The file may be UTF-8 (with or without byte-order mark) or UTF-16 LE or BE with byte-order
// mark; bytes that are not valid UTF-8 read as U+FFFD. A NUL character ends its line. Only the
// first kMaxFileBytes bytes are read, so an absurdly large file costs neither time nor memory.
class CProfileFile
{
public:
    static constexpr size_t kMaxFileBytes = size_t{4} << 20;
    static constexpr size_t kMaxValueUnits = 259;

    CProfileFile() = default;

    // A missing or unreadable file has no sections: every look-up gives "".
    static CProfileFile Load(const std::filesystem::path& path);
    static CProfileFile FromBytes(std::string_view bytes);

    // The values of the keys in the section, as UTF-8, in the order of the keys; "" for each
    // key or section that is not there. One pass over the file however many keys are asked for.
    std::vector<std::string> GetStrings(std::string_view strSection,
                                        std::span<const std::string> vecKeys) const;
    std::string GetString(std::string_view strSection, std::string_view strKey) const;

private:
    std::u16string m_strText; // the whole file, decoded
};

} // namespace tramino
