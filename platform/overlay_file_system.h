#pragma once

#include <map>
#include <memory>
#include <string>

#include "patcher/file_system.h"

namespace cirrowisp {

// A file system for a dry run: reads go to the real tree through `base`, while every create,
// write, rename and delete is kept in memory and seen by later reads and listings. The scan
// runs on it unchanged, so a dry run reports exactly what the real run would do, and the real
// tree is never written.
class OverlayFileSystem : public FileSystem {
public:
    explicit OverlayFileSystem(FileSystem& base) : base_(base) {}

    std::unique_ptr<DirectoryListing> listFolder(const std::string& path) override;
    std::unique_ptr<InputFile> openRead(const std::string& path) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path, std::string* reason = nullptr,
                                           FileErrorKind* kind = nullptr) override;
    void removeFile(const std::string& path) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    void renameNoReplace(const std::string& from, const std::string& to) override;
    bool canCreateIn(const std::string& folder) override { return base_.canCreateIn(folder); }
    std::string absolutePath(const std::string& path) override { return base_.absolutePath(path); }
    char separator() const override { return base_.separator(); }

private:
    // What became of one path: gone, bytes held here, or a real file under another name.
    struct Entry {
        bool deleted = false;
        std::shared_ptr<std::string> bytes;
        std::string basePath;
    };

    std::string key(const std::string& path) const;
    std::string parentOf(const std::string& key) const;
    // The entry for `path`, with a real file that was never touched as a base alias; nullptr
    // when there is no file by that name.
    std::unique_ptr<Entry> current(const std::string& path);
    void move(const std::string& from, const std::string& to, bool replace);

    FileSystem& base_;
    std::map<std::string, Entry> entries_;
};

}  // namespace cirrowisp
