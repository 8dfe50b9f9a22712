#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace detonix {

// One open settings key: named 32-bit integers and 8-byte doubles.
class TSettingsKey {
 public:
  virtual ~TSettingsKey() = default;
  virtual bool ValueExists(const std::string& name) const = 0;
  // Nothing when the value is missing or is stored with another type or size.
  virtual std::optional<int32_t> ReadInteger(const std::string& name) const = 0;
  virtual std::optional<double> ReadDouble(const std::string& name) const = 0;
  // The value as stored, whatever its type, for a message about it; empty when it is missing.
  virtual std::string StoredText(const std::string& name) const = 0;
  // Replaces any earlier value of that name, whatever its type was.
  virtual void WriteInteger(const std::string& name, int32_t value) = 0;
  virtual void WriteDouble(const std::string& name, double value) = 0;
  // Ends the use of the key; written values are durable once it returns true. Closing twice
  // does nothing more. Destroying an open key closes it.
  virtual bool Close() = 0;
};

// Where the settings live: the settings key of one user.
class TSettingsStore {
 public:
  virtual ~TSettingsStore() = default;
  // Nothing when the key does not exist or cannot be read; never creates it.
  virtual std::unique_ptr<TSettingsKey> OpenForReading() = 0;
  // Creates every missing part of the key; nothing when that fails.
  virtual std::unique_ptr<TSettingsKey> OpenForWriting() = 0;
};

// The current user's store of this platform: the registry on Windows, else the settings file.
std::unique_ptr<TSettingsStore> CreateUserSettingsStore();

}  // namespace detonix
