#pragma once

#include <cstdint>
#include <string>

namespace cirrowisp::bench {

struct FloorOptions {
    std::string simulatorFolder;
    bool includeFlyable = true;
    bool sync = true;  // flush each new file to the disk before it is renamed, as the run does
    // Only list, test for a panel and read each aircraft.cfg: what a run over a tree in which
    // nothing changes any more cannot do with less.
    bool readOnly = false;
};

struct FloorTotals {
    int treated = 0;
    int flyable = 0;
    int backupsMade = 0;
    std::uint64_t bytes = 0;
};

// The file operations of one run and nothing else, straight on the host's calls (POSIX in
// io_floor.cpp, the wide Win32 calls in io_floor_win32.cpp): list both
// roots, search each folder for a panel, read aircraft.cfg once, write its bytes unchanged to
// new_aircraft.cfg and, on a first run, to a backup copy, flush both, rename them into place
// (or, with readOnly, only read).
// What a run costs if our code cost nothing. Throws std::runtime_error on a failure.
FloorTotals ioFloorRun(const FloorOptions& options);

}  // namespace cirrowisp::bench
