#include "platform/Numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace wlg {

namespace {

template <class Int>
Int Held(double whole) {
  if (std::isnan(whole)) return 0;
  // The limits as doubles: the lowest is exact, the highest rounds up to 2^63
  // (or 2^31), which is itself out of range, hence the >=.
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double hi = -lo;
  if (whole < lo) return std::numeric_limits<Int>::min();
  if (whole >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(whole);
}

}  // namespace

int64_t RoundHalfEven(double x) {
  if (!std::isfinite(x)) return 0;
  return Held<int64_t>(std::nearbyint(x));  // default FE_TONEAREST is halves-to-even
}

int RoundHalfEvenToInt(double x) {
  if (!std::isfinite(x)) return 0;
  return Held<int>(std::nearbyint(x));
}

int64_t FloorToInt64(double x) { return Held<int64_t>(std::floor(x)); }

double Val(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const size_t sign = i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  // A digit or a point must come next: from_chars would also take "inf",
  // "nan" or a second sign.
  if (i == text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) return 0.0;
  // from_chars reads just the digits and one point (no exponent), as the
  // rule wants, and without the copy strtod needs for its ending NUL.
  double v = 0;
  const auto [end, ec] =
      std::from_chars(text.data() + i, text.data() + text.size(), v, std::chars_format::fixed);
  if (ec == std::errc::invalid_argument) return 0.0;  // a point alone
  if (ec == std::errc::result_out_of_range) {
    // What strtod gives beyond the range: infinity, or the tiny value or 0.
    const std::string number(text.data() + sign, end);
    return std::strtod(number.c_str(), nullptr);
  }
  return text[sign] == '-' ? -v : v;
}

static std::string StripZeros(std::string s) {
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string FormatSingle(float value) {
  if (!std::isfinite(value)) return "0";
  if (value == 0.0f) return "0";
  // Whole numbers below ten million (most of a pattern file) print as they
  // are; the search below would come to the same digits.
  if (std::fabs(value) < 1e7f && value == std::trunc(value))
    return std::to_string(static_cast<long>(value));
  char buf[64];
  const double v = value;
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  for (int digits = 1; digits <= 7; ++digits) {
    // Decimals needed so that 'digits' significant digits show without exponent.
    int decimals = digits - 1 - exponent;
    if (decimals < 0) decimals = 0;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    if (std::strtof(buf, nullptr) == value || digits == 7) {
      // With decimals clamped at 0 a large value may carry more than seven
      // significant digits; round it to seven.
      if (exponent >= 7) {
        const double scale = std::pow(10.0, exponent - 6);
        std::snprintf(buf, sizeof buf, "%.0f", std::nearbyint(v / scale) * scale);
      }
      return StripZeros(buf);
    }
  }
  return StripZeros(buf);
}

std::string FormatFixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  // "-0.00" reads oddly; a value that rounds to zero shows without sign.
  if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string TrimSpaces(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return std::string(text.substr(b, e - b));
}

std::string ToUpper(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace wlg
