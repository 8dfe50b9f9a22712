#ifdef _WIN32

#include "settings/RegistrySettingsStore.h"

#include <windows.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "settings/MemorySettingsStore.h"

namespace detonix {

namespace {

class TRegistryKey final : public TSettingsKey {
 public:
  explicit TRegistryKey(HKEY key) : FKey(key) {}
  ~TRegistryKey() override { Close(); }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;

  bool ValueExists(const std::string& name) const override {
    return FKey && RegQueryValueExA(FKey, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }

  std::optional<int32_t> ReadInteger(const std::string& name) const override {
    uint32_t raw = 0;
    if (!Read(name, REG_DWORD, &raw, sizeof raw)) return std::nullopt;
    return static_cast<int32_t>(raw);
  }

  std::optional<double> ReadDouble(const std::string& name) const override {
    uint64_t raw = 0;
    if (!Read(name, REG_BINARY, &raw, sizeof raw)) return std::nullopt;
    return std::bit_cast<double>(raw);  // Windows is little-endian, as the stored bytes are
  }

  // As the registry editor exports it: "dword:0000001e", "hex:01,02", a string in quotes.
  std::string StoredText(const std::string& name) const override {
    if (const auto v = ReadInteger(name)) return ExportedText(*v);
    DWORD type = 0;
    DWORD size = 0;
    if (!FKey || RegQueryValueExA(FKey, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "";
    std::vector<uint8_t> bytes(size);
    if (RegQueryValueExA(FKey, name.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) return "";
    bytes.resize(size);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::string text(1, '"');
      text.append(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
      return text + '"';
    }
    return ExportedText(bytes);
  }

  void WriteInteger(const std::string& name, int32_t value) override {
    const auto raw = static_cast<uint32_t>(value);
    if (FKey) RegSetValueExA(FKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&raw), sizeof raw);
  }

  void WriteDouble(const std::string& name, double value) override {
    const auto raw = std::bit_cast<uint64_t>(value);
    if (FKey) RegSetValueExA(FKey, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(&raw), sizeof raw);
  }

  bool Close() override {
    if (!FKey) return true;
    const bool ok = RegCloseKey(FKey) == ERROR_SUCCESS;
    FKey = nullptr;
    return ok;
  }

 private:
  // Only a value of exactly this type and size is read; anything else counts as missing.
  bool Read(const std::string& name, DWORD wantType, void* out, DWORD wantSize) const {
    if (!FKey) return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(FKey, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != wantType || size != wantSize) return false;
    BYTE buffer[8] = {};
    size = sizeof buffer;
    if (RegQueryValueExA(FKey, name.c_str(), nullptr, &type, buffer, &size) != ERROR_SUCCESS) return false;
    if (type != wantType || size != wantSize) return false;  // changed between the two calls
    std::memcpy(out, buffer, wantSize);
    return true;
  }

  HKEY FKey;
};

}  // namespace

std::unique_ptr<TSettingsKey> TRegistrySettingsStore::OpenForReading() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, FKeyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
  return std::make_unique<TRegistryKey>(key);
}

std::unique_ptr<TSettingsKey> TRegistrySettingsStore::OpenForWriting() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, FKeyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<TRegistryKey>(key);
}

}  // namespace detonix

#endif
