#include "platform/wine_prefix_registry.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "patcher/byte_text.h"
#include "patcher/utf16_text.h"

namespace cirrowisp {

namespace {

namespace fs = std::filesystem;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr std::string_view kNamedEscapes = "abefnrtv";
constexpr std::string_view kNamedValues = "\a\b\x1b\f\n\r\t\v";

// Undoes the escapes Wine writes into its registry files, from `pos` (just after the opening
// delimiter) up to the unescaped `close` character; `pos` ends just past it. Wine stores
// UTF-16: \x takes up to four hex digits and a character beyond the BMP comes as a surrogate
// pair, which is joined here into UTF-8 (the encoding of host paths). Bytes that are not
// escaped are taken as they are. nullopt for an unterminated text or a lone surrogate.
std::optional<std::string> unescape(std::string_view line, std::size_t& pos, char close) {
    std::string out;
    char32_t highSurrogate = 0;
    auto putUnit = [&](char32_t unit) {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (highSurrogate != 0) {
                return false;
            }
            highSurrogate = unit;
            return true;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (highSurrogate == 0) {
                return false;
            }
            appendUtf8(out, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate = 0;
            return true;
        }
        if (highSurrogate != 0) {
            return false;
        }
        appendUtf8(out, unit);
        return true;
    };

    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == close) {
            return highSurrogate == 0 ? std::optional(out) : std::nullopt;
        }
        if (c != '\\') {
            if (highSurrogate != 0) {
                return std::nullopt;
            }
            out += c;
            continue;
        }
        if (pos >= line.size()) {
            return std::nullopt;
        }
        const char e = line[pos++];
        char32_t unit = static_cast<unsigned char>(e);  // \\, \", \[ and \] stand for themselves
        if (const auto named = kNamedEscapes.find(e); named != std::string_view::npos) {
            unit = static_cast<unsigned char>(kNamedValues[named]);
        } else if (e == 'x' && pos < line.size() && hexDigit(line[pos]) >= 0) {
            unit = 0;
            for (int digits = 0; digits < 4 && pos < line.size() && hexDigit(line[pos]) >= 0;
                 ++digits) {
                unit = unit * 16 + static_cast<char32_t>(hexDigit(line[pos++]));
            }
        } else if (e >= '0' && e <= '7') {
            unit = static_cast<char32_t>(e - '0');
            for (int digits = 1;
                 digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                 ++digits) {
                unit = unit * 8 + static_cast<char32_t>(line[pos++] - '0');
            }
        }
        if (!putUnit(unit)) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// What one candidate key held for the wanted value: nothing seen, or the value line's data
// (nullopt when that line could not be read as a string).
struct Sighting {
    bool seen = false;
    std::optional<std::string> data;
};

// The data of a value line whose name has been read; `pos` is at the '='.
std::optional<std::string> parseStringData(std::string_view line, std::size_t pos) {
    if (pos >= line.size() || line[pos] != '=') {
        return std::nullopt;
    }
    std::string_view rest = line.substr(pos + 1);
    // An expandable string is handed over unexpanded, as RegQueryValueExA does; numbers and
    // binary data are not a path and are refused.
    constexpr std::string_view kExpandable = "str(2):";
    if (rest.substr(0, kExpandable.size()) == kExpandable) {
        rest.remove_prefix(kExpandable.size());
    }
    if (rest.empty() || rest.front() != '"') {
        return std::nullopt;
    }
    std::size_t at = 1;
    auto text = unescape(rest, at, '"');
    if (!text) {
        return std::nullopt;
    }
    for (; at < rest.size(); ++at) {
        if (rest[at] != ' ' && rest[at] != '\t') {
            return std::nullopt;
        }
    }
    return text;
}

// The key as the file names it, relative to HKEY_LOCAL_MACHINE: the 32-bit view of
// Software lives under Software\Wow6432Node in a 64-bit prefix.
std::string wow64Key(std::string_view subKey) {
    constexpr std::string_view kSoftware = "software\\";
    if (subKey.size() < kSoftware.size() ||
        !equalsIgnoringAsciiCase(subKey.substr(0, kSoftware.size()), kSoftware)) {
        return {};
    }
    return std::string(subKey.substr(0, kSoftware.size())) + "Wow6432Node\\" +
           std::string(subKey.substr(kSoftware.size()));
}

// Among the entries of `folder`, the one named `name` without regard to case, as Wine finds
// files; `name` itself when there is none.
std::string matchCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) {
        return name;
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (equalsIgnoringAsciiCase(entry, name)) {
            return entry;
        }
    }
    return name;
}

}  // namespace

std::string wineUserName() {
    if (const passwd* account = ::getpwuid(::getuid()); account != nullptr) {
        return account->pw_name;
    }
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

std::optional<std::string> WinePrefixRegistry::roamingAppData() {
    if (auto recorded = Registry::roamingAppData(); recorded && !recorded->empty()) {
        return recorded;
    }
    if (prefix_.empty()) {
        return std::nullopt;
    }
    const std::string user = user_.empty() ? wineUserName() : user_;
    std::error_code ec;
    const fs::path users = prefix_ / "drive_c" / "users" / user;
    if (!fs::exists(users / "AppData" / "Roaming", ec) &&
        fs::exists(users / "Application Data", ec)) {
        return "C:\\users\\" + user + "\\Application Data";
    }
    return "C:\\users\\" + user + "\\AppData\\Roaming";
}

fs::path WinePrefixRegistry::defaultPrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home) / ".wine";
    }
    return {};
}

std::optional<std::string> WinePrefixRegistry::queryValue(RegistryRoot root, RegistryView view,
                                                          std::string_view subKey,
                                                          std::string_view name,
                                                          std::size_t bufferSize) {
    if (prefix_.empty()) {
        return std::nullopt;
    }
    const bool machine = root == RegistryRoot::localMachine;
    std::ifstream in(prefix_ / (machine ? "system.reg" : "user.reg"), std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line.rfind("WINE REGISTRY Version ", 0) != 0) {
        return std::nullopt;
    }

    // Index 0: the 32-bit view of a 64-bit prefix; index 1: the key as named (a 32-bit prefix).
    const std::array<std::string, 2> candidates{wow64Key(subKey), std::string(subKey)};
    std::array<Sighting, 2> sightings;
    std::string arch;
    Sighting* current = nullptr;  // the candidate whose section the lines belong to
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("#arch=", 0) == 0) {
            arch = line.substr(6);
        } else if (!line.empty() && line.front() == '[') {
            std::size_t pos = 1;
            const auto key = unescape(line, pos, ']');
            current = nullptr;
            for (std::size_t i = 0; key && i < candidates.size(); ++i) {
                if (!candidates[i].empty() && equalsIgnoringAsciiCase(*key, candidates[i])) {
                    current = &sightings[i];
                }
            }
        } else if (current != nullptr && !current->seen && !line.empty() && line.front() == '"') {
            std::size_t pos = 1;
            const auto valueName = unescape(line, pos, '"');
            if (valueName && equalsIgnoringAsciiCase(*valueName, name)) {
                current->seen = true;
                current->data = parseStringData(line, pos);
            }
        }
    }

    // The 32-bit view of a machine key is one of the two, by the prefix's architecture; a prefix
    // too old to record it is tried both ways. Every other key is the key as named.
    std::vector<std::size_t> order;
    if (!machine || view == RegistryView::bits64) {
        order = {1};
    } else if (arch == "win64") {
        order = {0};
    } else if (arch == "win32") {
        order = {1};
    } else {
        order = {0, 1};
    }
    for (const std::size_t i : order) {
        if (!sightings[i].seen) {
            continue;
        }
        if (!sightings[i].data) {
            return std::nullopt;
        }
        // Wine keeps the terminating NUL of a string out of the file; the registry hands it
        // over, and it counts against the caller's buffer, which Windows measures in UTF-16.
        std::string data = *sightings[i].data + '\0';
        if (utf16Length(data) > bufferSize) {
            return std::nullopt;
        }
        return data;
    }
    return std::nullopt;
}

std::optional<std::string> WinePrefixRegistry::hostPath(const std::string& registryPath) const {
    // Only drive paths ("C:" followed by nothing or a separator) can be mapped; a relative or
    // network path names nothing inside the prefix.
    if (prefix_.empty() || registryPath.size() < 2 || registryPath[1] != ':' ||
        foldAscii(registryPath[0]) < 'a' || foldAscii(registryPath[0]) > 'z' ||
        (registryPath.size() > 2 && registryPath[2] != '\\' && registryPath[2] != '/')) {
        return std::nullopt;
    }
    const fs::path link = prefix_ / "dosdevices" / std::string{foldAscii(registryPath[0]), ':'};
    std::error_code ec;
    fs::path drive = fs::read_symlink(link, ec);
    if (ec) {
        return std::nullopt;
    }
    if (drive.is_relative()) {
        drive = (link.parent_path() / drive).lexically_normal();
    }

    // Walk the components so that each one takes the case it has on disk; keep the
    // separators, a trailing one included, as the registry had them (turned into '/').
    std::string host = drive.string();
    while (host.size() > 1 && host.back() == '/') {
        host.pop_back();
    }
    fs::path folder = drive;
    std::size_t pos = 2;
    while (pos < registryPath.size()) {
        const std::size_t next = registryPath.find_first_of("\\/", pos);
        const std::size_t end = next == std::string::npos ? registryPath.size() : next;
        const std::string component = registryPath.substr(pos, end - pos);
        if (!component.empty()) {
            const std::string onDisk = matchCase(folder, component);
            folder /= onDisk;
            host += onDisk;
        }
        if (next == std::string::npos) {
            break;
        }
        if (host.empty() || host.back() != '/') {
            host += '/';
        }
        pos = next + 1;
    }
    return host;
}

}  // namespace cirrowisp
