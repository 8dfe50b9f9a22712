// Bombs and explosions of the simulator.
#include "board/BombRecords.h"
#include "engine/DetonixSim.h"
#include "player/ComputerPlayer.h"

namespace detonix {

namespace {
constexpr uint32_t FuseIntervalMs = 1000;
constexpr int16_t FuseSeconds = 10;
constexpr int FlashDurationMs = 3000;
// Fire spreads in this order; the centre is counted once per line.
constexpr TDirection FireOrder[4] = {dirUp, dirLeft, dirDown, dirRight};
}  // namespace

void TDetonixSimulator::LayBomb(TComputerPlayer& player) {
  const TPoint cell = player.Position;
  if (FState.MazeGrid.GetCell(cell) != otEmpty || player.BombsLeft <= 0) return;
  FState.MazeGrid.SetCell(cell, otBomb);
  try {
    FState.BombTimerGrid.SetTimer(cell.X, cell.Y, std::make_unique<TTimer>(FApp.Timers(), FuseIntervalMs,
                                                                           [this](TTimer& t) { BombTimerTick(t); }));
    auto record = std::make_unique<TBombRecord>();
    record->Owner = &player;
    record->Position = cell;
    record->Size = player.ExplosionSize;
    record->FuseCount = FuseSeconds;
    TBombRecord& bomb = *record;
    FState.BombTimerGrid.SetBomb(cell.X, cell.Y, std::move(record));
    if (player.SeekerBombs) CreateBombSeekTimer(bomb);
    CellBomb(&bomb);
    CopyCell(cell);
  } catch (const std::exception&) {
    // A bomb that could not be made leaves the cell as it was, and the player keeps its bomb.
    FState.BombTimerGrid.RemoveBomb(cell);
    FState.MazeGrid.SetCell(cell, otEmpty);
    return;
  }
  player.BombLaid();
  ++FStats.BombsLaid;
  Other(player).OpponentTarget = cell;
  // Both players look at their own cells before the call returns, so a threatened one runs now.
  if (!FPlayer1->IsCurrentCellSafe()) FPlayer1->Escape();
  if (!FPlayer2->IsCurrentCellSafe()) FPlayer2->Escape();
}

void TDetonixSimulator::BombTimerTick(TTimer& timer) {
  if (FGameOver) return;
  TBombRecord* bomb = timer.Tag.As<TBombRecord>();
  if (!bomb) return;
  --bomb->FuseCount;
  if (bomb->FuseCount > 0) {
    CellBomb(bomb);
    CopyCell(bomb->Position);
  } else if (bomb->FuseCount == 0) {
    // The fire burns one full second from now.
    timer.SetEnabled(false);
    DetonateBomb(timer);
    timer.SetEnabled(true);
  } else {
    timer.SetEnabled(false);
    const TPoint cell = bomb->Position;
    ClearExplosion(cell, bomb->Size);
    FState.BombTimerGrid.RemoveBomb(cell);  // frees this very timer
  }
}

void TDetonixSimulator::DetonateBomb(TTimer& timer) {
  TBombRecord& bomb = *timer.Tag.As<TBombRecord>();
  bomb.MoveTimer.reset();
  bomb.SeekTimer.reset();
  FState.MazeGrid.SetCell(bomb.Position, otEmpty);
  Explode(bomb.Position, bomb.Size);
  bomb.Owner->BombReturned();
}

void TDetonixSimulator::Explode(TPoint center, int8_t size) {
  ++FStats.Explosions;
  if (FSoundsOn) RequestExplosionSound();
  CellObject(Ord(otExplosion));
  for (TDirection dir : FireOrder) ExplodeLine(center, dir, size);
}

void TDetonixSimulator::ExplodeLine(TPoint center, TDirection dir, int8_t size) {
  if (size < 0) return;
  TPoint cell = center;
  for (int left = size + 1; left > 0; --left, MovePoint(cell, dir)) {
    if (!FState.OnBoard(cell)) return;
    const TObjectType object = FState.MazeGrid.GetCell(cell);
    if (object == otBlock) return;
    FExplosionCountGrid.IncCell(cell, 1);
    const bool firstFire = FExplosionCountGrid.GetCell(cell) == 1;
    CellObject(Ord(otExplosion));
    switch (object) {
      case otExpBlock:
        FState.MazeGrid.SetCell(cell, otBExplosion);
        CopyCell(cell);
        return;
      case otBExplosion:
        return;
      case otBomb:
        if (firstFire) HitPlayerAt(cell);
        else CopyCell(cell);
        if (TTimer* fuse = FState.BombTimerGrid.GetTimer(cell)) {
          // Chain reaction: the bomb goes off inside this call; the fire goes on past it.
          if (TBombRecord* other = fuse->Tag.As<TBombRecord>()) other->FuseCount = 1;
          ++FStats.ChainDetonations;
          BombTimerTick(*fuse);
        } else {
          FApp.ShowMessage("Bome Detonate ERROR");
        }
        break;
      default:
        if (IsPowerUpType(object)) FPUpT1List.RemoveByPoint(cell);
        FState.MazeGrid.SetCell(cell, otExplosion);
        if (firstFire) HitPlayerAt(cell);
        break;
    }
  }
}

void TDetonixSimulator::ClearExplosion(TPoint center, int8_t size) {
  for (TDirection dir : FireOrder) ClearExplosionLine(center, dir, size);
}

void TDetonixSimulator::ClearExplosionLine(TPoint center, TDirection dir, int8_t size) {
  if (size < 0) return;
  TPoint cell = center;
  for (int left = size + 1; left > 0; --left, MovePoint(cell, dir)) {
    if (!FState.OnBoard(cell)) return;
    const TObjectType object = FState.MazeGrid.GetCell(cell);
    if (object != otExplosion && object != otBExplosion) return;
    FExplosionCountGrid.DecCell(cell, 1);
    if (FExplosionCountGrid.GetCell(cell) != 0) {
      if (object == otBExplosion) return;  // another fire still covers the block
      continue;
    }
    CellObject(Ord(otEmpty));
    if (object == otBExplosion) {
      if (!ShowClearedCell(cell) && RevealPowerUp(cell)) return;
      FState.MazeGrid.SetCell(cell, otEmpty);
      CopyCell(cell);
      return;
    }
    FState.MazeGrid.SetCell(cell, otEmpty);
    ShowClearedCell(cell);
    CopyCell(cell);
  }
}

void TDetonixSimulator::HitPlayerAt(TPoint cell) {
  if (TPlayer* player = FState.FindPlayerAt(cell)) HitPlayer(*player, cell);
  else CopyCell(cell);
}

// Fire is already drawn in CellBitmap: the player goes over it, hurt unless blinking or indestructible.
void TDetonixSimulator::HitPlayer(TPlayer& player, TPoint cell) {
  if (player.FlashState != 0 || player.Indestructible) {
    CellPlayer(player);
    CopyCell(cell);
    return;
  }
  CellHitPlayer(player);
  CopyCell(cell);
  CancelPowerUps(player);
  PlayerHit(player);
}

bool TDetonixSimulator::ShowClearedCell(TPoint cell) {
  TPlayer* player = FState.FindPlayerAt(cell);
  if (!player) return false;
  if (player->Lives != 0) {
    if (player->FlashState == 0 && !player->Indestructible)
      player->StartFlash(FlashDurationMs, [this](TTimer& t) { FlashTimerTick(t); });
    CellPlayer(*player);
  } else {
    CellHitPlayer(*player);
  }
  return true;
}

void TDetonixSimulator::FlashTimerTick(TTimer& timer) {
  if (FGameOver) return;
  TFlashRecord* flash = timer.Tag.As<TFlashRecord>();
  if (!flash) return;
  flash->RemainingMs = static_cast<int16_t>(flash->RemainingMs - TPlayer::FlashIntervalMs);
  TPlayer& player = *flash->Player;
  if (flash->RemainingMs > 0) {
    player.FlashToggle();
    RedrawPlayerCell(player);
  } else {
    timer.SetEnabled(false);
    player.FlashState = 0;
    RedrawPlayerCell(player);
    player.StopFlash();  // frees this very timer
  }
}

void TDetonixSimulator::RedrawPlayerCell(TPlayer& player) {
  const TPoint cell = player.Position;
  switch (FState.MazeGrid.GetCell(cell)) {
    case otBomb:
      CellBomb(FState.BombTimerGrid.GetBomb(cell));
      CopyCell(cell);
      break;
    case otExplosion:
    case otBExplosion:
      // A flash that ends while the player still stands in fire costs a life.
      CellObject(Ord(otExplosion));
      HitPlayer(player, cell);
      break;
    default:
      CellObject(Ord(otEmpty));
      CellPlayer(player);
      CopyCell(cell);
      break;
  }
}

}  // namespace detonix
