#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <type_traits>

namespace detonix::headless {

// A whole-string number, or nothing: no trailing characters, no overflow, nothing infinite or NaN.
template <class T>
std::optional<T> ParseNumber(const std::string& s) {
  T v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(v)) return std::nullopt;
  }
  return v;
}

}  // namespace detonix::headless
