#pragma once

#include <string>
#include <string_view>

namespace cirrowisp {

// The form of a path in which Windows takes it past MAX_PATH: a fully qualified path
// ("C:\..." or "\\server\share\...") gets the "\\?\" prefix ("\\?\UNC\" for a share). That
// prefix turns the system's own path rules off, so the ones a path built by this program
// relies on are applied here first: "/" becomes "\", empty and "." segments go, and ".." takes
// the segment before it away, never the drive or the share. Names are otherwise kept exactly,
// trailing dots and spaces included, since they come from a listing that spelled them so.
// Any other path (relative, drive-relative, already in a "\\?\" or "\\.\" form) comes back
// unchanged.
std::string extendedLengthPath(std::string_view path);

}  // namespace cirrowisp
