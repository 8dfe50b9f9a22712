#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "settings/NameCompare.h"
#include "settings/SettingsStore.h"

namespace detonix {

// A settings key held in memory, with the registry's two value kinds, for tests and for games
// that must not touch the user's settings.
class TMemorySettingsStore final : public TSettingsStore {
 public:
  // A 32-bit integer value, or a block of bytes.
  using TValue = std::variant<int32_t, std::vector<uint8_t>>;

  bool KeyExists = false;
  bool Writable = true;  // false: opening for writing fails, as for a key the user may not write
  std::map<std::string, TValue, TNameLess> Values;

  void SetInteger(const std::string& name, int32_t value);
  void SetBytes(const std::string& name, std::vector<uint8_t> bytes);
  // Eight bytes, least significant first, as a double is stored in the registry.
  void SetDouble(const std::string& name, double value);

  std::unique_ptr<TSettingsKey> OpenForReading() override;
  std::unique_ptr<TSettingsKey> OpenForWriting() override;
};

// The 8-byte little-endian image of a double, and back; nothing unless exactly 8 bytes.
std::vector<uint8_t> DoubleToBytes(double value);
std::optional<double> BytesToDouble(const std::vector<uint8_t>& bytes);
// A value in a message, as the registry editor exports it: "dword:0000001e", "hex:01,02".
std::string ExportedText(const TMemorySettingsStore::TValue& value);

}  // namespace detonix
