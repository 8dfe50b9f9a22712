#include "settings/MemorySettingsStore.h"

#include <bit>
#include <cstdio>

namespace detonix {

namespace {

class TMemoryKey final : public TSettingsKey {
 public:
  explicit TMemoryKey(TMemorySettingsStore& store) : FStore(store) {}

  bool ValueExists(const std::string& name) const override { return FStore.Values.contains(name); }

  std::optional<int32_t> ReadInteger(const std::string& name) const override {
    const auto it = FStore.Values.find(name);
    if (it == FStore.Values.end()) return std::nullopt;
    if (const auto* v = std::get_if<int32_t>(&it->second)) return *v;
    return std::nullopt;
  }

  std::optional<double> ReadDouble(const std::string& name) const override {
    const auto it = FStore.Values.find(name);
    if (it == FStore.Values.end()) return std::nullopt;
    if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&it->second)) return BytesToDouble(*bytes);
    return std::nullopt;
  }

  std::string StoredText(const std::string& name) const override {
    const auto it = FStore.Values.find(name);
    return it == FStore.Values.end() ? "" : ExportedText(it->second);
  }

  void WriteInteger(const std::string& name, int32_t value) override { FStore.SetInteger(name, value); }
  void WriteDouble(const std::string& name, double value) override { FStore.SetDouble(name, value); }
  bool Close() override { return true; }

 private:
  TMemorySettingsStore& FStore;
};

}  // namespace

std::vector<uint8_t> DoubleToBytes(double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  std::vector<uint8_t> bytes(8);
  for (int i = 0; i < 8; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
  return bytes;
}

std::optional<double> BytesToDouble(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != 8) return std::nullopt;
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(bytes[static_cast<size_t>(i)]) << (8 * i);
  return std::bit_cast<double>(bits);
}

std::string ExportedText(const TMemorySettingsStore::TValue& value) {
  char text[16];
  if (const auto* v = std::get_if<int32_t>(&value)) {
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<uint32_t>(*v));
    return text;
  }
  std::string hex = "hex:";
  for (const uint8_t b : std::get<std::vector<uint8_t>>(value)) {
    std::snprintf(text, sizeof text, "%s%02x", hex.size() > 4 ? "," : "", b);
    hex += text;
  }
  return hex;
}

void TMemorySettingsStore::SetInteger(const std::string& name, int32_t value) {
  // Erase first so the stored spelling of the name follows the latest write.
  Values.erase(name);
  Values.emplace(name, value);
}

void TMemorySettingsStore::SetBytes(const std::string& name, std::vector<uint8_t> bytes) {
  Values.erase(name);
  Values.emplace(name, std::move(bytes));
}

void TMemorySettingsStore::SetDouble(const std::string& name, double value) { SetBytes(name, DoubleToBytes(value)); }

std::unique_ptr<TSettingsKey> TMemorySettingsStore::OpenForReading() {
  if (!KeyExists) return nullptr;
  return std::make_unique<TMemoryKey>(*this);
}

std::unique_ptr<TSettingsKey> TMemorySettingsStore::OpenForWriting() {
  if (!Writable) return nullptr;
  KeyExists = true;
  return std::make_unique<TMemoryKey>(*this);
}

}  // namespace detonix
