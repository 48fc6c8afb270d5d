#include "platform/simulator_folders.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "patcher/addon_config.h"
#include "patcher/file_error.h"
#include "patcher/simobject_paths.h"
#include "platform/addon_xml.h"
#include "platform/simulator_config.h"

#ifdef _WIN32
#include <windows.h>
// Needs the declarations of windows.h first.
#include <shlobj.h>

#include "platform/win32_text.h"
#endif

namespace cirrowisp {

namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
std::filesystem::path hostPath(const std::string& path) {
    return toWide(path);  // paths are UTF-8 inside
}
std::string fromHost(const std::filesystem::path& path) {
    return fromWide(path.wstring());
}
#else
constexpr char kSep = '/';
std::filesystem::path hostPath(const std::string& path) {
    return path;
}
std::string fromHost(const std::filesystem::path& path) {
    return path.string();
}
#endif

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(hostPath(path), ec);
}

std::string join(const std::string& folder, std::string_view name) {
    return folder.empty() || folder.back() == kSep ? folder + std::string(name)
                                                   : folder + kSep + std::string(name);
}

bool isAbsolute(std::string_view path) {
    return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\") ||
           path.starts_with("/");
}

// The folders of one Prepar3D user that hold its lists, as host paths.
struct UserFolders {
    std::string local, roaming, programData, documents;
};

// "...\Lockheed Martin\Prepar3D vN\Prepar3D.cfg": the version N, from 2 on; nullopt for any
// other simulator's file.
std::optional<int> prepar3dVersion(const std::string& configFile) {
    const std::string folder = fromHost(hostPath(configFile).parent_path().filename());
    constexpr std::string_view kName = "Prepar3D v";
    if (!folder.starts_with(kName) || folder.size() != kName.size() + 1 || folder.back() < '2' ||
        folder.back() > '9') {
        return std::nullopt;
    }
    return folder.back() - '0';
}

UserFolders userFolders(const std::string& configFile) {
    UserFolders folders;
#ifdef _WIN32
    (void)configFile;
    auto known = [](int id) {
        wchar_t folder[MAX_PATH] = {};
        return SUCCEEDED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder))
                   ? fromWide(folder)
                   : std::string();
    };
    folders = {known(CSIDL_LOCAL_APPDATA), known(CSIDL_APPDATA), known(CSIDL_COMMON_APPDATA),
               known(CSIDL_PERSONAL)};
#else
    // Inside a Wine prefix the configuration file's own place tells the user's folders:
    // <user>/AppData/Roaming now, <user>/Application Data before.
    const std::filesystem::path roaming =
        hostPath(configFile).parent_path().parent_path().parent_path();
    const bool old = roaming.filename() == "Application Data";
    const std::filesystem::path user =
        old ? roaming.parent_path() : roaming.parent_path().parent_path();
    folders.roaming = roaming.string();
    folders.local =
        (old ? user / "Local Settings" / "Application Data" : user / "AppData" / "Local").string();
    folders.documents = (user / (old ? "My Documents" : "Documents")).string();
    if (const std::size_t driveC = configFile.rfind("/drive_c/"); driveC != std::string::npos) {
        folders.programData = configFile.substr(0, driveC) + "/drive_c/ProgramData";
    }
#endif
    return folders;
}

std::string sameCaseKey(std::string path) {
#ifdef _WIN32
    std::transform(path.begin(), path.end(), path.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
#endif
    return path;
}

// The sub-folders of `folder` that hold an add-on.xml.
std::vector<std::string> discoveredPackages(const std::string& folder) {
    std::vector<std::string> packages;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(hostPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string package = fromHost(it->path());
        if (exists(join(package, "add-on.xml"))) {
            packages.push_back(package);
        }
    }
    std::sort(packages.begin(), packages.end());
    return packages;
}

// The packages a Prepar3D vN loads, each once, in the order the simulator names them.
std::vector<std::string> activePackages(int version, const UserFolders& user,
                                        std::vector<std::string>& problems) {
    const std::string tail = "Lockheed Martin" + std::string(1, kSep) + "Prepar3D v" +
                             std::to_string(version) + kSep + "add-ons.cfg";
    std::vector<std::string> named;
    std::set<std::string> off;
    for (const std::string& place : {user.local, user.roaming, user.programData}) {
        const std::string file = join(place, tail);
        if (place.empty() || !exists(file)) {
            continue;
        }
        AddOnsList list;
        try {
            list = readAddOnsList(readConfigFile(file));
        } catch (const FileError& failure) {
            problems.push_back(std::string(failure.what()) + ", passed over");
            continue;
        }
        for (const AddOnPackage& package : list.packages) {
            const std::string host = hostPathFromListed(package.path, file);
            // Switched off in one list, a package stays off wherever else it is found.
            if (package.active) {
                named.push_back(host);
            } else {
                off.insert(sameCaseKey(host));
            }
        }
        for (const std::string& path : list.discoveryPaths) {
            const auto found = discoveredPackages(hostPathFromListed(path, file));
            named.insert(named.end(), found.begin(), found.end());
        }
    }
    if (!user.documents.empty()) {
        const std::string documentsFolder =
            version >= 4 ? join(user.documents, "Prepar3D v" + std::to_string(version) + " Add-ons")
                         : join(join(user.documents, "Prepar3D v3 Files"), "add-ons");
        const auto found = discoveredPackages(documentsFolder);
        named.insert(named.end(), found.begin(), found.end());
    }
    std::vector<std::string> packages;
    std::set<std::string> seen;
    for (const std::string& package : named) {
        if (!off.contains(sameCaseKey(package)) && seen.insert(sameCaseKey(package)).second) {
            packages.push_back(package);
        }
    }
    return packages;
}

std::string componentFolder(const std::string& package, std::string path) {
    if (isAbsolute(path)) {
        return hostPathFromListed(path, package);
    }
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return join(package, path);
}

}  // namespace

std::vector<std::string> SimulatorFolders::folders() const {
    std::vector<std::string> all;
    std::set<std::string> seen;
    for (const FolderList& list : lists) {
        for (const std::string& folder : list.folders) {
            if (seen.insert(sameCaseKey(folder)).second) {
                all.push_back(folder);
            }
        }
    }
    return all;
}

SimulatorFolders gatherSimulatorFolders(const std::string& configFile) {
    std::string file = configFile;
    if (file.empty()) {
        const std::optional<std::string> user = simulatorConfigFile();
        if (!user) {
            throw FileError(kSimulatorConfigName, "there is no home folder to look for it in");
        }
        file = *user;
    }
    SimulatorFolders result;
    result.lists.push_back(
        {fromHost(hostPath(file).filename()) + " at " + file, listedAircraftFolders(file)});
    const std::optional<int> version = prepar3dVersion(file);
    if (!version) {
        return result;
    }
    const UserFolders user = userFolders(file);
    const std::string simObjects =
        join(user.programData, "Lockheed Martin" + std::string(1, kSep) + "Prepar3D v" +
                                   std::to_string(*version) + kSep + "simobjects.cfg");
    if (!user.programData.empty() && exists(simObjects)) {
        try {
            std::vector<std::string> folders = readSimObjectsEntries(readConfigFile(simObjects));
            for (std::string& folder : folders) {
                folder = hostPathFromListed(folder, simObjects);
            }
            result.lists.push_back({"simobjects.cfg at " + simObjects, std::move(folders)});
        } catch (const FileError& failure) {
            result.problems.push_back(std::string(failure.what()) + ", passed over");
        }
    }
    // Add-on packages came with v3.
    const std::vector<std::string> packages = *version >= 3
                                                  ? activePackages(*version, user, result.problems)
                                                  : std::vector<std::string>{};
    for (const std::string& package : packages) {
        const std::string xml = join(package, "add-on.xml");
        try {
            FolderList list{"add-on package " + package, {}};
            for (const AddOnComponent& component : readAddOnXml(readConfigFile(xml))) {
                if (equalsIgnoringAsciiCase(component.category, "SimObjects")) {
                    list.folders.push_back(componentFolder(package, component.path));
                } else if (equalsIgnoringAsciiCase(component.category, "Effects")) {
                    result.effectFolders.push_back(componentFolder(package, component.path));
                }
            }
            result.lists.push_back(std::move(list));
        } catch (const FileError& failure) {
            result.problems.push_back(std::string(failure.what()) + ", passed over");
        } catch (const AddOnXmlError& failure) {
            result.problems.push_back(xml + ": " + failure.what() + ", passed over");
        }
    }
    return result;
}

}  // namespace cirrowisp
