#include "media/Sounds.h"

#include "media/WaveResources.h"

namespace detonix {

void PlaySoundResource(const std::shared_ptr<TSoundOutput>& output, const std::string& resourceName) {
  if (!output || output->WaveOutDeviceCount() == 0) return;
  TSoundThread::Start(output, resourceName);
}

void TSoundThread::Start(std::shared_ptr<TSoundOutput> output, std::string resourceName) {
  std::shared_ptr<TSoundThread> self(new TSoundThread(output, std::move(resourceName)));
  output->StartWorker([self] { self->Execute(); });
}

void TSoundThread::Execute() {
  if (Terminated()) return;
  const std::span<const uint8_t> wave = FindWaveResource(ResourceName);
  if (wave.empty()) return;
  FOutput->PlayWaveAsync(wave);
}

}  // namespace detonix
