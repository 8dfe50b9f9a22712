#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "media/SoundOutput.h"

namespace detonix {

// Plays the named wave resource without blocking: when the output has a device, a short-lived
// worker starts the asynchronous play and ends. The caller keeps nothing.
void PlaySoundResource(const std::shared_ptr<TSoundOutput>& output, const std::string& resourceName);

// One sound request. It owns itself: it is freed when its body has run.
class TSoundThread {
 public:
  // Creates the worker and starts it at once.
  static void Start(std::shared_ptr<TSoundOutput> output, std::string resourceName);

  const std::string ResourceName;
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }

 private:
  TSoundThread(std::shared_ptr<TSoundOutput> output, std::string resourceName)
      : ResourceName(std::move(resourceName)), FOutput(std::move(output)) {}
  void Execute();

  // Shared, so the output outlives every worker still running.
  std::shared_ptr<TSoundOutput> FOutput;
  std::atomic<bool> FTerminated{false};
};

}  // namespace detonix
