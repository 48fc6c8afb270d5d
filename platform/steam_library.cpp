#include "platform/steam_library.h"
#include "patcher/byte_text.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

namespace cirrowisp {

namespace {

namespace fs = std::filesystem;

// The tokens of a Valve key-value text: quoted strings (escapes undone), and the braces, kept
// as "{" and "}" with `quoted` false so that a string "{" is not taken for one.
struct Token {
    std::string text;
    bool quoted;
};

std::vector<Token> tokens(std::string_view text) {
    std::vector<Token> out;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '{' || c == '}') {
            out.push_back({std::string(1, c), false});
        } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '/') {
            pos = std::min(text.size(), text.find('\n', pos));
        } else if (c == '"') {
            std::string value;
            for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
                if (text[pos] == '\\' && pos + 1 < text.size()) {
                    ++pos;
                }
                value += text[pos];
            }
            out.push_back({std::move(value), true});
        }
    }
    return out;
}

bool isNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// `name` inside `folder`, in the letter case it has on disk; empty when there is none.
fs::path entryIgnoringCase(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) {
        return folder / name;
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (equalsIgnoringAsciiCase(it->path().filename().string(), name)) {
            return it->path();
        }
    }
    return {};
}

fs::path pathIgnoringCase(fs::path folder, std::initializer_list<std::string_view> names) {
    for (const std::string_view name : names) {
        folder = entryIgnoringCase(folder, name);
        if (folder.empty()) {
            return {};
        }
    }
    return folder;
}

}  // namespace

std::vector<std::string> steamLibraryPaths(std::string_view vdfText) {
    const std::vector<Token> all = tokens(vdfText);
    std::vector<std::string> paths;
    int depth = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!all[i].quoted) {
            depth += all[i].text == "{" ? 1 : -1;
            continue;
        }
        if (i + 1 >= all.size() || !all[i + 1].quoted) {
            continue;  // the name of a block
        }
        // "path" "..." now; "1" "..." directly in the outer block before 2021. Deeper down a
        // number names an app.
        if (equalsIgnoringAsciiCase(all[i].text, "path") || (depth == 1 && isNumber(all[i].text))) {
            paths.push_back(all[i + 1].text);
        }
        ++i;
    }
    return paths;
}

std::string valveKeyValue(std::string_view text, std::string_view key) {
    const std::vector<Token> all = tokens(text);
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i].quoted && all[i + 1].quoted && equalsIgnoringAsciiCase(all[i].text, key)) {
            return all[i + 1].text;
        }
    }
    return {};
}

std::optional<ProtonGame> findProtonGame(const fs::path& home, std::string_view appId,
                                         std::string_view defaultInstallDir) {
    // The same Steam is often reachable by several of these names (~/.steam/steam is a link);
    // each library counts once.
    std::vector<fs::path> libraries;
    std::set<fs::path> seen;
    auto addLibrary = [&](const fs::path& library) {
        std::error_code ec;
        const fs::path canonical = fs::canonical(library, ec);
        if (!ec && seen.insert(canonical).second) {
            libraries.push_back(library);
        }
    };
    for (const char* root : {".steam/steam", ".local/share/Steam",
                             ".var/app/com.valvesoftware.Steam/.local/share/Steam",
                             "snap/steam/common/.local/share/Steam"}) {
        const fs::path steam = home / root;
        addLibrary(steam);
        const fs::path vdf = pathIgnoringCase(steam, {"steamapps", "libraryfolders.vdf"});
        if (!vdf.empty()) {
            for (const std::string& path : steamLibraryPaths(readText(vdf))) {
                addLibrary(path);
            }
        }
    }

    std::optional<ProtonGame> game;
    fs::file_time_type newestLock = fs::file_time_type::min();
    bool lockSeen = false;
    const std::string manifest = "appmanifest_" + std::string(appId) + ".acf";
    for (const fs::path& library : libraries) {
        const fs::path acf = pathIgnoringCase(library, {"steamapps", manifest});
        if (!acf.empty() && (!game || game->folder.empty())) {
            std::string installDir = valveKeyValue(readText(acf), "installdir");
            if (installDir.empty()) {
                installDir = defaultInstallDir;
            }
            const fs::path folder = pathIgnoringCase(library, {"steamapps", "common", installDir});
            std::error_code ec;
            if (!folder.empty() && fs::is_directory(folder, ec)) {
                game = game.value_or(ProtonGame{});
                game->library = library;
                game->folder = folder;
            }
        }
        const fs::path prefix =
            pathIgnoringCase(library, {"steamapps", "compatdata", std::string(appId), "pfx"});
        if (prefix.empty()) {
            continue;
        }
        std::error_code ec;
        const fs::path lock = prefix.parent_path() / "pfx.lock";
        const auto lockTime = fs::last_write_time(lock, ec);
        const bool locked = !ec;
        if (!game) {
            game = ProtonGame{};
        }
        // The first prefix found stands until one with a lock, and a lock until a newer one.
        if (game->prefix.empty() || (locked && (!lockSeen || lockTime > newestLock))) {
            game->prefix = prefix;
            if (locked) {
                newestLock = lockTime;
                lockSeen = true;
            }
        }
    }
    if (!game || game->folder.empty() || game->prefix.empty()) {
        return std::nullopt;
    }
    return game;
}

}  // namespace cirrowisp
