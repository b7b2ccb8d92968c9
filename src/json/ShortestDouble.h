#pragma once

// The writer's text for a double: the shortest digits that read back as the same double, in fixed
// or scientific form, whichever is shorter (fixed on a tie), exactly as std::to_chars writes a
// double without a format. The digits come from the Dragonbox algorithm, which finds them about
// twice as fast as the standard library; documents of coordinates are mostly such numbers.

#include <cstddef>

namespace torvane {

// The longest text written is a sign, seventeen digits, a point and an exponent; digits are
// copied in runs of seventeen, which may write up to 36 bytes.
inline constexpr std::size_t shortestDoubleRoom = 40;

// Writes a finite `value` at `out`, which has shortestDoubleRoom bytes, and returns the end.
char* writeShortestDouble(char* out, double value);

} // namespace torvane
