#pragma once

#include <stdexcept>
#include <string>

namespace cirrowisp {

// A failed read, write, delete, rename or copy: names the file and carries the system's own
// reason. It ends the run; only the front ends turn it into a message box or an exit code.
class FileError : public std::runtime_error {
public:
    FileError(std::string path, std::string reason)
        : std::runtime_error(path + ": " + reason),
          path_(std::move(path)),
          reason_(std::move(reason)) {}

    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

}  // namespace cirrowisp
