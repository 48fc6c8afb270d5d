#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "tests/support/disk_tree.h"

namespace cirrowisp::testing {

// A throw-away folder on the real disk, removed again when the test ends. Paths go in and come
// out as UTF-8 on every host, as the program's own do.
class TempTree {
public:
    TempTree() {
        std::random_device seed;
        root_ = std::filesystem::temp_directory_path() /
                ("cirrowisp-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(root_);
    }
    ~TempTree() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::string path(const std::string& relative = "") const {
        return utf8(relative.empty() ? root_ : at(relative));
    }

    void write(const std::string& relative, const std::string& bytes) const {
        writeFile(at(relative), bytes);
    }
    void folder(const std::string& relative) const {
        std::filesystem::create_directories(at(relative));
    }
    std::string read(const std::string& relative) const { return readFile(at(relative)); }
    bool exists(const std::string& relative) const { return std::filesystem::exists(at(relative)); }

    TreeFiles files(SnapshotOf what = {}) const { return snapshotTree(root_, what); }

    void copyFrom(const std::filesystem::path& source, const std::string& relative) const {
        std::filesystem::copy(source, at(relative), std::filesystem::copy_options::recursive);
    }

private:
    std::filesystem::path at(const std::string& relative) const {
        return root_ / std::u8string(relative.begin(), relative.end());
    }
    static std::string utf8(const std::filesystem::path& path) {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    }

    std::filesystem::path root_;
};

}  // namespace cirrowisp::testing
