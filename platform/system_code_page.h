#pragma once

#include <optional>
#include <string>

namespace cirrowisp {

// Tells the core which bytes start a double-byte character in the system's ANSI code page.
// Windows front ends call it once at start-up; elsewhere every byte stands alone.
void installSystemCodePage();

// UTF-8 text (from the command line) as bytes of the code page aircraft.cfg is written in: the
// system's ANSI code page on Windows, nullopt when it lacks one of the characters. Elsewhere
// the text as it is.
std::optional<std::string> inSystemCodePage(const std::string& text);

// The other way: bytes in that code page (a dialog's effect name) as UTF-8, for a command line.
// Elsewhere the bytes as they are.
std::string fromSystemCodePage(const std::string& bytes);

}  // namespace cirrowisp
