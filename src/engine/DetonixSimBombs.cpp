// Bombs and explosions of the simulator.
#include <algorithm>

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

void TDetonixSimulator::LayBomb(TPlayer& player) {
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
  ++FStats.Players[PlayerIndex(player)].BombsLaid;
  PlayerActed(PlayerIndex(player));
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
    if (FChainDepth++ == 0) FChainOwners = 0;
    if (bomb->Owner) FChainOwners |= static_cast<uint8_t>(1u << PlayerIndex(*bomb->Owner));
    DetonateBomb(timer);
    --FChainDepth;
    timer.SetEnabled(true);
  } else {
    timer.SetEnabled(false);
    const TPoint cell = bomb->Position;
    ClearExplosion(*bomb);
    FState.BombTimerGrid.RemoveBomb(cell);  // frees this very timer
  }
}

void TDetonixSimulator::DetonateBomb(TTimer& timer) {
  TBombRecord& bomb = *timer.Tag.As<TBombRecord>();
  bomb.MoveTimer.reset();
  bomb.SeekTimer.reset();
  FState.MazeGrid.SetCell(bomb.Position, otEmpty);
  Explode(bomb);
  if (bomb.Owner) bomb.Owner->BombReturned();
}

void TDetonixSimulator::Explode(TBombRecord& bomb) {
  ++FStats.Explosions;
  if (FSoundsOn) RequestExplosionSound();
  CellFire();
  const int owner = bomb.Owner ? PlayerIndex(*bomb.Owner) : -1;
  for (int i = 0; i < 4; ++i)
    bomb.Reach[i] = static_cast<int16_t>(ExplodeLine(bomb.Position, FireOrder[i], bomb.Size, owner));
}

// Returns how many cells the arm covered, so that clearing it later undoes exactly those.
int TDetonixSimulator::ExplodeLine(TPoint center, TDirection dir, int8_t size, int owner) {
  if (size < 0) return 0;
  TPoint cell = center;
  int covered = 0;
  for (int left = size + 1; left > 0; --left, MovePoint(cell, dir)) {
    if (!FState.OnBoard(cell)) break;
    const TObjectType object = FState.MazeGrid.GetCell(cell);
    if (object == otBlock) break;
    CountFire(cell, owner);
    ++covered;
    const bool firstFire = FExplosionCountGrid.GetCell(cell) == 1;
    CellFire();
    if (object == otExpBlock) {
      FLastProgressMs = NowMs();
      FState.MazeGrid.SetCell(cell, otBExplosion);
      CopyCell(cell);
      break;
    }
    if (object == otBExplosion) break;
    if (object == otBomb) {
      if (firstFire) HitPlayerAt(cell);
      else CopyCell(cell);
      if (TTimer* fuse = FState.BombTimerGrid.GetTimer(cell)) {
        // Chain reaction: the bomb goes off inside this call; the fire goes on past it.
        if (TBombRecord* other = fuse->Tag.As<TBombRecord>()) other->FuseCount = 1;
        if (!FGameOver) ++FStats.ChainDetonations;  // after the end the tick does nothing
        BombTimerTick(*fuse);
      } else {
        FApp.ShowMessage("Bome Detonate ERROR");
      }
      continue;
    }
    if (IsPowerUpType(object)) FPUpT1List.RemoveByPoint(cell);
    FState.MazeGrid.SetCell(cell, otExplosion);
    if (firstFire) HitPlayerAt(cell);
  }
  return covered;
}

void TDetonixSimulator::ClearExplosion(const TBombRecord& bomb) {
  const int owner = bomb.Owner ? PlayerIndex(*bomb.Owner) : -1;
  for (int i = 0; i < 4; ++i) ClearExplosionLine(bomb.Position, FireOrder[i], bomb.Reach[i], owner);
  CheckCleared();
}

// Walks exactly the cells the arm covered; a cell goes out when no fire covers it any more.
void TDetonixSimulator::ClearExplosionLine(TPoint center, TDirection dir, int reach, int owner) {
  TPoint cell = center;
  for (int i = 0; i < reach; ++i, MovePoint(cell, dir)) {
    if (!UncountFire(cell, owner)) continue;
    const TObjectType object = FState.MazeGrid.GetCell(cell);
    if (object != otExplosion && object != otBExplosion) continue;  // e.g. a bomb that could not go off
    CellObject(Ord(otEmpty));
    if (object == otBExplosion) {
      if (!ShowClearedCell(cell) && RevealPowerUp(cell)) continue;
      FState.MazeGrid.SetCell(cell, otEmpty);
      CopyCell(cell);
      continue;
    }
    FState.MazeGrid.SetCell(cell, otEmpty);
    ShowClearedCell(cell);
    CopyCell(cell);
  }
}

void TDetonixSimulator::CountFire(TPoint cell, int owner) {
  if (FExplosionCountGrid.GetCell(cell) == 0)
    FBurningSince[CellIndex(cell)] = NowMs();
  FExplosionCountGrid.IncCell(cell, 1);
  if (owner >= 0) FOwnerFireGrid[owner].IncCell(cell, 1);
}

// True when the cell has just gone out.
bool TDetonixSimulator::UncountFire(TPoint cell, int owner) {
  if (FExplosionCountGrid.GetCell(cell) <= 0) return false;  // never below 0, whatever happened
  FExplosionCountGrid.DecCell(cell, 1);
  if (owner >= 0 && FOwnerFireGrid[owner].GetCell(cell) > 0) FOwnerFireGrid[owner].DecCell(cell, 1);
  if (FExplosionCountGrid.GetCell(cell) != 0) return false;
  FStats.LongestBurnMs = std::max(FStats.LongestBurnMs, NowMs() - FBurningSince[CellIndex(cell)]);
  return true;
}

// Whose fire hit: the bombs whose fire covers the cell, and those of the chain that is going off.
void TDetonixSimulator::CountHitCause(const TPlayer& player, TPoint cell) {
  unsigned owners = FChainDepth > 0 ? FChainOwners : 0u;
  for (int i = 0; i < 2; ++i)
    if (FOwnerFireGrid[i].GetCell(cell) > 0) owners |= 1u << i;
  const int self = PlayerIndex(player);
  const bool own = (owners & (1u << self)) != 0;
  const bool opponent = (owners & (1u << (1 - self))) != 0;
  TPlayerStats& stats = FStats.Players[self];
  if (own && opponent) ++stats.HitsBoth;
  else if (own) ++stats.HitsOwn;
  else if (opponent) ++stats.HitsOpponent;
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
  CountHitCause(player, cell);
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
      CellFire();
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
