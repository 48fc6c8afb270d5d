#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

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
        const auto full = at(relative);
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
    }
    void folder(const std::string& relative) const {
        std::filesystem::create_directories(at(relative));
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(at(relative), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(at(relative)); }

    // Every file below the root by relative path (with '/'), with its bytes.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> result;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
            if (entry.is_regular_file()) {
                const std::u8string name =
                    std::filesystem::relative(entry.path(), root_).generic_u8string();
                const std::string relative(name.begin(), name.end());
                result[relative] = read(relative);
            }
        }
        return result;
    }

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
