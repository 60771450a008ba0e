#pragma once
// Number conversions shared by every window and file format: the rounding
// rule, the tolerant leading-number reader and the text styles numbers are
// shown and stored in.

#include <cstdint>
#include <string>
#include <string_view>

namespace wlg {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). A value
// beyond the result's range (a file or a box can hold 1e38) is held at the
// nearest limit, NaN gives 0: never a conversion the type cannot hold.
int64_t RoundHalfEven(double x);
int RoundHalfEvenToInt(double x);
// Rounded down, held within int64 in the same way.
int64_t FloorToInt64(double x);

// The leading-number rule: leading blanks skipped, then the longest leading
// decimal number with "." as separator (optional sign); 0 when there is none.
double Val(std::string_view text);

// A single-precision value as text: at most seven significant digits, the
// shortest such text that reads back to the same float, "." separator, no
// grouping, no exponent, no trailing zeros ("0.5", "-37.25", "12").
std::string FormatSingle(float value);

// Fixed decimals, e.g. FormatFixed(1.0, 2) == "1.00".
std::string FormatFixed(double value, int decimals);

// Trims spaces (only spaces, as the entry control does) at both ends.
std::string TrimSpaces(std::string_view text);

std::string ToUpper(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace wlg
