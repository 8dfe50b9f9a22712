#include "media/SoundOutput.h"

#include <thread>

namespace detonix {

void TSoundOutput::StartWorker(std::function<void()> body) { std::thread(std::move(body)).detach(); }

}  // namespace detonix
