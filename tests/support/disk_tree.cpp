#include "tests/support/disk_tree.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace cirrowisp {

TreeFiles snapshotTree(const std::filesystem::path& root, SnapshotOf what) {
    TreeFiles result;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const bool folder = entry.is_directory();
        if (folder ? !what.folders : !entry.is_regular_file())
            continue;
        const std::u8string name = entry.path().lexically_relative(root).generic_u8string();
        std::string& value = result[std::string(name.begin(), name.end())];
        value = folder ? kFolderMarker : readFile(entry.path());
        if (what.times) {
            value += std::string("\0@", 2) +
                     std::to_string(entry.last_write_time().time_since_epoch().count());
        }
    }
    return result;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) {
        const std::u8string name = path.u8string();
        throw std::runtime_error("cannot write " + std::string(name.begin(), name.end()));
    }
}

}  // namespace cirrowisp
