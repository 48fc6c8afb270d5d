#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cirrowisp {

// Paths on Windows are UTF-16 to the system and UTF-8 everywhere else in the program. The
// conversion is lossless both ways, also for names a file system may hold that are not valid
// UTF-16 (a lone surrogate becomes a three-byte sequence of its own and comes back unchanged),
// so a name from a listing always opens again. Bytes that are not such a sequence become
// U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);

// The number of UTF-16 units `text` takes, which is how Windows counts the length of a string.
std::size_t utf16Length(std::string_view text);

}  // namespace cirrowisp
