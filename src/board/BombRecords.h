#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "board/DetonixGrids.h"
#include "board/GlobalTypes.h"
#include "platform/Timer.h"

namespace detonix {

class TPlayer;

// One per bomb, on its fuse timer's Tag.
// FuseCount: 10..1 counting (cell otBomb), 0 exploding, below 0 being cleared.
struct TBombRecord final : TTagRecord {
  TPlayer* Owner = nullptr;
  TPoint Position = NoPoint;
  int16_t FuseCount = 10;
  int8_t Size = 3;  // copied from the owner at laying: later power-ups do not change a lying bomb
  // Cells each arm of the fire covered (up, left, down, right), so clearing undoes exactly them.
  int16_t Reach[4] = {0, 0, 0, 0};
  std::unique_ptr<TTimer> MoveTimer;  // set while the bomb slides (100 ms)
  std::unique_ptr<TTimer> SeekTimer;  // set for a seeking bomb (300 ms)
};

// Tag of a sliding bomb's move timer.
struct TBombMoveRecord final : TTagRecord {
  TPoint Position = NoPoint;
  TDirection Direction = dirLeft;
};

// Tag of a seeking bomb's seek timer. Route holds per cell the direction of the next step
// towards Target, -1 for none.
struct TBombSeekRecord final : TTagRecord {
  TPoint Position = NoPoint;
  TPlayer* Target = nullptr;
  std::unique_ptr<TDetonixIntGrid> Route;
  bool TargetVisible = false;
  // When the last search found no way even through the players: per cell 1 where such a search
  // looks, with the maze's change count and the start. While none of that changes and the target
  // is not on such a cell, searching again would only find no way again.
  std::vector<uint8_t> Missed;
  uint64_t MissedChanges = 0;
  TPoint MissedFrom = NoPoint;
  bool HasMissed = false;
};

}  // namespace detonix
