#pragma once

#include <string>
#include <vector>

namespace cirrowisp {

// One list the simulator reads aircraft folders from, and the folders it gave.
struct FolderList {
    std::string source;  // "Prepar3D.cfg at ...", "simobjects.cfg at ...", "package ..."
    std::vector<std::string> folders;
};

// Every folder of aircraft folders a simulator loads, list by list.
struct SimulatorFolders {
    std::vector<FolderList> lists;
    std::vector<std::string> effectFolders;  // the active packages' Effects components
    std::vector<std::string> problems;       // files passed over, each with its reason

    // The folders of all lists in order, each once.
    std::vector<std::string> folders() const;
};

// What the command line and both dialogs read for the simulator's own list of folders: the
// folders `configFile` lists, or, when it is empty, those of the user's fsx.cfg. A Prepar3D
// from v2 on also loads the active entries of simobjects.cfg (in its program data folder) and
// (from v3) the SimObjects components of every active add-on package: those the add-ons.cfg in its
// local, roaming and program data folders name or let be discovered, and those in the Documents
// folder's "Prepar3D vN Add-ons" (v3: "Prepar3D v3 Files\add-ons"). A missing simobjects.cfg or
// add-ons.cfg is no error; a broken add-on.xml is named in `problems` and passed over. Throws
// FileError when `configFile` cannot be read, and when there is no place to look for the user's
// (no home folder).
SimulatorFolders gatherSimulatorFolders(const std::string& configFile);

// Mapped to a path this host opens: on Linux a drive path ("D:\AI") through the Wine prefix
// the file `listedIn` lies in (or the default prefix); anything else stays as written.
std::string hostPathFromListed(const std::string& folder, const std::string& listedIn);

}  // namespace cirrowisp
