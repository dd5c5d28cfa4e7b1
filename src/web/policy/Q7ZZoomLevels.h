#pragma once
// The page zoom steps of View ▸ Zoom In, Zoom Out and Actual Size, in percent, as browsers
// offer them: from 50 % to 300 %.

#include <cstdint>
#include <optional>

namespace Q7ZZoomLevels {

enum class Step { In, Out, ActualSize };

constexpr int kActualSize = 100;

// The level a step leads to from percent: the next listed level above (In) or below (Out),
// staying at the ends; a level between two listed ones moves to the nearer listed one that way.
int next(int percent, Step step);
// A stored level as a level to show: 100 when none is stored or it lies outside 50–300.
int fromStored(std::optional<std::int64_t> stored);

}  // namespace Q7ZZoomLevels
