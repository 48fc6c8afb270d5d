#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cirrowisp {

// Where this user's simulator keeps its configuration file on this host, most likely first:
// on Windows in the roaming application data folder, under Microsoft\FSX; on Linux the same
// inside the Wine prefix ($WINEPREFIX or ~/.wine), where that folder's name depends on the
// Wine version ("AppData/Roaming" now, "Application Data" before).
std::vector<std::string> simulatorConfigCandidates();

// The file the simulator itself would read: the first candidate that exists, or else the first
// one, so that the error of reading it names where it was expected; nullopt when there is no
// place to look (no home folder).
std::optional<std::string> simulatorConfigFile();

// The whole file; throws FileError with the system's reason when it cannot be read (missing, a
// folder, no permission).
std::string readConfigFile(const std::string& path);

// The aircraft folders the configuration file at `path` lists, as paths this host can open. On
// Linux a drive path ("D:\AI") is mapped through the Wine prefix the file lies in (or the
// default prefix); a path without a drive stays as written. Throws FileError as above.
std::vector<std::string> listedAircraftFolders(const std::string& path);

// What the command line and both dialogs read for the simulator's own list of folders: every
// folder gatherSimulatorFolders finds, each once. Throws FileError as that does.
std::vector<std::string> simulatorListedFolders(const std::string& configFile);

}  // namespace cirrowisp
