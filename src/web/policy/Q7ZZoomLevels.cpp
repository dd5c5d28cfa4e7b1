#include "web/policy/Q7ZZoomLevels.h"

#include <algorithm>
#include <array>

namespace Q7ZZoomLevels {

namespace {

constexpr std::array<int, 13> kLevels = {50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

}  // namespace

int next(int percent, Step step) {
    switch (step) {
    case Step::ActualSize: return kActualSize;
    case Step::In: {
        const auto above = std::upper_bound(kLevels.begin(), kLevels.end(), percent);
        return above == kLevels.end() ? kLevels.back() : *above;
    }
    case Step::Out: {
        const auto below = std::lower_bound(kLevels.begin(), kLevels.end(), percent);
        return below == kLevels.begin() ? kLevels.front() : *(below - 1);
    }
    }
    return kActualSize;
}

int fromStored(std::optional<std::int64_t> stored) {
    if (!stored || *stored < kLevels.front() || *stored > kLevels.back()) return kActualSize;
    return static_cast<int>(*stored);
}

}  // namespace Q7ZZoomLevels
