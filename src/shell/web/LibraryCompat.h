// Read before every file of the web build (cmake/web.cmake): what C++20 has and the C++ library
// of Debian's emscripten (libc++ 13) lacks, which the code uses: std::bit_cast, and <charconv> for
// doubles (there only for integers). Doubles go through the C library, in its one locale, "C",
// held to what <charconv> takes and writes: the whole number, no blanks, no '+', and the
// shortest text that reads back to the same double.
#pragma once

#include <version>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace std {

template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}

inline from_chars_result from_chars(const char* first, const char* last, double& value) {
  const string text(first, last);
  const bool plain = !text.empty() && text.find_first_of(" \t\n\v\f\r+xXpP") == string::npos;
  char* end = nullptr;
  errno = 0;
  const double v = plain ? strtod(text.c_str(), &end) : 0;
  if (!plain || end == text.c_str()) return {first, errc::invalid_argument};
  if (errno == ERANGE && isinf(v)) return {first + (end - text.c_str()), errc::result_out_of_range};
  value = v;
  return {first + (end - text.c_str()), errc()};
}

inline to_chars_result to_chars(char* first, char* last, double value) {
  const string text = [value]() -> string {
    if (!isfinite(value)) return isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
    if (value == 0) return signbit(value) ? "-0" : "0";
    // The fewest significant digits that read back, then fixed or scientific, whichever is shorter.
    char buf[40];
    int digits = 1;
    for (; digits < 17; ++digits) {
      snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
      if (strtod(buf, nullptr) == value) break;
    }
    snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
    const string written = buf;
    const bool negative = written[0] == '-';
    string mantissa = written.substr(negative ? 1 : 0, written.find('e') - (negative ? 1 : 0));
    const int exponent = atoi(written.c_str() + written.find('e') + 1);
    if (mantissa.size() > 1) mantissa.erase(1, 1);  // the point
    const int count = static_cast<int>(mantissa.size());
    string fixed;
    if (exponent >= count - 1) fixed = mantissa + string(static_cast<size_t>(exponent - count + 1), '0');
    else if (exponent >= 0) fixed = mantissa.substr(0, static_cast<size_t>(exponent + 1)) + "." + mantissa.substr(static_cast<size_t>(exponent + 1));
    else fixed = "0." + string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
    snprintf(buf, sizeof buf, "e%c%02d", exponent < 0 ? '-' : '+', abs(exponent));
    const string scientific = mantissa.substr(0, 1) + (count > 1 ? "." + mantissa.substr(1) : "") + buf;
    return (negative ? "-" : "") + (scientific.size() < fixed.size() ? scientific : fixed);
  }();
  if (static_cast<ptrdiff_t>(text.size()) > last - first) return {last, errc::value_too_large};
  return {copy(text.begin(), text.end(), first), errc()};
}

}  // namespace std
#endif
