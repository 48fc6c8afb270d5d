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

// The UTF-16 units that `bytes` hold in either byte order, two bytes each; a last odd byte is
// left out. And back: the units as bytes in that order.
std::u16string utf16FromBytes(std::string_view bytes, bool littleEndian);
std::string bytesFromUtf16(std::u16string_view units, bool littleEndian);

// The position of the first surrogate in `units` that is not one of a pair, or npos. Such a
// unit goes through utf8FromUtf16 as a sequence no valid UTF-8 holds.
std::size_t findLoneSurrogate(std::u16string_view units);

// The number of UTF-16 units `text` takes, which is how Windows counts the length of a string.
std::size_t utf16Length(std::string_view text);

}  // namespace cirrowisp
