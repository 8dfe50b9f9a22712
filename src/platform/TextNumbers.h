#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <type_traits>

namespace detonix {

// A number written as the whole of S, or nothing: no trailing characters,
// no overflow, nothing infinite or NaN. Integers may be read in another BASE.
template <class T>
std::optional<T> ParseNumber(const std::string& s, int base = 10) {
  T v{};
  const char* first = s.data();
  const char* last = s.data() + s.size();
  std::from_chars_result r;
  if constexpr (std::is_floating_point_v<T>) {
    r = std::from_chars(first, last, v);
    if (r.ec == std::errc() && !std::isfinite(v)) return std::nullopt;
  } else {
    r = std::from_chars(first, last, v, base);
  }
  if (s.empty() || r.ec != std::errc() || r.ptr != last) return std::nullopt;
  return v;
}

}  // namespace detonix
