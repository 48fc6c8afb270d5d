#include "tests/support/fake_file_system.h"

#include "patcher/aircraft_folders.h"
#include "platform/vector_listing.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace cirrowisp {

namespace {

// Runs the after-each hook when an operation is over, also when it throws.
class StepEnd {
public:
    explicit StepEnd(const FakeFileSystem& fs) : fs_(fs) {}
    ~StepEnd() { fs_.finished(); }
    StepEnd(const StepEnd&) = delete;
    StepEnd& operator=(const StepEnd&) = delete;

private:
    const FakeFileSystem& fs_;
};

// An injected fault, thrown as the system's error on `path`.
void throwFault(const std::optional<FakeFault>& fault, const std::string& path) {
    if (fault) {
        throw FileError(path, FakeFileSystem::reasonText(*fault));
    }
}

class FakeInput : public InputFile {
public:
    FakeInput(FakeFileSystem& fs, std::string path, std::string bytes, bool readOnly)
        : fs_(fs), path_(std::move(path)), bytes_(std::move(bytes)), readOnly_(readOnly) {}
    bool readOnly() const override { return readOnly_; }
    std::size_t read(char* buffer, std::size_t size) override {
        const auto fault = fs_.step("read " + path_);
        StepEnd end(fs_);
        throwFault(fault, path_);
        const std::size_t count = std::min(size, bytes_.size() - offset_);
        bytes_.copy(buffer, count, offset_);
        offset_ += count;
        return count;
    }

private:
    FakeFileSystem& fs_;
    std::string path_;
    std::string bytes_;
    bool readOnly_;
    std::size_t offset_ = 0;
};

class FakeOutput : public OutputFile {
public:
    FakeOutput(FakeFileSystem& fs, std::string path, std::shared_ptr<std::string> bytes,
               std::shared_ptr<std::size_t> flushed)
        : fs_(fs), path_(std::move(path)), bytes_(std::move(bytes)), flushed_(std::move(flushed)) {}
    void write(const char* data, std::size_t size) override {
        const auto fault = fs_.step("write " + path_);
        StepEnd end(fs_);
        throwFault(fault, path_);
        bytes_->append(data, size);
    }
    void startWriteBack() override {
        const auto fault = fs_.step("writeback " + path_);
        StepEnd end(fs_);
        throwFault(fault, path_);
    }
    // Only a close that succeeds flushes: a file destroyed unclosed, or whose close failed, has
    // nothing on the disk that a power cut would keep.
    void close() override {
        const auto fault = fs_.step("close " + path_);
        StepEnd end(fs_);
        throwFault(fault, path_);
        *flushed_ = bytes_->size();
    }

private:
    FakeFileSystem& fs_;
    std::string path_;
    std::shared_ptr<std::string> bytes_;
    std::shared_ptr<std::size_t> flushed_;
};

}  // namespace

std::string FakeFileSystem::reasonText(FakeFault fault) {
    switch (fault) {
        case FakeFault::NoSpace:
            return "No space left on device";
        case FakeFault::PermissionDenied:
            return "Permission denied";
        case FakeFault::InUse:
            return "The process cannot access the file because it is being used by another "
                   "process";
        case FakeFault::NameTaken:
            return "File exists";
    }
    return "Input/output error";
}

std::string FakeFileSystem::spellingOnDisk(const std::string& path) const {
    std::string found;
    for (std::size_t pos = 1; pos < path.size();) {
        const std::size_t end = std::min(path.find('/', pos), path.size());
        const std::string name = path.substr(pos, end - pos);
        const std::string prefix = found + "/";
        found = prefix + name;
        if (nodes_.count(found) == 0) {
            for (auto it = nodes_.upper_bound(prefix);
                 it != nodes_.end() && it->first.starts_with(prefix); ++it) {
                const std::string_view rest = std::string_view(it->first).substr(prefix.size());
                if (rest.find('/') == std::string_view::npos && sameName(rest, name)) {
                    found = it->first;
                    break;
                }
            }
        }
        pos = end + 1;
    }
    return found.empty() ? "/" : found;
}

std::string FakeFileSystem::normalise(const std::string& path) const {
    const std::string spelt = asSpelt(path);
    return findsAnyCase_ ? spellingOnDisk(spelt) : spelt;
}

std::string FakeFileSystem::asSpelt(const std::string& path) const {
    // Most paths a run hands over are normal already; the fault checks look up every file
    // after every operation, so those skip the splitting below.
    if (path.starts_with('/') && path.find('\\') == std::string::npos &&
        path.find("//") == std::string::npos && path.find("/.") == std::string::npos &&
        (path.size() == 1 || !path.ends_with('/'))) {
        return path;
    }
    std::string raw = path;
    for (char& c : raw) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (raw.empty() || raw.front() != '/') {
        raw = cwd_ + "/" + raw;
    }
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= raw.size()) {
        std::size_t end = raw.find('/', pos);
        if (end == std::string::npos) {
            end = raw.size();
        }
        const std::string segment = raw.substr(pos, end - pos);
        if (segment == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!segment.empty() && segment != ".") {
            parts.push_back(segment);
        }
        pos = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) {
        result += "/" + part;
    }
    return result.empty() ? "/" : result;
}

std::string FakeFileSystem::parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

void FakeFileSystem::addFolder(const std::string& path) {
    const std::string key = normalise(path);
    if (key != "/") {
        addFolder(parentOf(key));
    }
    nodes_[key] = Node{true, nullptr, {}};
}

void FakeFileSystem::addFile(const std::string& path, const std::string& content) {
    const std::string key = normalise(path);
    addFolder(parentOf(key));
    nodes_[key] = Node{false, std::make_shared<std::string>(content), {}};
}

void FakeFileSystem::addLink(const std::string& path, const std::string& target) {
    const std::string key = normalise(path);
    addFolder(parentOf(key));
    nodes_[key] = Node{false, nullptr, normalise(target)};
}

const FakeFileSystem::Node* FakeFileSystem::resolve(const std::string& key) const {
    std::string at = key;
    for (int hops = 0; hops < 8; ++hops) {  // a loop of links leads nowhere, as ELOOP says
        const auto found = nodes_.find(at);
        if (found == nodes_.end()) {
            return nullptr;
        }
        if (found->second.link.empty()) {
            return &found->second;
        }
        at = found->second.link;
    }
    return nullptr;
}

bool FakeFileSystem::exists(const std::string& path) const {
    return nodes_.count(normalise(path)) != 0;
}

std::optional<std::string> FakeFileSystem::content(const std::string& path) const {
    const auto found = nodes_.find(normalise(path));
    if (found == nodes_.end() || found->second.folder || !found->second.link.empty()) {
        return std::nullopt;
    }
    return *found->second.bytes;
}

std::optional<std::string> FakeFileSystem::durableContent(const std::string& path) const {
    const auto found = nodes_.find(normalise(path));
    if (found == nodes_.end() || found->second.folder || !found->second.link.empty()) {
        return std::nullopt;
    }
    return durableBytes(found->second);
}

std::string FakeFileSystem::durableBytes(const Node& file) {
    if (file.flushed == nullptr) {
        return *file.bytes;
    }
    return file.bytes->substr(0, *file.flushed + (file.bytes->size() - *file.flushed) / 2);
}

std::map<std::string, std::string> FakeFileSystem::filesBelow(const std::string& folder) const {
    return below(folder, false);
}

std::map<std::string, std::string> FakeFileSystem::durableFilesBelow(
    const std::string& folder) const {
    return below(folder, true);
}

std::map<std::string, std::string> FakeFileSystem::below(const std::string& folder,
                                                         bool durable) const {
    const std::string normalised = normalise(folder);
    const std::string prefix = normalised == "/" ? normalised : normalised + "/";
    std::map<std::string, std::string> files;
    for (const auto& [path, node] : nodes_) {
        if (!node.folder && path.compare(0, prefix.size(), prefix) == 0) {
            files[path.substr(prefix.size())] = !node.link.empty() ? "-> " + node.link
                                                : durable          ? durableBytes(node)
                                                                   : *node.bytes;
        }
    }
    return files;
}

void FakeFileSystem::setHeldOpen(const std::string& path, bool held) {
    if (held) {
        heldOpen_.insert(normalise(path));
    } else {
        heldOpen_.erase(normalise(path));
    }
}

void FakeFileSystem::setReadOnly(const std::string& folder, bool readOnly) {
    if (readOnly) {
        readOnly_.insert(normalise(folder));
    } else {
        readOnly_.erase(normalise(folder));
    }
}

void FakeFileSystem::failOperation(std::size_t n, FakeFault fault) {
    failAt_ = n == 0 ? 0 : operations_ + n;
    fault_ = fault;
}

std::optional<FakeFault> FakeFileSystem::step(const std::string& what) {
    ++operations_;
    log_.push_back(what);
    if (operations_ == failAt_) {
        log_.back() += " [fails]";
        return fault_;
    }
    return std::nullopt;
}

void FakeFileSystem::finished() const {
    if (afterEach_) {
        afterEach_();
    }
}

std::unique_ptr<DirectoryListing> FakeFileSystem::listFolder(const std::string& path) {
    const std::string key = normalise(path);
    const auto fault = step("list " + key);
    StepEnd end(*this);
    const auto found = nodes_.find(key);
    if (fault || found == nodes_.end() || !found->second.folder) {
        return nullptr;
    }
    std::vector<DirEntry> entries{{".", true}, {"..", true}};
    const std::string prefix = key == "/" ? "/" : key + "/";
    for (auto it = nodes_.upper_bound(prefix); it != nodes_.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) {
            break;
        }
        const std::string rest = it->first.substr(prefix.size());
        if (!rest.empty() && rest.find('/') == std::string::npos) {
            const Node* target = resolve(it->first);
            entries.push_back(
                {rest, target != nullptr && target->folder, !it->second.link.empty()});
        }
    }
    return std::make_unique<VectorListing>(std::move(entries));
}

std::unique_ptr<InputFile> FakeFileSystem::openRead(const std::string& path) {
    const std::string key = normalise(path);
    const auto fault = step("openRead " + key);
    StepEnd end(*this);
    const Node* found = resolve(key);
    if (fault || found == nullptr || found->folder || heldOpen_.count(key) != 0) {
        return nullptr;
    }
    return std::make_unique<FakeInput>(*this, path, *found->bytes, readOnly_.count(key) != 0);
}

std::unique_ptr<OutputFile> FakeFileSystem::createFile(const std::string& path, std::string* reason,
                                                       FileErrorKind* kind) {
    const std::string key = normalise(path);
    const auto fault = step("create " + key);
    StepEnd end(*this);
    std::optional<FakeFault> why = fault;
    const auto parent = nodes_.find(parentOf(key));
    const auto found = nodes_.find(key);
    if (!why && (parent == nodes_.end() || !parent->second.folder)) {
        why = FakeFault::PermissionDenied;
    } else if (!why && readOnly_.count(parentOf(key)) != 0) {
        why = FakeFault::PermissionDenied;
    } else if (!why && found != nodes_.end() && found->second.folder) {
        why = FakeFault::NameTaken;
    } else if (!why && heldOpen_.count(key) != 0) {
        why = FakeFault::InUse;
    }
    if (why) {
        if (reason != nullptr) {
            *reason = reasonText(*why);
        }
        if (kind != nullptr) {
            *kind = *why == FakeFault::PermissionDenied ? FileErrorKind::accessDenied
                                                        : FileErrorKind::other;
        }
        return nullptr;
    }
    // Made new: a file or link under the name is replaced by a node of its own, and what a link
    // pointed to stays as it was.
    auto bytes = std::make_shared<std::string>();
    auto flushed = std::make_shared<std::size_t>(0);
    nodes_[key] = Node{false, bytes, {}, flushed};
    return std::make_unique<FakeOutput>(*this, path, bytes, flushed);
}

void FakeFileSystem::removeFile(const std::string& path) {
    const std::string key = normalise(path);
    const auto fault = step("remove " + key);
    StepEnd end(*this);
    throwFault(fault, path);
    const auto found = nodes_.find(key);
    if (found == nodes_.end() || found->second.folder) {
        throw FileError(path, "No such file or directory");
    }
    if (heldOpen_.count(key) != 0) {
        throw FileError(path, reasonText(FakeFault::InUse));
    }
    nodes_.erase(found);
}

void FakeFileSystem::move(const char* verb, const std::string& from, const std::string& to,
                          bool replace) {
    const std::string source = normalise(from);
    const std::string target = normalise(to);
    const auto fault = step(verb + source + " -> " + target);
    StepEnd end(*this);
    throwFault(fault, from);
    const auto found = nodes_.find(source);
    if (found == nodes_.end() || found->second.folder) {
        throw FileError(from, "No such file or directory");
    }
    // A taken name is refused before anything else, as MoveFileEx and renameat2 do.
    const auto taken = nodes_.find(target);
    if (taken != nodes_.end() && (!replace || taken->second.folder)) {
        throw FileError(to, reasonText(FakeFault::NameTaken));
    }
    if (heldOpen_.count(source) != 0 || heldOpen_.count(target) != 0) {
        throw FileError(from, reasonText(FakeFault::InUse));
    }
    if (readOnly_.count(parentOf(source)) != 0 || readOnly_.count(parentOf(target)) != 0) {
        throw FileError(from, reasonText(FakeFault::PermissionDenied));
    }
    Node node = found->second;
    nodes_.erase(found);
    nodes_[target] = node;
}

void FakeFileSystem::replaceFile(const std::string& from, const std::string& to) {
    move("replace ", from, to, true);
}

void FakeFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    move("rename ", from, to, false);
}

std::optional<bool> FakeFileSystem::existsAnyCase(const std::string& path) {
    if (!findsAnyCase_) {
        return std::nullopt;
    }
    const std::string key = normalise(path);
    const auto fault = step("exists " + key);
    StepEnd end(*this);
    return fault.has_value() || nodes_.count(key) != 0;
}

bool FakeFileSystem::isLinkAnyCase(const std::string& path) {
    const std::string key = normalise(path);
    const auto fault = step("isLink " + key);
    StepEnd end(*this);
    const auto found = nodes_.find(key);
    return fault.has_value() || (found != nodes_.end() && !found->second.link.empty());
}

bool FakeFileSystem::canCreateIn(const std::string& folder) {
    const std::string key = normalise(folder);
    const auto found = nodes_.find(key);
    return found != nodes_.end() && found->second.folder && readOnly_.count(key) == 0;
}

// Where names are found in any case, the path comes back as spelt, not as the disk spells it,
// as GetFullPathName does: two spellings of one folder stay two strings for the caller to fold.
std::string FakeFileSystem::absolutePath(const std::string& path) {
    return asSpelt(path);
}

}  // namespace cirrowisp
