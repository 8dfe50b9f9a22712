#pragma once

#ifdef _WIN32

#include <string>

#include "settings/SettingsStore.h"

namespace detonix {

// The settings key under HKEY_CURRENT_USER: integers as REG_DWORD, doubles as 8-byte REG_BINARY.
class TRegistrySettingsStore final : public TSettingsStore {
 public:
  explicit TRegistrySettingsStore(std::string keyPath = DefaultKeyPath) : FKeyPath(std::move(keyPath)) {}

  static constexpr const char* DefaultKeyPath = "software\\Vantrel_Progs\\DetonixSaver";

  std::unique_ptr<TSettingsKey> OpenForReading() override;
  std::unique_ptr<TSettingsKey> OpenForWriting() override;

 private:
  std::string FKeyPath;
};

}  // namespace detonix

#endif
