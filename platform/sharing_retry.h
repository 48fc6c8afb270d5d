#pragma once

#include <chrono>
#include <optional>

namespace cirrowisp {

// How long to wait before retry `retry` (0 for the first) of a file operation that another
// program's open handle refused (a virus scanner or an indexer reading a file just written):
// 10 ms, doubling to at most 250 ms, the pauses together two seconds; nullopt once those are
// spent, and the error then stands. A pure function, so its rows can be checked on any host.
std::optional<std::chrono::milliseconds> sharingRetryPause(unsigned retry);

// The pauses' sum: the longest an operation waits for another program to let go.
inline constexpr std::chrono::milliseconds kSharingRetryBudget{2000};

}  // namespace cirrowisp
