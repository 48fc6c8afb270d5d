#pragma once

#include <memory>

#include "platform/file_system.h"

namespace cirrowisp {

// The file system of the host the program was built for: POSIX calls on Linux, the wide-character
// Win32 calls on Windows.
std::unique_ptr<FileSystem> makeHostFileSystem();

}  // namespace cirrowisp
