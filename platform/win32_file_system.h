#pragma once

#include <string>

#include "patcher/file_system.h"

namespace cirrowisp {

// The file system through the wide-character Win32 calls: paths are UTF-8, turned into UTF-16
// (and into the "\\?\" form when absolute, so any length works) only for the call itself.
// Files are opened without sharing, so one that another program holds open is not openable.
class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<DirectoryListing> listFolder(const std::string& path) override;
    std::unique_ptr<InputFile> openRead(const std::string& path) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path, std::string* reason = nullptr,
                                           FileErrorKind* kind = nullptr) override;
    void removeFile(const std::string& path) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    void renameNoReplace(const std::string& from, const std::string& to) override;
    std::optional<bool> existsAnyCase(const std::string& path) override;
    bool isLinkAnyCase(const std::string& path) override;
    bool canCreateIn(const std::string& folder) override;
    std::string absolutePath(const std::string& path) override;
    char separator() const override { return '\\'; }
};

}  // namespace cirrowisp
