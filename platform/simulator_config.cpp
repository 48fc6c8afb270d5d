#include "platform/simulator_config.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "patcher/file_error.h"
#include "patcher/simobject_paths.h"
#include "platform/simulator_folders.h"

#ifdef _WIN32
#include <windows.h>
// Needs the declarations of windows.h first.
#include <shlobj.h>

#include "platform/win32_text.h"
#else
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/wine_prefix_registry.h"
#endif

namespace cirrowisp {

namespace {

#ifndef _WIN32
// The prefix a file inside drive_c belongs to; the default prefix for a file elsewhere.
std::filesystem::path prefixOf(const std::string& path) {
    const std::size_t driveC = path.rfind("/drive_c/");
    if (driveC != std::string::npos) {
        return path.substr(0, driveC);
    }
    return WinePrefixRegistry::defaultPrefix();
}
#endif

}  // namespace

std::vector<std::string> simulatorConfigCandidates() {
#ifdef _WIN32
    // The wide call: a user name outside the ANSI code page must not turn into '?'.
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return {fromWide(folder) + "\\Microsoft\\FSX\\" + kSimulatorConfigName};
#else
    const std::filesystem::path prefix = WinePrefixRegistry::defaultPrefix();
    if (prefix.empty()) {
        return {};
    }
    const std::filesystem::path user = prefix / "drive_c" / "users" / wineUserName();
    const std::filesystem::path tail =
        std::filesystem::path("Microsoft") / "FSX" / kSimulatorConfigName;
    return {(user / "AppData" / "Roaming" / tail).string(),
            (user / "Application Data" / tail).string()};
#endif
}

std::optional<std::string> simulatorConfigFile() {
    const std::vector<std::string> candidates = simulatorConfigCandidates();
    for (const std::string& candidate : candidates) {
        std::error_code ec;
#ifdef _WIN32
        const std::filesystem::path host(toWide(candidate));  // paths are UTF-8 inside
#else
        const std::filesystem::path host(candidate);
#endif
        if (std::filesystem::exists(host, ec)) {
            return candidate;
        }
    }
    if (candidates.empty()) {
        return std::nullopt;
    }
    return candidates.front();
}

std::string readConfigFile(const std::string& path) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    errno = 0;
#ifdef _WIN32
    const std::unique_ptr<std::FILE, Closer> file(_wfopen(toWide(path).c_str(), L"rb"));
#else
    const std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
#endif
    if (!file) {
        throw FileError(path, std::strerror(errno));
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, got);
    }
    // A folder opens on Linux and fails on the first read (EISDIR).
    if (std::ferror(file.get())) {
        throw FileError(path, std::strerror(errno));
    }
    return text;
}

std::string hostPathFromListed(const std::string& folder, const std::string& listedIn) {
#ifdef _WIN32
    (void)listedIn;
    return folder;
#else
    if (folder.size() < 2 || folder[1] != ':') {
        return folder;
    }
    const std::filesystem::path prefixFolder = prefixOf(listedIn);
    if (auto host = WinePrefixRegistry(prefixFolder).hostPath(folder)) {
        return *host;
    }
    // A drive the prefix does not have: named where Wine would look for it, so that the report
    // of a missing folder says something a Linux user can check.
    std::string rest = folder.substr(2);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(folder[0])));
    return (prefixFolder / "dosdevices" / std::string{drive, ':'}).string() + rest;
#endif
}

std::vector<std::string> listedAircraftFolders(const std::string& path) {
    std::vector<std::string> folders = readSimObjectPaths(readConfigFile(path));
    for (std::string& folder : folders) {
        folder = hostPathFromListed(folder, path);
    }
    return folders;
}

std::vector<std::string> simulatorListedFolders(const std::string& configFile) {
    return gatherSimulatorFolders(configFile).folders();
}

}  // namespace cirrowisp
