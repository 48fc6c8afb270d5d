#pragma once

#include <memory>

#include "patcher/file_system.h"

namespace cirrowisp {

// The file system of the host the program was built for: POSIX calls on Linux, the wide-character
// Win32 calls on Windows. Also installs the system's code page for the contents (see
// installSystemCodePage), so that whatever runs over the host's files reads them as the
// command line does.
std::unique_ptr<FileSystem> makeHostFileSystem();

}  // namespace cirrowisp
