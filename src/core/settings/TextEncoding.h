#pragma once

#include <string>
#include <string_view>

namespace tramino
{

// The text of a file's bytes: UTF-16 LE or BE when it starts with that byte-order mark,
// otherwise UTF-8 (a UTF-8 byte-order mark is dropped). Bytes that are not valid UTF-8 give
// U+FFFD each; an odd last byte of UTF-16 is dropped.
std::u16string DecodeTextFile(std::string_view bytes);

// UTF-8 of UTF-16 text; an unpaired surrogate gives U+FFFD.
std::string Utf16ToUtf8(std::u16string_view str);

} // namespace tramino
