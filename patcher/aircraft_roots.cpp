#include "patcher/aircraft_roots.h"

#include <optional>
#include <set>
#include <string_view>

#include "patcher/byte_text.h"
#include "patcher/file_system.h"

namespace cirrowisp {

namespace {

// A trail byte of a double-byte character can be 0x5C or look like a letter: it is neither a
// separator nor folded.
std::vector<std::string> splitPath(const std::string& path, char sep) {
    const CodePage& codePage = CodePage::active();
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == sep) {
            parts.emplace_back();
        } else {
            parts.back() += c;
            if (codePage.isLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
                parts.back() += path[++i];
            }
        }
    }
    return parts;
}

std::string foldCase(const std::string& text) {
    const CodePage& codePage = CodePage::active();
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (codePage.isLeadByte(static_cast<unsigned char>(folded[i]))) {
            ++i;
        } else {
            folded[i] = foldAscii(folded[i]);
        }
    }
    return folded;
}

bool isAbsolute(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || (!path.empty() && (path.front() == '\\' || path.front() == '/'));
}

// An absolute host path as its root ("/", "C:\" or "\\server\share\") and its names, with
// "." and ".." taken away by name, as Windows does before it looks at the disk.
struct SplitPath {
    std::string root;
    std::vector<std::string> names;
};

SplitPath split(const std::string& absolute, char sep) {
    std::vector<std::string> parts = splitPath(absolute, sep);
    std::size_t rootParts = 1;  // "" of "/x" or "C:" of "C:\x"
    if (parts.size() >= 4 && parts[0].empty() && parts[1].empty()) {
        rootParts = 4;  // "\\server\share\x"
    }
    SplitPath result;
    for (std::size_t i = 0; i < rootParts && i < parts.size(); ++i) {
        result.root += parts[i] + sep;
    }
    for (std::size_t i = rootParts; i < parts.size(); ++i) {
        if (parts[i] == "..") {
            if (!result.names.empty()) {
                result.names.pop_back();
            }
        } else if (!parts[i].empty() && parts[i] != ".") {
            result.names.push_back(parts[i]);
        }
    }
    return result;
}

std::string join(const SplitPath& path, char sep) {
    std::string text = path.root;
    for (std::size_t i = 0; i < path.names.size(); ++i) {
        text += (i == 0 ? "" : std::string(1, sep)) + path.names[i];
    }
    return text;
}

class RootFinder {
public:
    RootFinder(FileSystem& fs, AircraftRoots& roots)
        : fs_(fs), roots_(roots), sep_(fs.separator()) {}

    void add(const std::string& path, bool listed) {
        const SplitPath wanted = split(fs_.absolutePath(path), sep_);
        const std::string spelt = join(wanted, sep_);
        roots_.lookedFor.push_back(spelt);
        const std::optional<std::string> found = locate(wanted, spelt);
        if (!found) {
            if (listed) {
                roots_.missing.push_back(spelt);
            }
            return;
        }
        if (seen_.insert(foldCase(*found)).second) {
            roots_.folders.push_back(*found);
        }
    }

private:
    // The folder as spelt, or else the folder whose names match without regard to case: a
    // tree copied to Linux keeps whatever case its author typed. Each name on disk that
    // matches exactly is preferred; nullopt when there is no such folder.
    std::optional<std::string> locate(const SplitPath& wanted, const std::string& spelt) {
        if (fs_.listFolder(spelt) != nullptr) {
            return spelt;
        }
        SplitPath onDisk{wanted.root, {}};
        for (const std::string& name : wanted.names) {
            auto listing = fs_.listFolder(join(onDisk, sep_));
            if (listing == nullptr) {
                return std::nullopt;
            }
            std::optional<std::string> match;
            DirEntry entry;
            while (listing->next(entry)) {
                if (entry.isFolder && foldCase(entry.name) == foldCase(name) &&
                    (!match || entry.name == name)) {
                    match = entry.name;
                }
            }
            if (!match) {
                return std::nullopt;
            }
            onDisk.names.push_back(*match);
        }
        return join(onDisk, sep_);
    }

    FileSystem& fs_;
    AircraftRoots& roots_;
    const char sep_;
    std::set<std::string> seen_;
};

}  // namespace

AircraftRoots findAircraftRoots(const PatchOptions& options, FileSystem& fileSystem) {
    AircraftRoots roots;
    RootFinder finder(fileSystem, roots);
    // Both fixed roots and every relative entry are resolved here, once, against the working
    // directory of this moment; nothing later changes it.
    finder.add(options.simulatorPath + "\\SimObjects\\Airplanes", false);
    finder.add(options.simulatorPath + "\\MyTraffic\\Aircraft", false);
    for (const std::string& entry : options.simObjectPaths) {
        finder.add(isAbsolute(entry) ? entry : options.simulatorPath + "\\" + entry, true);
    }
    return roots;
}

}  // namespace cirrowisp
