#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "patcher/file_system.h"

namespace cirrowisp {

// The file system through Linux's calls (getdents64, statx, renameat2) and POSIX ones. A backslash
// counts as a folder separator, so the Windows-style paths people type (and the default
// ".\Aircraft\") work unchanged.
class LinuxFileSystem : public FileSystem {
public:
    LinuxFileSystem();
    std::unique_ptr<DirectoryListing> listFolder(const std::string& path) override;
    std::unique_ptr<InputFile> openRead(const std::string& path) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path, std::string* reason = nullptr,
                                           FileErrorKind* kind = nullptr) override;
    void removeFile(const std::string& path) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    void renameNoReplace(const std::string& from, const std::string& to) override;
    bool canCreateIn(const std::string& folder) override;
    std::string absolutePath(const std::string& path) override;
    char separator() const override { return '/'; }

private:
    // What the kernel's access() answer for a folder depends on, where nothing else does.
    struct FolderKey {
        std::uint64_t mount;
        std::uint32_t owner;
        std::uint32_t group;
        std::uint32_t mode;
        std::uint64_t attributes;
        bool operator==(const FolderKey&) const = default;
    };
    struct Mount {
        std::uint64_t id;
        bool local;
    };
    std::optional<FolderKey> folderKey(int folder);
    static bool isLocal(int folder);

    unsigned uid_;
    unsigned euid_;
    // The folder listed last, so that canCreateIn() finds its key without another stat.
    struct {
        std::string path;
        std::optional<FolderKey> key;
    } listed_;
    std::vector<Mount> mounts_;
    std::vector<std::pair<FolderKey, bool>> answers_;
};

// `path` with every backslash turned into a slash: how absolutePath() reads a typed path.
std::string posixPath(const std::string& path);

// Removes empty and "." segments and a trailing separator; ".." stays, since a link may stand
// before it.
std::string tidyPosixPath(const std::string& path);

}  // namespace cirrowisp
