#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace cirrowisp {

// Every file of a tree by relative path ('/' separated), with its bytes.
using TreeFiles = std::map<std::string, std::string>;

// What a folder holds in a snapshot taken with its folders: no file holds these bytes.
inline const std::string kFolderMarker = std::string("\0<folder>", 9);

// What a snapshot records besides every file's bytes.
struct SnapshotOf {
    bool folders = false;  // every folder too, holding kFolderMarker
    bool times = false;    // each entry's modification time, after its bytes
};

inline constexpr SnapshotOf kFilesAndFolders{.folders = true, .times = false};

// Every file below `root` by relative path ('/' separated, UTF-8 on every host) with its bytes:
// what "touches nothing" compares.
TreeFiles snapshotTree(const std::filesystem::path& root, SnapshotOf what = {});

// A file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Writes `bytes` as the whole file, making its folders; throws naming the file when it cannot.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace cirrowisp
