#include "tests/support/scan_fault_check.h"

#include <utility>

#include "patcher/aircraft_scan.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/file_error.h"
#include "patcher/restore_scan.h"
#include "tests/support/samples.h"
#include "tests/support/tree_transition.h"

namespace cirrowisp {

namespace {

const std::string kBackupName = "without_contrails_aircraft.cfg";

// Where a folder's planted link points: a file outside the tree, with bytes of its own.
std::string outsidePath(const FolderSpec& folder) {
    return "/outside" + folder.path;
}

std::string outsideBytes(const FolderSpec& folder) {
    return "not an aircraft file: " + folder.path + "\r\n";
}

void plantLinks(const TreeSpec& tree, FakeFileSystem& fs) {
    for (const FolderSpec& folder : tree.folders) {
        if (folder.link) {
            fs.addLink(folder.path + "/" + *folder.link, outsidePath(folder));
        }
    }
}

// A planted link that was followed: the file outside the tree no longer holds its bytes, or an
// aircraft.cfg took them (a stranger's file passed off as the backup). "" when none was.
std::string linkFollowed(const TreeSpec& tree, const FakeFileSystem& fs) {
    for (const FolderSpec& folder : tree.folders) {
        if (!folder.link) {
            continue;
        }
        const std::string link = folder.path + "/" + *folder.link;
        if (fs.content(outsidePath(folder)) != outsideBytes(folder)) {
            return "written through the link " + link;
        }
        if (fs.content(folder.path + "/" + folder.aircraftName) == outsideBytes(folder)) {
            return "aircraft.cfg took the bytes behind the link " + link;
        }
    }
    return {};
}

void buildTree(const TreeSpec& tree, FakeFileSystem& fs) {
    for (const FolderSpec& folder : tree.folders) {
        if (folder.link) {
            fs.addFile(outsidePath(folder), outsideBytes(folder));
        }
    }
    fs.setFindsAnyCase(tree.findsAnyCase);
    fs.addFolder("/sim/SimObjects/Airplanes");
    fs.addFolder("/sim/MyTraffic/Aircraft");
    for (const FolderSpec& folder : tree.folders) {
        fs.addFolder(folder.path);
        if (folder.aircraft) {
            fs.addFile(folder.path + "/" + folder.aircraftName, *folder.aircraft);
            fs.setHeldOpen(folder.path + "/" + folder.aircraftName, folder.heldOpen);
        }
        if (folder.backup) {
            fs.addFile(folder.path + "/" + kBackupName, *folder.backup);
            fs.setHeldOpen(folder.path + "/" + kBackupName, folder.backupHeldOpen);
        }
        if (folder.panel) {
            fs.addFolder(folder.path + "/panel");
        }
        fs.setReadOnly(folder.path, folder.readOnly);
    }
    if (tree.action == FaultAction::run) {
        plantLinks(tree, fs);
    }
}

PatchOptions optionsOf(const TreeSpec& tree) {
    PatchOptions options = tree.options;
    options.simulatorPath = "/sim";
    return options;
}

// Runs the scan; a FileError is an ordinary outcome here and comes back as its text.
std::optional<FileError> run(const TreeSpec& tree, FakeFileSystem& fs, ScanTotals* totals = nullptr,
                             const FolderObserver& observer = {}) {
    try {
        const ScanTotals result = AircraftScan(optionsOf(tree), fs, observer);
        if (totals != nullptr) {
            *totals = result;
        }
        return std::nullopt;
    } catch (const FileError& error) {
        return error;
    }
}

// The restore of a restore action, with the run's folders and flyable choice.
std::optional<FileError> restore(const TreeSpec& tree, FakeFileSystem& fs) {
    RestoreOptions options;
    options.simulatorPath = "/sim";
    options.simObjectPaths = tree.options.simObjectPaths;
    options.includeFlyable = tree.options.includeFlyable != 0;
    options.force = tree.action == FaultAction::forceRestore;
    try {
        RestoreOriginals(options, fs);
        return std::nullopt;
    } catch (const FileError& error) {
        return error;
    }
}

// The tree a restore action starts from: the tree, a clean run over it (which may end early,
// on a backup held open), then the pilot's edits.
void prepareRestore(const TreeSpec& tree, FakeFileSystem& fs) {
    buildTree(tree, fs);
    run(tree, fs);
    for (const FolderSpec& folder : tree.folders) {
        const std::string path = folder.path + "/" + folder.aircraftName;
        if (folder.editAfterRun && fs.exists(path)) {
            fs.addFile(path, fs.content(path).value_or("") + *folder.editAfterRun);
        }
        if (folder.keptBefore) {
            fs.addFile(folder.path + "/aircraft_before_restore.cfg", *folder.keptBefore);
        }
    }
    plantLinks(tree, fs);
}

// The file a treated folder ends with (its own bytes, when a run must leave it alone).
std::string patched(const TreeSpec& tree, const std::string& original) {
    return cirrowisp::patched(original, optionsOf(tree));
}

// The tree without the half-made files (or links of their names) it had at the start: a failed
// change may remove one that a clean change found no need to touch.
TreeFiles withoutStale(TreeFiles files, const TreeFiles& start) {
    std::erase_if(files, [&](const auto& file) {
        return isHalfMade(file.first) && start.count(file.first) != 0;
    });
    return files;
}

std::string firstProblem(const std::vector<std::string>& problems) {
    return problems.empty() ? std::string() : problems.front();
}

// Operations whose failure a run cannot go on from. A listing or an open that fails makes a
// folder look empty, or a backup absent, and a failed question about a name answers "there".
bool endsTheRun(const std::string& logEntry) {
    for (const char* verb : {"list ", "openRead ", "create ", "exists ", "isLink "}) {
        if (logEntry.starts_with(verb)) {
            return false;
        }
    }
    return !logEntry.empty();
}

}  // namespace

std::string operationPath(std::string logEntry) {
    const std::string mark = " [fails]";
    if (logEntry.ends_with(mark)) {
        logEntry.resize(logEntry.size() - mark.size());
    }
    const std::size_t start = logEntry.find(' ') + 1;
    const std::size_t arrow = logEntry.find(" -> ", start);
    return logEntry.substr(start, arrow == std::string::npos ? std::string::npos : arrow - start);
}

std::string FaultCheck::failAtEach(FakeFault fault) const {
    std::string broken;
    for (std::size_t n = 1; n <= operations_; ++n) {
        const std::string promise = failAt(n, fault);
        if (!promise.empty()) {
            broken += "operation " + std::to_string(n) + " fails with " +
                      FakeFileSystem::reasonText(fault) + ": " + promise + "\n";
        }
    }
    return broken;
}

FaultCheck::FaultCheck(TreeSpec tree) : tree_(std::move(tree)) {
    FakeFileSystem clean;
    if (tree_.action != FaultAction::run) {
        prepareRestore(tree_, clean);
        const std::size_t before = clean.operationCount();
        cleanRunFails_ = restore(tree_, clean).has_value();
        endState_ = clean.filesBelow("/");
        operations_ = clean.operationCount() - before;
        powerCut_ = cutAtEveryOperation();
        return;
    }
    buildTree(tree_, clean);
    cleanRunFails_ = run(tree_, clean, &totals_).has_value();
    endState_ = clean.filesBelow("/");
    operations_ = clean.operationCount();
    for (const FolderSpec& folder : tree_.folders) {
        patched_.push_back(folder.aircraft ? patched(tree_, *folder.aircraft) : std::string());
    }
    powerCut_ = cutAtEveryOperation();
}

void FaultCheck::build(FakeFileSystem& fs) const {
    buildTree(tree_, fs);
}

std::string FaultCheck::brokenNow(const FakeFileSystem& fs, const TreeFiles& start, bool durable,
                                  std::vector<bool>* finished) const {
    if (tree_.action != FaultAction::run) {
        return firstProblem(checkMidway(start, endState_,
                                        durable ? fs.durableFilesBelow("/") : fs.filesBelow("/"), 1)
                                .problems);
    }
    const auto contentOf = [&](const std::string& path) {
        return durable ? fs.durableContent(path) : fs.content(path);
    };
    for (std::size_t i = 0; i < tree_.folders.size(); ++i) {
        const FolderSpec& folder = tree_.folders[i];
        if (!folder.aircraft) {
            continue;
        }
        const std::string path = folder.path + "/" + folder.aircraftName;
        const auto now = contentOf(path);
        if (!now) {
            return path + " is gone";
        }
        if (*now != *folder.aircraft && *now != patched_[i]) {
            return path + " is neither its old nor its new file";
        }
        if (finished != nullptr && *folder.aircraft != patched_[i]) {
            if (*now == patched_[i]) {
                (*finished)[i] = true;
            } else if ((*finished)[i]) {
                return path + " went back to its old bytes";
            }
        }
        const auto backup = contentOf(folder.path + "/" + kBackupName);
        const std::string& original = folder.backup ? *folder.backup : *folder.aircraft;
        if (backup && *backup != original) {
            return folder.path + " has a backup that is not the original";
        }
        if (!backup && *now != *folder.aircraft) {
            return path + " changed without a backup";
        }
    }
    return {};
}

std::string FaultCheck::cutAtEveryOperation() const {
    FakeFileSystem fs;
    if (tree_.action == FaultAction::run) {
        buildTree(tree_, fs);
    } else {
        prepareRestore(tree_, fs);
    }
    const std::size_t before = fs.operationCount();
    const TreeFiles start = fs.filesBelow("/");
    std::string broken;
    fs.setAfterEachOperation([&] {
        if (broken.empty()) {
            broken = brokenNow(fs, start, true, nullptr);
            if (!broken.empty()) {
                broken = "a power cut after operation " +
                         std::to_string(fs.operationCount() - before) + " leaves " + broken;
            }
        }
    });
    if (tree_.action == FaultAction::run) {
        run(tree_, fs);
    } else {
        restore(tree_, fs);
    }
    return broken;
}

std::string FaultCheck::failAt(std::size_t n, FakeFault fault) const {
    if (!powerCut_.empty()) {
        return powerCut_;
    }
    if (tree_.action != FaultAction::run) {
        return failRestoreAt(n, fault);
    }
    const TreeSpec& tree = tree_;
    FakeFileSystem fs;
    buildTree(tree, fs);
    const TreeFiles start = fs.filesBelow("/");
    std::vector<bool> finished(tree.folders.size());
    bool failedRun = true;  // a power cut is checked from the failed operation to the run's end
    std::string broken;
    fs.setAfterEachOperation([&] {
        if (broken.empty()) {
            broken = linkFollowed(tree, fs);
        }
        if (broken.empty()) {
            broken = brokenNow(fs, start, false, &finished);
        }
        if (broken.empty() && failedRun && fs.operationCount() >= n) {
            broken = brokenNow(fs, start, true, nullptr);
            if (!broken.empty()) {
                broken = "a power cut leaves " + broken;
            }
        }
    });
    // A folder the reports call treated is finished by then, whatever comes after it.
    const FolderObserver observer = [&](const FolderReport& report) {
        for (std::size_t i = 0; i < tree.folders.size() && broken.empty(); ++i) {
            const FolderSpec& folder = tree.folders[i];
            const std::string path = folder.path + "/" + folder.aircraftName;
            if (report.treated && fs.normalise(report.folder) == folder.path &&
                fs.content(path) != patched_[i]) {
                broken = "reported as treated before it was finished: " + path;
            }
        }
    };
    fs.failOperation(n, fault);
    const std::optional<FileError> error = run(tree, fs, nullptr, observer);
    if (!broken.empty()) {
        return broken + " (after operation " + std::to_string(fs.operationCount()) + ")";
    }
    failedRun = false;
    if (error && (error->path().rfind('/', 0) != 0 || error->reason().empty())) {
        return "the error does not name a file and a reason: " + error->path() + ": " +
               error->reason();
    }
    // Where a clean run ends well, a failure is the injected one: the run ends on it, naming the
    // file the failing operation worked on and the system's reason; or, when opening an
    // existing backup failed, naming the backup whose name the run then found taken.
    const std::string failed = n <= fs.log().size() ? fs.log()[n - 1] : std::string();
    if (!cleanRunFails_ && error) {
        const bool backupTaken =
            error->reason() == FakeFileSystem::reasonText(FakeFault::NameTaken) &&
            error->path().ends_with("/" + kBackupName);
        if (!backupTaken && (fs.normalise(error->path()) != fs.normalise(operationPath(failed)) ||
                             error->reason() != FakeFileSystem::reasonText(fault))) {
            return "the run ended on " + error->path() + ": " + error->reason() +
                   ", not on the failed " + failed;
        }
    } else if (!cleanRunFails_ && endsTheRun(failed)) {
        return "the run went on after " + failed;
    }
    // A file whose rewrite is its own bytes is only ever read: nothing in its folder is
    // created, renamed or removed, so the file keeps its time and gets no backup.
    for (std::size_t i = 0; i < tree.folders.size(); ++i) {
        const FolderSpec& folder = tree.folders[i];
        if (!folder.aircraft || patched_[i] != *folder.aircraft) {
            continue;
        }
        for (const std::string& entry : fs.log()) {
            const bool changes = !entry.starts_with("list ") && !entry.starts_with("exists ") &&
                                 !entry.starts_with("isLink ") && !entry.starts_with("openRead ") &&
                                 !entry.starts_with("read ");
            if (changes && entry.find(folder.path + "/") != std::string::npos) {
                return "a file that stays the same was written: " + entry;
            }
        }
    }
    // Only the failed operation itself may leave a half-made file: the removal of that file, in
    // the clean-up after a run that had already failed.
    for (const auto& [path, bytes] : fs.filesBelow("/")) {
        const auto before = start.find(path);
        const bool stale = before != start.end() && before->second == bytes;
        if (isHalfMade(path) && !stale && failed != "remove /" + path + " [fails]") {
            return "a half-made file is left: " + path;
        }
    }

    fs.failOperation(0);
    const std::optional<FileError> rerunError = run(tree, fs);
    // A tree that stops every run (a backup held open) has no normal end state to reach.
    if (!cleanRunFails_ && rerunError) {
        return "the rerun failed: " + rerunError->path() + ": " + rerunError->reason();
    }
    if (!cleanRunFails_ &&
        withoutStale(fs.filesBelow("/"), start) != withoutStale(endState_, start)) {
        return "the rerun did not reach the end state of a clean run";
    }
    return {};
}

std::string FaultCheck::failRestoreAt(std::size_t n, FakeFault fault) const {
    FakeFileSystem fs;
    prepareRestore(tree_, fs);
    const TreeFiles start = fs.filesBelow("/");
    const std::size_t before = fs.operationCount();
    std::string broken;
    fs.setAfterEachOperation([&] {
        if (broken.empty()) {
            broken = linkFollowed(tree_, fs);
        }
        if (broken.empty()) {
            broken = brokenNow(fs, start, false, nullptr);
        }
        if (broken.empty() && fs.operationCount() - before >= n) {
            broken = brokenNow(fs, start, true, nullptr);
            if (!broken.empty()) {
                broken = "a power cut leaves " + broken;
            }
        }
    });
    fs.failOperation(n, fault);
    const std::optional<FileError> error = restore(tree_, fs);
    if (!broken.empty()) {
        return broken + " (after operation " + std::to_string(fs.operationCount() - before) + ")";
    }
    if (error && (error->path().rfind('/', 0) != 0 || error->reason().empty())) {
        return "the error does not name a file and a reason: " + error->path() + ": " +
               error->reason();
    }
    const std::string failed = before + n <= fs.log().size() ? fs.log()[before + n - 1] : "";
    for (const auto& [path, bytes] : fs.filesBelow("/")) {
        if (isHalfMade(path) && start.count(path) == 0 &&
            failed != "remove /" + path + " [fails]") {
            return "a half-made file is left: " + path;
        }
    }

    fs.setAfterEachOperation({});
    fs.failOperation(0);
    const std::optional<FileError> rerunError = restore(tree_, fs);
    if (!cleanRunFails_ && rerunError) {
        return "the second restore failed: " + rerunError->path() + ": " + rerunError->reason();
    }
    if (!cleanRunFails_ &&
        withoutStale(fs.filesBelow("/"), start) != withoutStale(endState_, start)) {
        return "the second restore did not reach the end state of a clean one";
    }
    return {};
}

}  // namespace cirrowisp
