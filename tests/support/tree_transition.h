#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/disk_tree.h"

namespace cirrowisp {

// Whether a path (of any folder, '/' separated) names a file a change makes before it puts it in
// place: what a failure, a kill or a power cut may leave behind.
inline bool isHalfMade(std::string_view path) {
    const std::string_view name = path.substr(path.rfind('/') + 1);  // npos + 1: the whole path
    return name == "new_aircraft.cfg" || name == "without_contrails_aircraft.tmp" ||
           name == "aircraft_before_restore.tmp";
}

struct Midway {
    std::vector<std::string> problems;  // empty when every promise holds
    int foldersDone = 0;                // aircraft files that already hold their new bytes
};

// What may be seen of a tree at any instant of a change (a run, a restore) that takes it from
// `start` to `end`, whether the change is still going, was killed or failed; the promises of
// docs/reliability.md, phrased for any such change:
//  - a file of both `start` and `end` is there, with its bytes of the one or the other, but
//    for a half-made one found at the start, which may be overwritten or go at any moment;
//  - a file only of `start` (a backup a restore removes) is unchanged while it is there, and
//    goes only once its folder's aircraft.cfg holds its end bytes;
//  - a file only of `end` (a backup, a kept file) appears only complete, and is in place
//    before its folder's aircraft.cfg changes;
//  - half-made files (`isHalfMade`) are in the folders of one batch at most (`batchFolders`
//    folders: kPublishBatch.folders for a run, 1 for a restore, which goes file by file);
//    nothing else is new.
inline Midway checkMidway(const TreeFiles& start, const TreeFiles& end, const TreeFiles& now,
                          std::size_t batchFolders) {
    Midway result;
    auto folderOf = [](const std::string& path) {
        const std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
    };
    auto isAircraftName = [&](const std::string& path) {
        std::string name = path.substr(folderOf(path).empty() ? 0 : folderOf(path).size() + 1);
        for (char& c : name) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        return name == "aircraft.cfg";
    };
    // Each folder's aircraft file, before or after.
    std::map<std::string, std::string> aircraftOf;
    for (const TreeFiles* tree : {&start, &end}) {
        for (const auto& [path, bytes] : *tree) {
            if (isAircraftName(path) && aircraftOf.count(folderOf(path)) == 0) {
                aircraftOf[folderOf(path)] = path;
            }
        }
    }
    auto holdsEndBytes = [&](const std::string& aircraft) {
        const auto wanted = end.find(aircraft);
        const auto seen = now.find(aircraft);
        return wanted == end.end() ? seen == now.end()
                                   : seen != now.end() && seen->second == wanted->second;
    };

    for (const auto& [path, bytes] : start) {
        const auto after = end.find(path);
        const auto seen = now.find(path);
        if (isHalfMade(path)) {
            // Left by an earlier change (or planted under that name): it may be overwritten or
            // removed at any moment, even where a clean change happens to leave it be.
        } else if (after != end.end()) {
            if (seen == now.end()) {
                result.problems.push_back("gone: " + path);
            } else if (seen->second != bytes && seen->second != after->second) {
                result.problems.push_back("neither its bytes before nor after: " + path);
            }
        } else if (seen != now.end()) {
            if (seen->second != bytes) {
                result.problems.push_back("changed before it went: " + path);
            }
        } else {
            const auto aircraft = aircraftOf.find(folderOf(path));
            if (aircraft != aircraftOf.end() && !holdsEndBytes(aircraft->second)) {
                result.problems.push_back("removed before aircraft.cfg held its end bytes: " +
                                          path);
            }
        }
    }
    std::set<std::string> halfMadeFolders;
    for (const auto& [path, bytes] : now) {
        if (start.count(path) != 0) {
            continue;
        }
        const auto after = end.find(path);
        if (after != end.end()) {
            if (bytes != after->second) {
                result.problems.push_back("there before it was complete: " + path);
            }
        } else if (isHalfMade(path)) {
            halfMadeFolders.insert(folderOf(path));
            if (halfMadeFolders.size() > batchFolders) {
                result.problems.push_back("half-made files in more folders than a batch has: " +
                                          path);
            }
        } else {
            result.problems.push_back("unexpected file: " + path);
        }
    }
    for (const auto& [folder, aircraft] : aircraftOf) {
        const auto before = start.find(aircraft);
        const auto seen = now.find(aircraft);
        const bool changed = (before == start.end()) != (seen == now.end()) ||
                             (seen != now.end() && seen->second != before->second);
        if (!changed) {
            continue;
        }
        if (holdsEndBytes(aircraft)) {
            ++result.foldersDone;
        }
        for (const auto& [path, bytes] : end) {
            if (path != aircraft && folderOf(path) == folder && start.count(path) == 0 &&
                now.count(path) == 0) {
                result.problems.push_back(aircraft + " changed before " + path + " was there");
            }
        }
    }
    return result;
}

}  // namespace cirrowisp
