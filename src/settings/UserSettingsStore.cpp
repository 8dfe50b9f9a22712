#include "settings/SettingsStore.h"

#ifdef _WIN32
#include "settings/RegistrySettingsStore.h"
#else
#include "settings/FileSettingsStore.h"
#endif

namespace detonix {

std::unique_ptr<TSettingsStore> CreateUserSettingsStore() {
#ifdef _WIN32
  return std::make_unique<TRegistrySettingsStore>();
#else
  return std::make_unique<TFileSettingsStore>(DefaultSettingsFilePath());
#endif
}

}  // namespace detonix
