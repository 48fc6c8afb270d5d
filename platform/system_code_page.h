#pragma once

namespace cirrowisp {

// Tells the core which bytes start a double-byte character in the system's ANSI code page.
// Windows front ends call it once at start-up; elsewhere every byte stands alone.
void installSystemCodePage();

}  // namespace cirrowisp
