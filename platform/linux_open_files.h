#pragma once

#include <memory>
#include <string>

#include "patcher/file_system.h"

namespace cirrowisp {

// The open files a LinuxFileSystem hands out, each owning its descriptor.

// The system's message for an errno value.
std::string linuxReason(int error);

// EACCES and EPERM: the user may not, where another user (root) could.
FileErrorKind linuxErrorKind(int error);

[[noreturn]] void throwLinuxError(const std::string& path, int error);

std::unique_ptr<DirectoryListing> makeLinuxListing(int fd);
std::unique_ptr<InputFile> makeLinuxInputFile(int fd, std::string path, bool readOnly);
std::unique_ptr<OutputFile> makeLinuxOutputFile(int fd, std::string path);

}  // namespace cirrowisp
