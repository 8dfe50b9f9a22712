#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

namespace detonix {

// A game's state at one moment, appended field by field, so that two moments compare exactly.
class TStateBytes {
 public:
  template <class T>
    requires std::is_trivially_copyable_v<T>
  void Put(const T& value) {
    const size_t at = Bytes.size();
    Bytes.resize(at + sizeof(T));
    std::memcpy(Bytes.data() + at, &value, sizeof(T));
  }
  // The length first, so that neighbouring lists cannot run into each other.
  template <class T>
    requires std::is_trivially_copyable_v<T>
  void PutAll(std::span<const T> values) {
    Put(static_cast<uint64_t>(values.size()));
    if (values.empty()) return;
    const size_t at = Bytes.size();
    Bytes.resize(at + values.size() * sizeof(T));
    std::memcpy(Bytes.data() + at, values.data(), values.size() * sizeof(T));
  }
  template <class T>
  void PutAll(const std::vector<T>& values) {
    PutAll(std::span<const T>(values));
  }

  std::vector<uint8_t> Bytes;
};

}  // namespace detonix
