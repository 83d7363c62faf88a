#pragma once

#include <QString>

// Percentages of the progress strip: position over maximum times 100, worked out
// exactly in whole numbers, so that 29 of 100 is 29 and not 28.999... as a
// floating-point quotient would give.
namespace ProgressPercent {

// The whole part of the percentage. A maximum of 0 or less gives 0.
int wholePercent(int position, int maximum);

// The percentage taken to the nearest whole number, halves to the even one
// (12.5 gives 12, 37.5 gives 38). A maximum of 0 or less gives 0.
int roundedPercent(int position, int maximum);

// The panel text: the rounded percentage followed by "%".
QString percentText(int position, int maximum);

} // namespace ProgressPercent
