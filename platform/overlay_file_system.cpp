#include "platform/overlay_file_system.h"

#include "platform/vector_listing.h"

#include <cerrno>
#include <set>
#include <system_error>
#include <vector>

namespace cirrowisp {

namespace {

std::string reasonOf(int error) {
    return std::generic_category().message(error);
}

class MemoryInput : public InputFile {
public:
    explicit MemoryInput(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, bytes_->size() - offset_);
        bytes_->copy(buffer, count, offset_);
        offset_ += count;
        return count;
    }

private:
    std::shared_ptr<const std::string> bytes_;
    std::size_t offset_ = 0;
};

class MemoryOutput : public OutputFile {
public:
    explicit MemoryOutput(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}
    void write(const char* data, std::size_t size) override { bytes_->append(data, size); }
    void close() override {}

private:
    std::shared_ptr<std::string> bytes_;
};

}  // namespace

std::string OverlayFileSystem::key(const std::string& path) const {
    // Both separators count on every host (Windows takes '/', our POSIX side takes '\'), so
    // two spellings of one path must meet in one key.
    const char sep = base_.separator();
    std::string result;
    for (char c : path) {
        const char d = (c == '\\' || c == '/') ? sep : c;
        if (d == sep && !result.empty() && result.back() == sep && result.size() > 1) {
            continue;
        }
        result += d;
    }
    if (result.size() > 1 && result.back() == sep) {
        result.pop_back();
    }
    return result;
}

std::string OverlayFileSystem::parentOf(const std::string& k) const {
    const std::size_t slash = k.rfind(base_.separator());
    return slash == std::string::npos ? std::string() : k.substr(0, slash);
}

std::unique_ptr<OverlayFileSystem::Entry> OverlayFileSystem::current(const std::string& path) {
    const std::string k = key(path);
    const auto found = entries_.find(k);
    if (found != entries_.end()) {
        return found->second.deleted ? nullptr : std::make_unique<Entry>(found->second);
    }
    // An untouched real file: look for its name in the real folder, since a file that cannot
    // be opened (held open elsewhere) still takes its name.
    const std::string parent = parentOf(k);
    const std::string name = k.substr(parent.size() + 1);
    auto listing = base_.listFolder(parent.empty() ? std::string(1, base_.separator()) : parent);
    if (listing == nullptr) {
        return nullptr;
    }
    DirEntry entry;
    while (listing->next(entry)) {
        if (entry.name == name) {
            if (entry.isFolder) {
                return nullptr;
            }
            auto alias = std::make_unique<Entry>();
            alias->basePath = path;
            return alias;
        }
    }
    return nullptr;
}

std::unique_ptr<DirectoryListing> OverlayFileSystem::listFolder(const std::string& path) {
    auto real = base_.listFolder(path);
    if (real == nullptr) {
        return nullptr;
    }
    const std::string folder = key(path);
    std::vector<DirEntry> entries;
    std::set<std::string> seen;
    DirEntry entry;
    while (real->next(entry)) {
        const auto found = entries_.find(key(folder + base_.separator() + entry.name));
        if (found != entries_.end() && found->second.deleted) {
            continue;
        }
        if (found != entries_.end()) {
            entry.isLink = false;  // replaced by a file of this run's
        }
        seen.insert(entry.name);
        entries.push_back(entry);
    }
    for (const auto& [k, value] : entries_) {
        if (!value.deleted && parentOf(k) == folder) {
            const std::string name = k.substr(folder.size() + 1);
            if (seen.count(name) == 0) {
                entries.push_back({name, false});
            }
        }
    }
    return std::make_unique<VectorListing>(std::move(entries));
}

std::unique_ptr<InputFile> OverlayFileSystem::openRead(const std::string& path) {
    const auto found = entries_.find(key(path));
    if (found == entries_.end()) {
        return base_.openRead(path);
    }
    if (found->second.deleted) {
        return nullptr;
    }
    if (found->second.bytes) {
        return std::make_unique<MemoryInput>(found->second.bytes);
    }
    return base_.openRead(found->second.basePath);
}

std::unique_ptr<OutputFile> OverlayFileSystem::createFile(const std::string& path,
                                                          std::string* reason,
                                                          FileErrorKind* kind) {
    const std::string k = key(path);
    const std::string parent = parentOf(k);
    if (!base_.canCreateIn(parent.empty() ? std::string(1, base_.separator()) : parent)) {
        if (reason != nullptr) {
            *reason = reasonOf(EACCES);
        }
        if (kind != nullptr) {
            *kind = FileErrorKind::accessDenied;
        }
        return nullptr;
    }
    auto bytes = std::make_shared<std::string>();
    entries_[key(path)] = Entry{false, bytes, {}};
    return std::make_unique<MemoryOutput>(bytes);
}

void OverlayFileSystem::removeFile(const std::string& path) {
    if (current(path) == nullptr) {
        throw FileError(path, reasonOf(ENOENT));
    }
    entries_[key(path)] = Entry{true, nullptr, {}};
}

void OverlayFileSystem::move(const std::string& from, const std::string& to, bool replace) {
    auto source = current(from);
    if (source == nullptr) {
        throw FileError(from, reasonOf(ENOENT));
    }
    if (!replace && current(to) != nullptr) {
        throw FileError(to, reasonOf(EEXIST));
    }
    entries_[key(to)] = *source;
    entries_[key(from)] = Entry{true, nullptr, {}};
}

void OverlayFileSystem::replaceFile(const std::string& from, const std::string& to) {
    move(from, to, true);
}

void OverlayFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    move(from, to, false);
}

}  // namespace cirrowisp
