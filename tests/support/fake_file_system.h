#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "patcher/file_system.h"

namespace cirrowisp {

// A reason a fake operation fails with, worded as the system would word it.
enum class FakeFault { NoSpace, PermissionDenied, InUse, NameTaken };

// An in-memory folder tree for tests. Names are case-sensitive, as on Linux. It records every
// operation (file reads, writes and closes included) and can make operation N fail, so a test
// can walk a fault through every step of a run. Paths are absolute, '/' or '\' separated.
class FakeFileSystem : public FileSystem {
public:
    void addFolder(const std::string& path);
    // Creates the parent folders as needed.
    void addFile(const std::string& path, const std::string& content);

    // A symbolic link at `path` to `target` (which need not exist). Opening it for reading
    // follows it; creating, removing or renaming works on the link itself, as on a real disk
    // where the program creates its files new.
    void addLink(const std::string& path, const std::string& target);

    bool exists(const std::string& path) const;
    // nullopt for a folder or a link: a file's own bytes only.
    std::optional<std::string> content(const std::string& path) const;
    // Every file below `folder`, by path relative to it, with its bytes; a link appears as
    // "-> " and its target, so a comparison of trees sees links come and go.
    std::map<std::string, std::string> filesBelow(const std::string& folder) const;
    // The same as a power cut now would leave it. Every rename and removal made so far counts:
    // a journal commits them in the order they were made, and each cut is checked on its own,
    // so the names of an earlier commit are those of an earlier cut. A file holds what its last
    // flush (a close) put on the disk and half of what was written since: a rename of a file
    // that was never flushed can leave the name on empty or partial data.
    std::map<std::string, std::string> durableFilesBelow(const std::string& folder) const;
    std::optional<std::string> durableContent(const std::string& path) const;

    // A file another program holds open: it cannot be opened, removed or renamed over.
    void setHeldOpen(const std::string& path, bool held);
    // A folder in which nothing can be created; a file whose owner may not write it
    // (InputFile::readOnly).
    void setReadOnly(const std::string& folder, bool readOnly);
    // Names found in any case, as on Windows: a path names the entry already there in another
    // spelling, absolutePath gives it back as spelt, and existsAnyCase answers (a failed one
    // says "there", as an error other than "not found" does on Windows).
    void setFindsAnyCase(bool on) { findsAnyCase_ = on; }

    // Operation `n` (1-based, counted from now on) fails with `fault`; 0 turns faults off.
    void failOperation(std::size_t n, FakeFault fault = FakeFault::NoSpace);
    std::size_t operationCount() const { return operations_; }
    const std::vector<std::string>& log() const { return log_; }
    // Called after every operation, failed or not: the place to check what must hold at every
    // instant of a run.
    void setAfterEachOperation(std::function<void()> check) { afterEach_ = std::move(check); }
    void setWorkingDirectory(const std::string& path) { cwd_ = normalise(path); }

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
    char separator() const override { return '/'; }

    // Used by the fake's own files.
    struct Node {
        bool folder = false;
        std::shared_ptr<std::string> bytes;
        std::string link;  // a link's target; empty for anything else
        // How much of `bytes` a flush has put on the disk; nullptr for a file the test made,
        // which is on the disk whole.
        std::shared_ptr<std::size_t> flushed = nullptr;
    };
    // Counts one operation; returns the fault to fail it with, if it is the chosen one.
    std::optional<FakeFault> step(const std::string& what);
    void finished() const;

    static std::string reasonText(FakeFault fault);
    std::string normalise(const std::string& path) const;

private:
    static std::string parentOf(const std::string& path);
    std::map<std::string, std::string> below(const std::string& folder, bool durable) const;
    static std::string durableBytes(const Node& file);
    // The node a path leads to once links are followed; nullptr when it leads nowhere.
    const Node* resolve(const std::string& key) const;
    // `path` made absolute against the working directory, '/'-separated, "." and ".." taken
    // away by name, in the letter case it was given.
    std::string asSpelt(const std::string& path) const;
    std::string spellingOnDisk(const std::string& path) const;
    // One logged operation, `verb` naming it: a rename, over a file in the way when `replace`.
    void move(const char* verb, const std::string& from, const std::string& to, bool replace);

    std::map<std::string, Node> nodes_{{"/", Node{true, nullptr, {}}}};
    std::set<std::string> heldOpen_;
    std::set<std::string> readOnly_;
    std::string cwd_ = "/";
    bool findsAnyCase_ = false;
    std::size_t operations_ = 0;
    std::size_t failAt_ = 0;
    FakeFault fault_ = FakeFault::NoSpace;
    std::vector<std::string> log_;
    std::function<void()> afterEach_;
};

}  // namespace cirrowisp
