#pragma once

#include <string>

#include "patcher/file_system.h"

namespace cirrowisp {

// The file system through POSIX calls. A backslash counts as a folder separator, so the
// Windows-style paths people type (and the default ".\Aircraft\") work unchanged.
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<DirectoryListing> listFolder(const std::string& path) override;
    std::unique_ptr<InputFile> openRead(const std::string& path) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path,
                                           std::string* reason = nullptr) override;
    void removeFile(const std::string& path) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    void renameNoReplace(const std::string& from, const std::string& to) override;
    bool canCreateIn(const std::string& folder) override;
    std::string absolutePath(const std::string& path) override;
    char separator() const override { return '/'; }
};

// `path` with every backslash turned into a slash: how absolutePath() reads a typed path.
std::string posixPath(const std::string& path);

// Removes empty and "." segments and a trailing separator; ".." stays, since a link may stand
// before it.
std::string tidyPosixPath(const std::string& path);

}  // namespace cirrowisp
