// The Windows program's wave resources are the module's own "WAVE" resources, so the explosion
// is in detonix.scr once, where Windows' tools see it. Linked as an object of the program, this
// takes the place of the media library's built-in copy, which is then never linked in.
#include "media/WaveResources.h"

#include <string>

#include "shell/win32/Win32Sound.h"

namespace detonix {

std::span<const uint8_t> FindWaveResource(std::string_view name) { return win32::FindModuleWave(std::string(name)); }

std::span<const uint8_t> ExplosionWave() { return FindWaveResource("EXPLOSION"); }

}  // namespace detonix
