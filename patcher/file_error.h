#pragma once

#include <stdexcept>
#include <string>

namespace cirrowisp {

// What a front end may offer for a failure besides its text: a folder the user may not write
// (under Program Files, say) takes a program started as administrator, where nothing else helps.
enum class FileErrorKind { other, accessDenied };

// A failed read, write, delete, rename or copy: names the file and carries the system's own
// reason. It ends the run; only the front ends turn it into a message box or an exit code.
class FileError : public std::runtime_error {
public:
    FileError(std::string path, std::string reason, FileErrorKind kind = FileErrorKind::other)
        : std::runtime_error(path + ": " + reason),
          path_(std::move(path)),
          reason_(std::move(reason)),
          kind_(kind) {}

    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    FileErrorKind kind() const { return kind_; }

private:
    std::string path_;
    std::string reason_;
    FileErrorKind kind_;
};

}  // namespace cirrowisp
