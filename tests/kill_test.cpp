// Kills cirrowisp-cli with SIGKILL at random moments of a run over a large simulator tree and
// checks that no aircraft is ever left without a whole aircraft.cfg, that every backup holds
// the original bytes, and that a second, complete run ends exactly where an uninterrupted run
// does. Usage:
//
//   cirrowisp_kill_test --cli PATH [--rounds 200] [--folders 3000] [--seed 20261207] [--work DIR]
//
// Exit status 0 when every round held, 1 otherwise. The seed fixes the tree and the kill
// moments' share of the run; the moments themselves are times, so they vary with the machine.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/draw.h"

namespace fs = std::filesystem;

namespace {

struct Settings {
    std::string cli;
    int rounds = 200;
    int folders = 3000;
    std::uint32_t seed = 20261207;
    fs::path work;
};

using cirrowisp::Draw;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// Every file and folder below `root`, by relative path; folders map to a marker no file holds.
using Snapshot = std::map<std::string, std::string>;
const std::string kFolderMarker = std::string("\0<folder>", 9);

Snapshot snapshot(const fs::path& root) {
    Snapshot result;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        result[relative] = entry.is_directory() ? kFolderMarker : readFile(entry.path());
    }
    return result;
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

struct Child {
    pid_t pid = -1;
};

Child startCli(const Settings& settings, const fs::path& sim) {
    std::fflush(nullptr);  // or the child would write our buffered output a second time
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        std::FILE* sink = std::freopen("/dev/null", "w", stdout);
        sink = std::freopen("/dev/null", "w", stderr);
        (void)sink;
        const std::string simPath = sim.string();
        ::execl(settings.cli.c_str(), settings.cli.c_str(), "--flyable", simPath.c_str(), nullptr);
        std::_Exit(127);
    }
    return Child{pid};
}

int waitFor(const Child& child) {
    int status = 0;
    while (::waitpid(child.pid, &status, 0) < 0) {
    }
    return status;
}

int runToEnd(const Settings& settings, const fs::path& sim) {
    const int status = waitFor(startCli(settings, sim));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool isAircraftFile(const std::string& relative) {
    const std::string name = fs::path(relative).filename().string();
    return name == "aircraft.cfg" || name == "Aircraft.CFG";
}

bool isBackup(const std::string& relative) {
    return fs::path(relative).filename() == "without_contrails_aircraft.cfg";
}

bool isStray(const std::string& relative) {
    const std::string name = fs::path(relative).filename().string();
    return name == "new_aircraft.cfg" || name == "without_contrails_aircraft.tmp";
}

// What must hold the moment the process is gone, wherever it was killed. Returns the number of
// aircraft already finished, or -1 after printing what broke.
int checkAfterKill(const Snapshot& start, const Snapshot& finished, const Snapshot& now) {
    int failures = 0;
    int done = 0;
    auto broken = [&](const std::string& what, const std::string& path) {
        if (++failures <= 10) {
            std::cerr << "  " << what << ": " << path << '\n';
        }
    };
    for (const auto& [path, bytes] : start) {
        const auto current = now.find(path);
        if (current == now.end()) {
            broken("gone", path);
            continue;
        }
        if (isAircraftFile(path)) {
            const std::string& patched = finished.at(path);
            if (current->second == patched && patched != bytes) {
                ++done;
            } else if (current->second != bytes && current->second != patched) {
                broken("aircraft.cfg neither the original nor the patched file", path);
            }
        } else if (current->second != bytes) {
            broken("changed", path);
        }
    }
    fs::path strayFolder;
    for (const auto& [path, bytes] : now) {
        if (start.count(path) != 0) {
            continue;
        }
        const fs::path folder = fs::path(path).parent_path();
        if (isBackup(path)) {
            const auto original = start.find((folder / "aircraft.cfg").string());
            const auto spelled = start.find((folder / "Aircraft.CFG").string());
            const auto& source = original != start.end() ? original : spelled;
            if (source == start.end() || bytes != source->second) {
                broken("backup differs from the original", path);
            }
        } else if (isStray(path)) {
            // Only the folder at hand may hold a half-made file.
            if (!strayFolder.empty() && strayFolder != folder) {
                broken("half-made files in a second folder", path);
            }
            strayFolder = folder;
        } else {
            broken("unexpected file", path);
        }
    }
    // A changed aircraft.cfg must have its backup beside it.
    for (const auto& [path, bytes] : start) {
        const auto current = now.find(path);
        if (isAircraftFile(path) && current != now.end() && current->second != bytes) {
            const fs::path backup = fs::path(path).parent_path() / "without_contrails_aircraft.cfg";
            if (now.count(backup.string()) == 0) {
                broken("changed without a backup", path);
            }
        }
    }
    if (failures > 10) {
        std::cerr << "  ... and " << failures - 10 << " more\n";
    }
    return failures == 0 ? done : -1;
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
                     "[--work DIR]\n";
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
    const Snapshot start = snapshot(pristine);

    // The end state of an uninterrupted run, and how long one takes.
    const fs::path reference = base / "reference";
    fs::copy(pristine, reference, fs::copy_options::recursive);
    if (const int status = runToEnd(settings, reference); status != 0) {
        std::cerr << "the uninterrupted run failed with status " << status << '\n';
        return 1;
    }
    const Snapshot finished = snapshot(reference);
    // The first run meets a cold cache; time a few more, so the kills spread over a typical run.
    auto runTime = std::chrono::steady_clock::duration::max();
    const fs::path timing = base / "timing";
    for (int i = 0; i < 3; ++i) {
        fs::remove_all(timing);
        fs::copy(pristine, timing, fs::copy_options::recursive);
        const auto before = std::chrono::steady_clock::now();
        runToEnd(settings, timing);
        runTime = std::min(runTime, std::chrono::steady_clock::now() - before);
    }
    fs::remove_all(timing);
    std::cout << "tree: " << settings.folders << " folders; uninterrupted run: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(runTime).count() << " ms\n";

    Draw draw(settings.seed ^ 0x9e3779b9u);
    int untouched = 0;
    int partial = 0;
    int complete = 0;
    int failedRounds = 0;
    const fs::path work = base / "work";
    for (int round = 1; round <= settings.rounds; ++round) {
        fs::remove_all(work);
        fs::copy(pristine, work, fs::copy_options::recursive);
        // Kill anywhere from the start of the process to the end of a normal run.
        const auto delay =
            std::chrono::duration_cast<std::chrono::microseconds>(runTime * draw.unit());
        const Child child = startCli(settings, work);
        std::this_thread::sleep_for(delay);
        ::kill(child.pid, SIGKILL);
        const int status = waitFor(child);
        const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;

        const int done = checkAfterKill(start, finished, snapshot(work));
        bool ok = done >= 0;
        const int rerun = runToEnd(settings, work);
        if (rerun != 0) {
            std::cerr << "  the second run failed with status " << rerun << '\n';
            ok = false;
        } else if (snapshot(work) != finished) {
            std::cerr << "  the second run did not reach the end state of an uninterrupted run\n";
            ok = false;
        }
        if (!ok) {
            ++failedRounds;
            std::cerr << "round " << round << " (killed after " << delay.count() << " us) FAILED\n";
            continue;
        }
        if (!killed) {
            ++complete;  // the run had ended before the signal came
        } else if (done == 0) {
            ++untouched;
        } else {
            ++partial;
        }
    }
    std::cout << "kills: " << settings.rounds
              << ", mid-run with some aircraft finished: " << partial
              << ", before any aircraft was finished: " << untouched
              << ", after the run had ended: " << complete << ", rounds failed: " << failedRounds
              << '\n';
    return failedRounds == 0 ? 0 : 1;
}
