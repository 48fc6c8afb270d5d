// A whole run over a generated tree, against the I/O floor on the same tree: first runs and
// second runs, warm cache, each side timed as its own process with the operating system's
// figures for CPU time and peak memory (taken by cirrowisp-measure).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/tree_generator.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using cirrowisp::bench::restoreFirstRunState;

struct Sample {
    double wallSeconds = 0;
    double cpuSeconds = 0;  // user + system of the child
    long peakKb = 0;        // ru_maxrss
};

std::string gMeasureProgram;

// Runs a command through cirrowisp-measure, which reports what the kernel says it cost.
Sample runChild(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(gMeasureProgram.c_str()));
    for (const std::string& arg : command) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        throw std::runtime_error("no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (error != 0) {
        close(pipeEnds[0]);
        throw std::runtime_error("cannot start " + gMeasureProgram);
    }
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    int exitCode = -1;
    Sample sample;
    if (std::sscanf(text.c_str(), "%d %lf %lf %ld", &exitCode, &sample.wallSeconds,
                    &sample.cpuSeconds, &sample.peakKb) != 4 ||
        exitCode != 0) {
        std::string line;
        for (const std::string& arg : command) {
            line += (line.empty() ? "" : " ") + arg;
        }
        throw std::runtime_error(line + " failed (" + text + ")");
    }
    return sample;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct Series {
    std::vector<double> wall;
    std::vector<double> cpu;
    long peakKb = 0;
    void add(const Sample& s) {
        wall.push_back(s.wallSeconds);
        cpu.push_back(s.cpuSeconds);
        peakKb = std::max(peakKb, s.peakKb);
    }
};

struct Config {
    std::string scanProgram;
    std::string floorProgram;
    fs::path workDir = "bench-trees";
    std::vector<int> sizes = {1000, 10000};
    int rounds = 3;
    bool sync = true;
    std::string storage = "disk";  // a label for the RESULT lines: what the trees are stored on
    std::string wine;  // when set, both programs are Windows programs started through it
};

// The program and the tree as the command line names them: under Wine, the tree by the drive
// Wine maps the Unix root to.
std::vector<std::string> commandFor(const Config& config, const std::string& program,
                                    const fs::path& tree) {
    if (config.wine.empty()) {
        return {program, tree.string()};
    }
    std::string windowsTree = "Z:" + fs::absolute(tree).lexically_normal().string();
    std::replace(windowsTree.begin(), windowsTree.end(), '/', '\\');
    return {config.wine, program, windowsTree};
}

std::vector<std::string> scanCommand(const Config& config, const fs::path& tree) {
    std::vector<std::string> command = commandFor(config, config.scanProgram, tree);
    command.insert(command.end() - 1, "--flyable");
    return command;
}

// The durable floor flushes every file as the run must; the bare floor is the least a run of
// that kind can do: a first run's operations without flushing, a second run's reads alone.
enum class Floor { Durable, Bare };

std::vector<std::string> floorCommand(const Config& config, const fs::path& tree, Floor floor,
                                      bool firstRun) {
    std::vector<std::string> command = commandFor(config, config.floorProgram, tree);
    if (!config.sync || (floor == Floor::Bare && firstRun)) {
        command.push_back("--no-sync");
    }
    if (floor == Floor::Bare && !firstRun) {
        command.push_back("--read-only");
    }
    return command;
}

// Each timed run starts with no dirty pages left over from the one before.
Sample timed(const std::vector<std::string>& command) {
    ::sync();
    return runChild(command);
}

void report(const Config& config, const char* what, int folders, const Series& scan,
            const Series& floor, const Series& bare) {
    const double scanWall = median(scan.wall);
    const double floorWall = median(floor.wall);
    const double bareWall = median(bare.wall);
    const double scanBest = *std::min_element(scan.wall.begin(), scan.wall.end());
    const double floorBest = *std::min_element(floor.wall.begin(), floor.wall.end());
    const double bareBest = *std::min_element(bare.wall.begin(), bare.wall.end());
    std::printf(
        "RESULT run storage=%s kind=%s folders=%d scan_s=%.3f floor_s=%.3f ratio=%.2f "
        "scan_best_s=%.3f floor_best_s=%.3f best_ratio=%.2f scan_cpu_s=%.3f "
        "floor_cpu_s=%.3f scan_peak_kb=%ld floor_peak_kb=%ld bare_s=%.3f bare_ratio=%.2f "
        "bare_best_s=%.3f bare_best_ratio=%.2f bare_cpu_s=%.3f\n",
        config.storage.c_str(), what, folders, scanWall, floorWall, scanWall / floorWall, scanBest,
        floorBest, scanBest / floorBest, median(scan.cpu), median(floor.cpu), scan.peakKb,
        floor.peakKb, bareWall, scanWall / bareWall, bareBest, scanBest / bareBest,
        median(bare.cpu));
    std::fflush(stdout);
}

// Rounds of one kind of run: the scan, the durable floor and the bare floor in turn, the order
// rotating each round so that no side always runs on another's dirty pages. `prepare` puts the
// tree into the state each run must start from.
template <typename Prepare>
void timeRounds(const Config& config, const fs::path& tree, int folders, int rounds, bool firstRun,
                Prepare prepare) {
    Series series[3];
    const char* names[3] = {"scan ", "floor", "bare "};
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 3; ++turn) {
            const int side = (turn + round) % 3;
            prepare();
            const Sample s =
                timed(side == 0   ? scanCommand(config, tree)
                      : side == 1 ? floorCommand(config, tree, Floor::Durable, firstRun)
                                  : floorCommand(config, tree, Floor::Bare, firstRun));
            series[side].add(s);
            std::fprintf(stderr, "  %s run, %s: %.3f s\n", firstRun ? "first" : "second",
                         names[side], s.wallSeconds);
        }
    }
    report(config, firstRun ? "first" : "second", folders, series[0], series[1], series[2]);
}

void benchTree(const Config& config, int folders) {
    const fs::path tree = config.workDir / ("tree-" + std::to_string(folders));
    fs::remove_all(tree);
    cirrowisp::bench::TreeShape shape;
    shape.root = tree;
    shape.folders = folders;
    shape.seed = 7;
    const cirrowisp::bench::TreeStats stats = cirrowisp::bench::generateTree(shape);
    std::fprintf(stderr, "tree of %d folders (%d flyable, %.0f MB of aircraft.cfg) in %s\n",
                 stats.folders, stats.flyable, static_cast<double>(stats.cfgBytes) / 1e6,
                 tree.c_str());
    // Warm the cache, and both programs, with one untimed first run of each side: the first
    // run after writing a tree also pays for the writer's leftovers, whichever side it is.
    runChild(floorCommand(config, tree, Floor::Durable, true));
    restoreFirstRunState(tree);
    runChild(scanCommand(config, tree));
    restoreFirstRunState(tree);
    // Small trees are quick: give them more rounds, since a shared disk is noisy.
    const int rounds = folders <= 2000 ? std::max(config.rounds, 5) : config.rounds;

    // First runs: the tree goes back to its never-run state before each one.
    timeRounds(config, tree, folders, rounds, true, [&] { restoreFirstRunState(tree); });

    // Second runs over a tree the scan has patched: the scan finds nothing to change and the
    // floors copy or read bytes unchanged, so every round sees the same tree.
    restoreFirstRunState(tree);
    runChild(scanCommand(config, tree));
    timeRounds(config, tree, folders, rounds, false, [] {});
    fs::remove_all(tree);
}

int usage() {
    std::fprintf(
        stderr,
        "usage: whole_run_bench --scan PROGRAM --floor PROGRAM [--measure PROGRAM] [--dir DIR]\n"
        "                       [--rounds N] [--sizes N,M,...] [--storage LABEL] [--no-sync]\n"
        "                       [--wine WINE]\n"
        "Generates a tree of each size in DIR, times PROGRAM --flyable TREE against the\n"
        "floor, and prints one RESULT line per size and kind of run. With --wine, both\n"
        "programs are Windows programs, started as WINE PROGRAM ... Z:\\TREE.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Config config;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scan" && hasValue) {
            config.scanProgram = argv[++i];
        } else if (arg == "--floor" && hasValue) {
            config.floorProgram = argv[++i];
        } else if (arg == "--measure" && hasValue) {
            gMeasureProgram = argv[++i];
        } else if (arg == "--dir" && hasValue) {
            config.workDir = argv[++i];
        } else if (arg == "--rounds" && hasValue) {
            config.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--sizes" && hasValue) {
            config.sizes.clear();
            std::string list = argv[++i];
            for (std::size_t pos = 0; pos <= list.size();) {
                std::size_t comma = list.find(',', pos);
                if (comma == std::string::npos) {
                    comma = list.size();
                }
                config.sizes.push_back(std::atoi(list.substr(pos, comma - pos).c_str()));
                pos = comma + 1;
            }
        } else if (arg == "--storage" && hasValue) {
            config.storage = argv[++i];
        } else if (arg == "--wine" && hasValue) {
            config.wine = argv[++i];
        } else if (arg == "--no-sync") {
            config.sync = false;
        } else {
            return usage();
        }
    }
    if (config.scanProgram.empty() || config.floorProgram.empty()) {
        return usage();
    }
    if (gMeasureProgram.empty()) {
        gMeasureProgram =
            (fs::read_symlink("/proc/self/exe").parent_path() / "cirrowisp-measure").string();
    }
    try {
        fs::create_directories(config.workDir);
        for (int folders : config.sizes) {
            benchTree(config, folders);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "whole_run_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
