#include "platform/Application.h"

#include <algorithm>
#include <exception>

namespace detonix {

TIdleRegistration::TIdleRegistration(TIdleRegistration&& other) noexcept : FApp(other.FApp), FId(other.FId) {
  other.FApp = nullptr;
}

TIdleRegistration& TIdleRegistration::operator=(TIdleRegistration&& other) noexcept {
  if (this != &other) {
    Reset();
    FApp = other.FApp;
    FId = other.FId;
    other.FApp = nullptr;
  }
  return *this;
}

TIdleRegistration::~TIdleRegistration() { Reset(); }

void TIdleRegistration::Reset() {
  if (FApp) FApp->RemoveIdleHandler(FId);
  FApp = nullptr;
}

TIdleRegistration TApplication::AddIdleHandler(TIdleHandler handler) {
  const uint64_t id = FNextIdleId++;
  FIdleHandlers.push_back({id, std::make_shared<TIdleHandler>(std::move(handler))});
  return TIdleRegistration(*this, id);
}

void TApplication::RemoveIdleHandler(uint64_t id) {
  for (auto& entry : FIdleHandlers)
    if (entry.Id == id) entry.Handler.reset();
  if (FIdleDepth == 0)
    std::erase_if(FIdleHandlers, [](const TIdleEntry& e) { return !e.Handler; });
}

void TApplication::DoIdle() {
  ++FIdleDepth;
  try {
    // By index: a handler may register or remove handlers, its own included.
    for (size_t i = 0; i < FIdleHandlers.size(); ++i) {
      std::shared_ptr<TIdleHandler> handler = FIdleHandlers[i].Handler;
      if (handler) (*handler)();
    }
  } catch (const std::exception& e) {
    ShowMessage(e.what());
  }
  if (--FIdleDepth == 0)
    std::erase_if(FIdleHandlers, [](const TIdleEntry& e) { return !e.Handler; });
}

void TApplication::ProcessMessages() {
  if (OnProcessMessages) OnProcessMessages();
}

void TApplication::ShowMessage(const std::string& text) {
  FMessages.push_back(text);
  if (OnShowMessage) OnShowMessage(text);
}

int TApplication::FireDueTimers() {
  try {
    return FTimers.FireDue();
  } catch (const std::exception& e) {
    ShowMessage(e.what());
    return 1;
  }
}

std::optional<int64_t> TApplication::MsUntilNextTimer() const {
  const auto next = FTimers.NextDue();
  if (!next) return std::nullopt;
  return std::max<int64_t>(0, *next - FTimers.NowMs());
}

bool TVirtualLoop::Step(int64_t t) {
  const auto next = FApp.Timers().NextDue();
  if (!next || *next > t) return false;
  FClock.AdvanceTo(*next);
  FApp.FireDueTimers();
  FApp.DoIdle();
  return true;
}

int64_t TVirtualLoop::RunUntil(int64_t t) {
  int64_t instants = 0;
  while (!FApp.Terminated() && Step(t)) ++instants;
  if (!FApp.Terminated()) FClock.AdvanceTo(t);
  return instants;
}

}  // namespace detonix
