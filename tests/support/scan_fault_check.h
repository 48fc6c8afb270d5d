#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "patcher/aircraft_scan.h"
#include "patcher/patch_options.h"
#include "tests/support/fake_file_system.h"

namespace cirrowisp {

// One aircraft folder of a generated simulator tree.
struct FolderSpec {
    std::string path;  // full path, below "/sim" (or elsewhere, for a folder fsx.cfg lists)
    std::optional<std::string> aircraft;  // aircraft.cfg, when there is one
    std::string aircraftName = "aircraft.cfg";
    std::optional<std::string> backup;  // an older without_contrails_aircraft.cfg
    bool panel = false;
    bool heldOpen = false;  // aircraft.cfg held open by another program
    bool backupHeldOpen = false;
    bool readOnly = false;  // nothing can be created in the folder
    // Restore actions: appended to aircraft.cfg after the run that precedes the restore, as a
    // pilot's edit.
    std::optional<std::string> editAfterRun;
    // Restore actions: an aircraft_before_restore.cfg already in the folder.
    std::optional<std::string> keptBefore;
    // One of kPlantedLinkNames, planted as a link to a file outside the tree (for a restore
    // action, after the run that precedes it), as an archive from a stranger could hold it.
    std::optional<std::string> link;
};

// The names the program creates or takes for its own in an aircraft folder: where a planted
// link could lead its bytes out of the tree, or pass a stranger's file off as ours.
inline const std::array<std::string, 5> kPlantedLinkNames = {
    "new_aircraft.cfg", "without_contrails_aircraft.tmp", "without_contrails_aircraft.cfg",
    "aircraft_before_restore.tmp", "aircraft_before_restore.cfg"};

// What the checked change is: a run, or a restore after a clean run (forced or not).
enum class FaultAction { run, restore, forceRestore };

struct TreeSpec {
    std::vector<FolderSpec> folders;
    PatchOptions options;  // simulatorPath is set to "/sim"
    FaultAction action = FaultAction::run;
    bool findsAnyCase = false;  // the fake finds names in any case, as Windows does

    // A new folder at `path`; the reference lasts until the next one is added.
    FolderSpec& add(std::string path, std::optional<std::string> aircraft) {
        FolderSpec& folder = folders.emplace_back();
        folder.path = std::move(path);
        folder.aircraft = std::move(aircraft);
        return folder;
    }
};

// The path an operation of FakeFileSystem::log() works on: "write /sim/A/new_aircraft.cfg
// [fails]" names it after the verb, "rename FROM -> TO" names FROM.
std::string operationPath(std::string logEntry);

// A tree and what a clean run over it does, to check runs in which one operation fails.
class FaultCheck {
public:
    explicit FaultCheck(TreeSpec tree);

    // The number of file operations a run over the tree makes when nothing fails.
    std::size_t operations() const { return operations_; }
    // The totals of that run.
    const ScanTotals& totals() const { return totals_; }
    // The tree, on a fresh fake.
    void build(FakeFileSystem& fs) const;

    // Runs the scan over the tree with operation `n` (1-based) failing with `fault`, checking
    // after every operation that each aircraft.cfg is whole (its bytes before the run or the
    // patched ones) and each backup holds the original bytes; that a file whose rewrite is its
    // own bytes is never written, renamed or given a backup; then that a failure names a file
    // and the reason, that no half-made file is left, and that a run after the fault is lifted
    // ends exactly where a clean run does. A file a planted link points to keeps its bytes
    // throughout. Returns the first broken promise, or "".
    // For a restore action the same, over the tree as a clean run (and the edits) left it,
    // with the promises of checkMidway (tests/support/tree_transition.h) after every operation.
    // The same promises hold of the disk as a power cut would leave it
    // (FakeFileSystem::durableFilesBelow): after every operation of a clean run or restore,
    // checked once for the tree, and from the failing operation to the end of the failed one.
    std::string failAt(std::size_t n, FakeFault fault) const;
    // failAt for every operation in turn: each broken promise with the operation and the
    // fault that broke it, one a line, or "".
    std::string failAtEach(FakeFault fault) const;

private:
    std::string failRestoreAt(std::size_t n, FakeFault fault) const;
    // The first promise the tree, as seen or as a power cut would leave it, breaks now; for a
    // run, `finished` marks the folders seen with their new file, which must keep it.
    std::string brokenNow(const FakeFileSystem& fs, const std::map<std::string, std::string>& start,
                          bool durable, std::vector<bool>* finished) const;
    // A clean change with the power cut after each operation: the first broken promise, or "".
    std::string cutAtEveryOperation() const;

    TreeSpec tree_;
    std::vector<std::string> patched_;  // per folder: its aircraft.cfg once treated
    std::map<std::string, std::string> endState_;
    std::string powerCut_;  // what cutAtEveryOperation found
    bool cleanRunFails_ = false;
    std::size_t operations_ = 0;
    ScanTotals totals_;
};

}  // namespace cirrowisp
