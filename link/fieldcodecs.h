#pragma once

// The small routines every record field passes through: splitting a record into
// its fields, padding row numbers, reading and writing numbers the way the gateway
// and the console expect them, and the wildcard match of the monitor filter.
// None of them keeps state, throws, or depends on the system locale. Texts are
// wire texts read as Latin-1, one character per byte.

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace FieldCodecs {

// Number of slots of a split result (indices 0 to 50), and the most fields a
// text may hold so that the end marker still fits after the last field.
inline constexpr int kSplitSlots = 51;
inline constexpr int kMaxSplitFields = kSplitSlots - 1;

// Stored right after the last field of a split result.
inline constexpr char kEndMarker[] = "<end>";

// The fields in order, then kEndMarker, then empty texts up to the last slot.
using SplitResult = std::array<QString, kSplitSlots>;

// Splits text at every separator. Positions count from 1 and the first search
// starts at position 2, so a separator in the first position stays in the first
// field; adjacent separators give empty fields and a trailing separator an empty
// last field. Returns nothing when the text holds more than kMaxSplitFields fields.
std::optional<SplitResult> splitString(const QString &text, QChar separator);

// Puts fill before (side 0) or after (any other side) text until it is at least
// width characters long, changing text in place and returning its new value. A
// fill of several characters may overshoot the width. An empty fill leaves the
// text unchanged, since it could never lengthen it.
QString padText(QString &text, qint16 width, const QString &fill, qint16 side);
// The same for a text the caller does not keep: returns the padded copy.
QString padText(const QString &text, qint16 width, const QString &fill, qint16 side);

// The number at the start of text:
// - blanks, tabs and line feeds before the number are skipped; after that, blanks
//   anywhere inside the number are ignored (" 1 2" gives 12);
// - an optional "+" or "-", decimal digits with at most one ".", and an optional
//   exponent "E" or "D" (either case) with an optional sign and digits;
// - "&H" (hexadecimal) and "&O" (octal), either case, read an unsigned digit run
//   that is then taken as a two's-complement integer: up to 0xFFFF as 16 bits
//   ("&HFFFF" gives -1, "&H8000" gives -32768), up to 0xFFFFFFFF as 32 bits
//   ("&H10000" gives 65536, "&HFFFFFFFF" gives -1); wider values are not wrapped
//   and give their plain unsigned value. No sign may come before "&" ("-&H10" is 0);
// - reading stops at the first character that does not fit; no number gives 0.
// Never fails: a decimal value beyond the double range gives plus or minus
// infinity, one too small for it gives 0, and -0 is returned as 0.
double numericValue(const QString &text);

// x rounded to the nearest integer, halves to the even neighbour (2.5 gives 2,
// -2.5 gives -2, 3.5 gives 4). Nothing when the result leaves the type's range or
// x is not a finite number.
std::optional<std::int16_t> toInt16(double x);
std::optional<std::int32_t> toInt32(double x);

// x as text, always with "." as decimal point whatever the system locale (a comma
// would split a record field in two). Integral values of magnitude below 2^53 are
// written exactly as plain digits with a leading "-" when negative ("5", "0",
// "-3", "-0" gives "0"). Other values get up to 15 significant digits ("0.1",
// "-2.75", "3.14159265358979"); only magnitudes below 1E-04 or from 1E+15 on use an
// exponent, written as "E", a sign and at least two digits ("1E-05",
// "1.23456789012346E+20"). Infinity gives "inf" or "-inf", not-a-number "nan".
QString numberText(double x);

// True when the whole text matches the whole pattern, case-sensitive. In the
// pattern "*" matches any run of characters (also none), "?" any one character,
// "#" one decimal digit 0-9, "[list]" one character of the list and "[!list]" one
// character not in it; a list may hold ranges such as "a-z". Inside a list "*",
// "?" and "#" are plain characters, a "-" first or last in the list is plain, a
// descending range ("z-a") matches nothing, "[]" matches no character and "[!]"
// any one character. A "[" without a closing "]" is a plain "[". Every other
// character matches itself. Runs in time proportional to text length times
// pattern length at worst, whatever the number of stars.
bool wildcardMatch(const QString &text, const QString &pattern);

} // namespace FieldCodecs
