#pragma once

#include <QString>

#include <cstdint>

// Percentages of the progress strip: position over maximum, shown as a whole
// number with halves going to the even neighbour ("12%" for 12.5, "38%" for 37.5).
namespace ProgressPercent {

// Nearest whole number, halves to the even one; independent of the FPU rounding mode.
std::int64_t roundHalfToEven(double value);

// position / maximum x 100, in that order of operations, so that the shown value
// matches the double arithmetic of the original display to the last bit.
double percentage(int position, int maximum);

// The panel text for a position: the rounded percentage followed by "%". A maximum
// of 0 or less has no percentage and gives "0%".
QString percentText(int position, int maximum);

} // namespace ProgressPercent
