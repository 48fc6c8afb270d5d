#include "platform/sharing_retry.h"

#include <algorithm>

namespace cirrowisp {

std::optional<std::chrono::milliseconds> sharingRetryPause(unsigned retry) {
    constexpr std::chrono::milliseconds kFirst{10};
    constexpr std::chrono::milliseconds kLongest{250};
    std::chrono::milliseconds spent{0};
    std::chrono::milliseconds pause = kFirst;
    for (unsigned i = 0;; ++i) {
        // The last pause is cut to what is left, so the total is the budget to the millisecond.
        const std::chrono::milliseconds step = std::min(pause, kSharingRetryBudget - spent);
        if (step.count() <= 0) {
            return std::nullopt;
        }
        if (i == retry) {
            return step;
        }
        spent += step;
        pause = std::min(pause * 2, kLongest);
    }
}

}  // namespace cirrowisp
