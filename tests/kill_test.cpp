// Kills cirrowisp-cli with SIGKILL at random moments of a run over a large simulator tree and
// checks that no aircraft is ever left without a whole aircraft.cfg, that every backup holds
// the original bytes, and that a second, complete run ends exactly where an uninterrupted run
// does. The same for a restore over the tree a run left (--restore), and for a forced one
// (--restore --force). Usage:
//
//   cirrowisp_kill_test --cli PATH [--rounds 200] [--folders 3000] [--seed 20261207] [--work DIR]
//                       [--modes run,restore,force]
//
// The rounds take the modes in turn. Exit status 0 when every round held, 1 otherwise. The
// seed fixes the tree and the kill moments' share of the run; the moments themselves are
// times, so they vary with the machine.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "patcher/publish_batch.h"
#include "tests/support/child_process.h"
#include "tests/support/disk_tree.h"
#include "tests/support/draw.h"
#include "tests/support/tree_transition.h"

namespace fs = std::filesystem;

namespace {

struct Settings {
    std::string cli;
    int rounds = 200;
    int folders = 3000;
    std::uint32_t seed = 20261207;
    fs::path work;
    std::vector<std::string> modes = {"run", "restore", "force"};
};

// One kind of change the test kills: its arguments, the tree it starts from, and where an
// uninterrupted one ends (and with which exit status).
struct Mode {
    std::string name;
    std::vector<std::string> args;
    fs::path tree;
    cirrowisp::TreeFiles start;
    cirrowisp::TreeFiles end;
    int status = 0;
    std::chrono::steady_clock::duration time{};
    int untouched = 0;
    int partial = 0;
    int complete = 0;
    int failed = 0;
};

using cirrowisp::Draw;

using cirrowisp::writeFile;
using Snapshot = cirrowisp::TreeFiles;

// Every file and folder below `root`, by relative path.
Snapshot snapshot(const fs::path& root) {
    return cirrowisp::snapshotTree(root, cirrowisp::kFilesAndFolders);
}

std::string engineSection(int engineType, Draw& draw) {
    std::string text = "[GeneralEngineData]\r\nengine_type=" + std::to_string(engineType) + "\r\n";
    if (draw.below(3) == 0) {
        text += "max_contrail_temperature=-" + std::to_string(draw.below(50)) + "\r\n";
    }
    text += "min_throttle_limit=-0.25\r\n\r\n";
    return text;
}

// An aircraft.cfg of a few kilobytes: sections in either order, sometimes a contrail already.
std::string aircraftFile(int index, int engineType, Draw& draw) {
    std::string text =
        "[fltsim.0]\r\ntitle=Kill test " + std::to_string(index) + "\r\nsim=plane\r\n\r\n";
    const bool effectsFirst = draw.below(4) == 0;
    std::string effects = "[effects]\r\nwake=fx_wake\r\n";
    if (draw.below(3) == 0) {
        effects += "contrail=fx_old\r\n";
    }
    effects += "\r\n";
    text += effectsFirst ? effects + engineSection(engineType, draw)
                         : engineSection(engineType, draw) + effects;
    const std::uint32_t padding = 20 + draw.below(120);
    text += "[flight_tuning]\r\n";
    for (std::uint32_t i = 0; i < padding; ++i) {
        text += "scalar_" + std::to_string(i) + "=" + std::to_string(draw.below(1000)) + ".5\r\n";
    }
    return text;
}

// The simulator tree the test starts from: mostly plain aircraft of every engine type, and
// among them the cases a run must leave alone or treat specially.
void buildTree(const fs::path& sim, const Settings& settings) {
    Draw draw(settings.seed);
    static constexpr int kEngineTypes[] = {0, 1, 1, 2, 3, 5, 5};
    for (int i = 0; i < settings.folders; ++i) {
        const fs::path root = sim / (i % 3 == 2 ? "MyTraffic/Aircraft" : "SimObjects/Airplanes");
        const std::string name = "AC" + std::to_string(100000 + i);
        const int engineType = kEngineTypes[draw.below(7)];
        const std::string original = aircraftFile(i, engineType, draw);
        switch (i % 16) {
            case 3:  // patched by an earlier run: its backup is older than the file
                writeFile(root / name / "aircraft.cfg", original + "; edited after the backup\r\n");
                writeFile(root / name / "without_contrails_aircraft.cfg", original);
                break;
            case 5:  // flyable, and the run includes flyable aircraft
                writeFile(root / name / "aircraft.cfg", original);
                fs::create_directories(root / name / "panel");
                writeFile(root / name / "panel" / "panel.cfg", "[Window00]\r\n");
                break;
            case 7:  // no aircraft.cfg
                writeFile(root / name / "readme.txt", "textures only\r\n");
                break;
            case 9:  // a dot in the name: never visited
                writeFile(root / (name + ".old") / "aircraft.cfg", original);
                break;
            case 11:  // spelled as on a case-insensitive disk
                writeFile(root / name / "Aircraft.CFG", original);
                break;
            default:
                writeFile(root / name / "aircraft.cfg", original);
                break;
        }
    }
}

// The command line over `sim`, started at once.
std::unique_ptr<cirrowisp::ChildProcess> startCli(const Settings& settings,
                                                  const std::vector<std::string>& args,
                                                  const fs::path& sim) {
    std::vector<std::string> argv = {settings.cli};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(sim.string());
    auto child = std::make_unique<cirrowisp::ChildProcess>(argv);
    if (child->pid() < 0) {
        throw std::runtime_error("fork failed");
    }
    return child;
}

int runToEnd(const Settings& settings, const std::vector<std::string>& args, const fs::path& sim) {
    return startCli(settings, args, sim)->wait();
}

// What must hold the moment the process is gone, wherever it was killed (see checkMidway).
// Returns the number of aircraft already finished, or -1 after printing what broke.
int checkAfterKill(const Snapshot& start, const Snapshot& finished, const Snapshot& now,
                   std::size_t batchFolders) {
    const cirrowisp::Midway midway = cirrowisp::checkMidway(start, finished, now, batchFolders);
    for (std::size_t i = 0; i < midway.problems.size() && i < 10; ++i) {
        std::cerr << "  " << midway.problems[i] << '\n';
    }
    if (midway.problems.size() > 10) {
        std::cerr << "  ... and " << midway.problems.size() - 10 << " more\n";
    }
    return midway.problems.empty() ? midway.foldersDone : -1;
}

bool parse(int argc, char** argv, Settings& settings) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--cli") {
            settings.cli = value;
        } else if (key == "--rounds") {
            settings.rounds = std::stoi(value);
        } else if (key == "--folders") {
            settings.folders = std::stoi(value);
        } else if (key == "--seed") {
            settings.seed = static_cast<std::uint32_t>(std::stoul(value));
        } else if (key == "--work") {
            settings.work = value;
        } else if (key == "--modes") {
            settings.modes.clear();
            for (std::size_t start = 0; start <= value.size();) {
                const std::size_t comma = std::min(value.find(',', start), value.size());
                const std::string mode = value.substr(start, comma - start);
                if (mode != "run" && mode != "restore" && mode != "force") {
                    return false;
                }
                settings.modes.push_back(mode);
                start = comma + 1;
            }
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !settings.cli.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!parse(argc, argv, settings)) {
        std::cerr << "usage: cirrowisp_kill_test --cli PATH [--rounds N] [--folders N] [--seed N] "
                     "[--work DIR] [--modes run,restore,force]\n";
        return 2;
    }
    // A RAM disk keeps thousands of small files (and the program's fsyncs) quick; the kill
    // tests the process, not the disk.
    if (settings.work.empty()) {
        // Four copies of the tree live there at once; a container's /dev/shm may be tiny.
        std::error_code error;
        const bool roomy = fs::space("/dev/shm", error).available > (std::uintmax_t{1} << 30);
        settings.work = !error && roomy ? fs::path("/dev/shm") : fs::temp_directory_path();
    }
    const fs::path base = settings.work / ("cirrowisp-kill-" + std::to_string(::getpid()));
    fs::create_directories(base);
    struct Cleanup {
        fs::path path;
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } cleanup{base};

    const fs::path pristine = base / "pristine";
    buildTree(pristine, settings);

    // The end state of an uninterrupted run, and, from there, of an uninterrupted restore and
    // forced restore; each mode starts from a tree of its own.
    std::vector<Mode> modes(3);
    modes[0].name = "run";
    modes[0].args = {"--flyable"};
    modes[0].tree = pristine;
    modes[1].name = "restore";
    modes[1].args = {"--restore", "--flyable"};
    modes[1].tree = base / "after-run";
    modes[2].name = "force";
    modes[2].args = {"--restore", "--force", "--flyable"};
    modes[2].tree = base / "after-run";
    for (Mode& mode : modes) {
        mode.start = snapshot(mode.tree);
        const fs::path reference = base / ("reference-" + mode.name);
        fs::copy(mode.tree, reference, fs::copy_options::recursive);
        mode.status = runToEnd(settings, mode.args, reference);
        // Some aircraft of the tree were edited after their backup was made: a restore leaves
        // them alone and says so.
        const int expected = mode.name == "restore" ? 3 : 0;
        if (mode.status != expected) {
            std::cerr << "the uninterrupted " << mode.name << " ended with status " << mode.status
                      << ", not " << expected << '\n';
            return 1;
        }
        mode.end = snapshot(reference);
        if (mode.name == "run") {
            fs::rename(reference, base / "after-run");
        }
    }
    std::erase_if(modes, [&](const Mode& mode) {
        return std::find(settings.modes.begin(), settings.modes.end(), mode.name) ==
               settings.modes.end();
    });
    // The first run meets a cold cache; time a few more, so the kills spread over a typical run.
    const fs::path timing = base / "timing";
    for (Mode& mode : modes) {
        mode.time = std::chrono::steady_clock::duration::max();
        for (int i = 0; i < 3; ++i) {
            fs::remove_all(timing);
            fs::copy(mode.tree, timing, fs::copy_options::recursive);
            const auto before = std::chrono::steady_clock::now();
            runToEnd(settings, mode.args, timing);
            mode.time = std::min(mode.time, std::chrono::steady_clock::now() - before);
        }
        std::cout << "tree: " << settings.folders << " folders; uninterrupted " << mode.name << ": "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(mode.time).count()
                  << " ms\n";
    }
    fs::remove_all(timing);

    Draw draw(settings.seed ^ 0x9e3779b9u);
    int failedRounds = 0;
    const fs::path work = base / "work";
    for (int round = 1; round <= settings.rounds; ++round) {
        Mode& mode = modes[static_cast<std::size_t>(round - 1) % modes.size()];
        fs::remove_all(work);
        fs::copy(mode.tree, work, fs::copy_options::recursive);
        // Kill anywhere from the start of the process to the end of a normal run.
        const auto delay =
            std::chrono::duration_cast<std::chrono::microseconds>(mode.time * draw.unit());
        const auto child = startCli(settings, mode.args, work);
        std::this_thread::sleep_for(delay);
        ::kill(child->pid(), SIGKILL);
        const bool killed = child->wait() == 128 + SIGKILL;

        // A run publishes its folders in batches; a restore goes file by file.
        const std::size_t batchFolders =
            mode.name == "run" ? cirrowisp::kPublishBatch.folders : std::size_t{1};
        const int done = checkAfterKill(mode.start, mode.end, snapshot(work), batchFolders);
        bool ok = done >= 0;
        const int rerun = runToEnd(settings, mode.args, work);
        if (rerun != mode.status) {
            std::cerr << "  the second " << mode.name << " ended with status " << rerun << '\n';
            ok = false;
        } else if (snapshot(work) != mode.end) {
            std::cerr << "  the second " << mode.name
                      << " did not reach the end state of an uninterrupted one\n";
            ok = false;
        }
        if (!ok) {
            ++failedRounds;
            ++mode.failed;
            std::cerr << "round " << round << " (" << mode.name << ", killed after "
                      << delay.count() << " us) FAILED\n";
            continue;
        }
        if (!killed) {
            ++mode.complete;  // the run had ended before the signal came
        } else if (done == 0) {
            ++mode.untouched;
        } else {
            ++mode.partial;
        }
    }
    for (const Mode& mode : modes) {
        std::cout << mode.name
                  << " kills: " << mode.untouched + mode.partial + mode.complete + mode.failed
                  << ", mid-way with some aircraft finished: " << mode.partial
                  << ", before any aircraft was finished: " << mode.untouched
                  << ", after it had ended: " << mode.complete << ", rounds failed: " << mode.failed
                  << '\n';
    }
    return failedRounds == 0 ? 0 : 1;
}
