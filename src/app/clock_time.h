#pragma once

#include <chrono>

// A file time, `whole` and `part` after 1970, as the system clock's; one it
// cannot hold (before 1677 or after 2262) as its latest, "modified a moment
// ago".
template <typename Whole>
std::chrono::system_clock::time_point ClockTime(
    Whole whole, std::chrono::nanoseconds part = {}) {
  using Clock = std::chrono::system_clock;
  constexpr Whole kMost =
      std::chrono::duration_cast<Whole>(Clock::duration::max()) - Whole(1);
  if (whole < -kMost || whole > kMost) return Clock::time_point::max();
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(whole) +
                           std::chrono::duration_cast<Clock::duration>(part));
}
