#include "engine/DetonixSim.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

#include "engine/MazeGenerator.h"
#include "media/Pictures.h"
#include "media/Sounds.h"
#include "platform/PaintSurface.h"
#include "player/ComputerPlayer.h"

namespace detonix {

namespace {

// The characters a player whose pictures start at BASE can show: only those are painted.
unsigned CharactersFrom(int base) {
  unsigned characters = 0;
  for (int i = std::max(base, 0); i < std::min(base + PlayerPicturesPerCharacter, PlayerPictureCount); ++i)
    characters |= 1u << (i / PlayerPicturesPerCharacter);
  return characters;
}

// A 64-bit hash of a decision's state, which runs to tens of kilobytes on a large board: eight
// bytes at a time in four lanes that do not wait for each other.
uint64_t StateHash(std::span<const uint8_t> bytes) {
  constexpr uint64_t Odd = 0x9E3779B97F4A7C15u;
  const auto mix = [](uint64_t h, uint64_t word) {
    h = (h ^ word) * Odd;
    return h ^ (h >> 32);
  };
  uint64_t lanes[4] = {1, 2, 3, 4};
  size_t at = 0;
  for (; at + sizeof lanes <= bytes.size(); at += sizeof lanes) {
    uint64_t words[4];
    std::memcpy(words, bytes.data() + at, sizeof words);
    for (size_t i = 0; i < 4; ++i) lanes[i] = mix(lanes[i], words[i]);
  }
  uint64_t hash = mix(0, bytes.size());
  for (; at < bytes.size(); ++at) hash = mix(hash, bytes[at]);
  for (const uint64_t lane : lanes) hash = mix(hash, lane);
  return hash;
}

TBoardGeometry GeometryFor(const TPaintSurface& paintBox, int cellSize) {
  // Before any grid is made: an oversized one would take all memory first.
  const std::string problem = BoardSizeProblem(paintBox.Width(), paintBox.Height(), cellSize);
  if (!problem.empty()) throw std::invalid_argument(problem);
  return TBoardGeometry::ForSurface(paintBox.Width(), paintBox.Height(), cellSize);
}

}  // namespace

std::string BoardSizeProblem(int width, int height, int cellSize, int minSide) {
  const auto size = [](int w, int h) { return std::to_string(w) + " by " + std::to_string(h); };
  if (width > MaxSurfaceSide || height > MaxSurfaceSide)
    return "Board too large: " + size(width, height) + " pixels, at most " + size(MaxSurfaceSide, MaxSurfaceSide);
  const int cell = cellSize > 0 ? cellSize : NativeCellSize;
  if (cell > MaxCellSize) return "Cells too large: " + std::to_string(cell) + " pixels, at most " + std::to_string(MaxCellSize);
  const TBoardGeometry g = TBoardGeometry::ForSurface(width, height, cell);
  if (g.ColCount > MaxBoardSide || g.RowCount > MaxBoardSide)
    return "Board too large: " + size(g.ColCount, g.RowCount) + " cells, at most " + size(MaxBoardSide, MaxBoardSide);
  if (g.ColCount < minSide || g.RowCount < minSide)
    return "Board too small: " + size(g.ColCount, g.RowCount) + " cells, at least " + size(minSide, minSide);
  return {};
}

TDetonixSimulator::TDetonixSimulator(TApplication& app, TPaintSurface& paintBox, const TSimulatorOptions& options)
    : FApp(app),
      FPaintBox(paintBox),
      FState(app, GeometryFor(paintBox, options.CellSize > 0 ? options.CellSize : NativeCellSize)),
      FExplosionCountGrid(FState.ColCount, FState.RowCount, 0),
      FOwnerFireGrid{TDetonixIntGrid(FState.ColCount, FState.RowCount, 0),
                     TDetonixIntGrid(FState.ColCount, FState.RowCount, 0)},
      FBurningSince(static_cast<size_t>(FState.ColCount) * static_cast<size_t>(FState.RowCount), 0),
      FPUpT1List(app.Timers()),
      FPUpT2List(app.Timers()),
      FSound(options.Sound),
      FIsPreview(options.Preview) {
  // Larger cells get the pictures painted at their size, as sharp as at 30; smaller ones (the
  // preview) shrink the 30-pixel pictures. Painted only now that the board's size is known good.
  const int pictureSize = std::max(FState.CellSize, NativeCellSize);
  const TSettings& settings = options.Settings;
  FPlayerImages = CreatePlayerImages(pictureSize, CharactersFrom(static_cast<int8_t>(settings.P1ImageIndex & 0xFF)) |
                                                      CharactersFrom(static_cast<int8_t>(settings.P2ImageIndex & 0xFF)));
  FObjImages = CreateObjectImages(pictureSize);
  if (options.CellSize > 0) {
    FPlayerImages->ResizeImages(FState.CellSize, FState.CellSize);
    FObjImages->ResizeImages(FState.CellSize, FState.CellSize);
  }
  const TSettings& s = options.Settings;
  FState.MazeSettings = MazeSettingsOf(s);
  FSoundsOn = s.Sounds && !FIsPreview;
  FForceMaze = s.ForceMaze;
  FForceInterval = s.ForceInterval;

  FPlayer1 = std::make_unique<TComputerPlayer>(FState);
  FPlayer2 = std::make_unique<TComputerPlayer>(FState);
  FState.Player1 = FPlayer1.get();
  FState.Player2 = FPlayer2.get();
  FPlayer1->OnAction = [this](uint8_t action, TComputerPlayer&) { Player1Action(action); };
  FPlayer1->SetOpponent(FPlayer2.get());
  FPlayer1->SafetyMargin = 2;
  FPlayer1->SetThinkInterval(s.PlayerSpeed);
  FPlayer1->ImageBase = static_cast<int8_t>(s.P1ImageIndex & 0xFF);
  FPlayer1->ThinkTimer.OnTimer = [this](TTimer&) {
    if (!WatchStandoff()) FPlayer1->Think();
  };
  FPlayer2->OnAction = [this](uint8_t action, TComputerPlayer&) { Player2Action(action); };
  FPlayer2->SetOpponent(FPlayer1.get());
  FPlayer2->SafetyMargin = 2;
  FPlayer2->SetThinkInterval(s.PlayerSpeed);
  FPlayer2->ImageBase = static_cast<int8_t>(s.P2ImageIndex & 0xFF);

  // The floor hides all a cell showed before only when it covers every pixel.
  FFloorOpaque = FObjImages->Width() >= FState.CellSize && FObjImages->Height() >= FState.CellSize;
  for (int y = 0; y < FObjImages->Height() && FFloorOpaque; ++y)
    for (int x = 0; x < FObjImages->Width(); ++x)
      if (FObjImages->Masked && FObjImages->IsTransparent(Ord(otEmpty), x, y)) FFloorOpaque = false;
  // Kept cell pictures take at most a few megabytes, however large the cells.
  FMaxCellPictures = std::min<size_t>(512, (size_t{4} << 20) / (static_cast<size_t>(FState.CellSize) * FState.CellSize * 4));
  FCellPictures.reserve(FMaxCellPictures);
  FCellBitmap = std::make_unique<TBitmap>(FState.CellSize, FState.CellSize);
  FCellCanvas = std::make_unique<TCanvas>(*FCellBitmap);
  FCellCanvas->Font.Color = clWhite;
  FCellCanvas->Brush.Style = bsClear;
  MakeFuseDigits();
  paintBox.Canvas().Font.Color = clWhite;
  paintBox.Canvas().Brush.Style = bsClear;
  FSeekQueue.resize(static_cast<size_t>(FState.ColCount) * static_cast<size_t>(FState.RowCount));
  if (options.Seed) FState.Random.Seed(*options.Seed);
  else FState.Random.Randomize();
  // A player deciding once a minute is not idle for a minute: the stall time follows the slower one.
  const uint32_t slower = std::max(FPlayer1->ThinkTimer.Interval(), FPlayer2->ThinkTimer.Interval());
  FStallTimer = std::make_unique<TTimer>(app.Timers(), StallMs + StallDecisions * slower, [this](TTimer&) {
    SetPaused(true);
    EndGame(TGameEnd::geStall);
  }, false);
  const auto stalemate = [this](TTimer&) {
    SetPaused(true);
    EndGame(TGameEnd::geStalemate);
  };
  FStalemateTimer = std::make_unique<TTimer>(app.Timers(), StalemateMs, stalemate, false);
  const uint64_t cleared = uint64_t{ClearedStalemateMs} * std::max<uint32_t>(slower, DefaultPlayerSpeed) / DefaultPlayerSpeed;
  FClearedStalemateTimer = std::make_unique<TTimer>(app.Timers(), static_cast<uint32_t>(std::min<uint64_t>(cleared, UINT32_MAX)),
                                                    stalemate, false);
  FStandoffMs = StandoffMs * std::max<uint32_t>(slower, DefaultPlayerSpeed) / DefaultPlayerSpeed;
  FIdle = app.AddIdleHandler([this] { ApplicationEventsIdle(); });
  NewGame();
}

TDetonixSimulator::~TDetonixSimulator() {
  FIdle.Reset();
  FPlayer1->SetActive(false);
  FPlayer2->SetActive(false);
  ClearGame();
}

void TDetonixSimulator::NewGame() {
  if (FGames > 0 && OnBeforeNewGame) OnBeforeNewGame();
  ClearGame();
  TPoint start1 = NoPoint;
  TPoint start2 = NoPoint;
  TMazeGenerator(FState).GenerateMaze(start1, start2);
  FPlayer1->StartPos = start1;
  FPlayer2->StartPos = start2;
  ResetPlayers(true);
  FState.MazeGrid.CopyFrom(FState.MazeTemplate);
  DrawBoard();
  FPlayer1->OpponentTarget = FPlayer2->StartPos;
  FPlayer2->OpponentTarget = FPlayer1->StartPos;
  FPlayer1->PlanRoute(FPlayer2->Position);
  FPlayer2->PlanRoute(FPlayer1->Position);
  if (FForceMaze) {
    // Interval 0 never fires: games then end only by a lost life.
    // Minutes beyond what a timer can hold wait as long as it can, rather than wrapping round.
    const uint64_t ms = std::min<uint64_t>(static_cast<uint64_t>(std::max(0, FForceInterval)) * 60000u, UINT32_MAX);
    FNewMazeTimer = std::make_unique<TTimer>(FApp.Timers(), static_cast<uint32_t>(ms),
                                             [this](TTimer&) { NewMazeTimerTick(); }, false);
  }
  FStats = {};
  FLastActionMs[0] = FLastActionMs[1] = FLastHitMs = FLastProgressMs = FStartedMs = NowMs();
  FLastBreakMs = -1;
  FBreaksSinceHit = 0;
  FEndedMs = -1;
  ++FGames;
  SetPaused(false);
  FGameOver = false;
  CheckCleared();  // a maze may have no destructible block at all
  if (OnNewGame) OnNewGame();
}

void TDetonixSimulator::ClearGame() {
  FNewMazeTimer.reset();
  FStallTimer->SetEnabled(false);
  FStalemateTimer->SetEnabled(false);
  FClearedStalemateTimer->SetEnabled(false);
  FClearedMs = -1;
  FRepeatSeen.clear();
  FRepeatDecision = 0;
  FRepeatCandidate = 0;
  FState.BombTimerGrid.RemoveAll();
  FExplosionCountGrid.Clear();
  FOwnerFireGrid[0].Clear();
  FOwnerFireGrid[1].Clear();
  FChainDepth = 0;
  FPUpT1List.Clear();
  FPUpT2List.Clear();
  FPlayer1->StopFlash();
  FPlayer2->StopFlash();
}

void TDetonixSimulator::SetPaused(bool paused) {
  const bool running = !paused;
  if (FNewMazeTimer) FNewMazeTimer->SetEnabled(running);
  FStallTimer->SetEnabled(running);
  FStalemateTimer->SetEnabled(running);
  FClearedStalemateTimer->SetEnabled(running && BoardCleared());
  FState.BombTimerGrid.SetEnabled(running);
  FPUpT1List.SetEnabled(running);
  FPUpT2List.SetEnabled(running);
  FPlayer1->SetActive(running);
  FPlayer2->SetActive(running);
  FApp.ProcessMessages();
}

void TDetonixSimulator::ResetPlayers(bool full) {
  FPlayer1->Reset(full);
  FPlayer2->Reset(full);
}

void TDetonixSimulator::ApplicationEventsIdle() {
  if (FGameOver) NewGame();
}

void TDetonixSimulator::NewMazeTimerTick() {
  SetPaused(true);
  EndGame(TGameEnd::geForce);
}

void TDetonixSimulator::EndGame(TGameEnd reason) {
  const bool wasOver = FGameOver;
  FGameOver = true;
  if (wasOver) return;
  FEndedMs = NowMs();
  if (OnGameOver) OnGameOver(reason);
}

void TDetonixSimulator::PlayerActed(int index) {
  const int64_t now = NowMs();
  TPlayerStats& stats = FStats.Players[index];
  stats.LongestIdleMs = std::max(stats.LongestIdleMs, now - FLastActionMs[index]);
  FStats.LongestQuietMs = std::max(FStats.LongestQuietMs, now - std::max(FLastActionMs[0], FLastActionMs[1]));
  FLastActionMs[index] = now;
  if (FStallTimer->Enabled()) {
    FStallTimer->SetEnabled(false);  // disabling and enabling restarts the interval
    FStallTimer->SetEnabled(true);
  }
}

// Called wherever a destructible block or a lying power-up may have gone. A cleared board stays
// cleared: nothing brings blocks or power-ups back before the next maze.
void TDetonixSimulator::CheckCleared() {
  if (BoardCleared() || FGameOver) return;
  for (int x = 0; x < FState.ColCount; ++x)
    for (int y = 0; y < FState.RowCount; ++y) {
      const TObjectType object = FState.MazeGrid.GetCell(x, y);
      if (object == otExpBlock || object == otBExplosion || IsPowerUpType(object)) return;
    }
  FClearedMs = NowMs();
  FStats.ClearedAtMs = FClearedMs - FStartedMs;
  if (FStalemateTimer->Enabled()) FClearedStalemateTimer->SetEnabled(true);
}

TGameStats TDetonixSimulator::Stats() const {
  TGameStats stats = FStats;
  const int64_t end = FEndedMs >= 0 ? FEndedMs : NowMs();
  for (int i = 0; i < 2; ++i)
    stats.Players[i].LongestIdleMs = std::max(stats.Players[i].LongestIdleMs, end - FLastActionMs[i]);
  stats.LongestHitlessMs = std::max(stats.LongestHitlessMs, end - FLastHitMs);
  stats.LongestQuietMs = std::max(stats.LongestQuietMs, end - std::max(FLastActionMs[0], FLastActionMs[1]));
  if (BoardCleared())
    stats.LongestClearedHitlessMs = std::max(stats.LongestClearedHitlessMs, end - std::max(FClearedMs, FLastHitMs));
  for (int x = 0; x < FState.ColCount; ++x)
    for (int y = 0; y < FState.RowCount; ++y)
      if (FExplosionCountGrid.GetCell(x, y) > 0)
        stats.LongestBurnMs = std::max(stats.LongestBurnMs, end - FBurningSince[CellIndex({x, y})]);
  return stats;
}

void TDetonixSimulator::PlayerHit(TPlayer& player) {
  player.LoseLife();
  ++FStats.Hits[PlayerIndex(player)];
  const int64_t now = NowMs();
  FStats.LongestHitlessMs = std::max(FStats.LongestHitlessMs, now - FLastHitMs);
  if (BoardCleared())
    FStats.LongestClearedHitlessMs = std::max(FStats.LongestClearedHitlessMs, now - std::max(FClearedMs, FLastHitMs));
  FLastHitMs = FLastProgressMs = now;
  FBreaksSinceHit = 0;
  for (TTimer* timer : {FStalemateTimer.get(), FClearedStalemateTimer.get()}) {
    if (!timer->Enabled()) continue;
    timer->SetEnabled(false);  // restarts the interval
    timer->SetEnabled(true);
  }
  if (player.Lives == 0) {
    SetPaused(true);
    EndGame(TGameEnd::geLives);
  }
}

void TDetonixSimulator::Player1Action(uint8_t action) {
  if (action <= Ord(dirDown)) MovePlayer(*FPlayer1, static_cast<TDirection>(action));
  else LayBomb(*FPlayer1);
}

void TDetonixSimulator::Player2Action(uint8_t action) {
  if (action <= Ord(dirDown)) MovePlayer(*FPlayer2, static_cast<TDirection>(action));
  else LayBomb(*FPlayer2);
}

TComputerPlayer& TDetonixSimulator::Other(const TPlayer& player) {
  return &player == FPlayer1.get() ? *FPlayer2 : *FPlayer1;
}

// The player has asked only for a move its own CanMove accepts.
void TDetonixSimulator::MovePlayer(TPlayer& player, TDirection dir) {
  const TPoint old = player.Position;
  const TPoint next = Neighbour(old, dir);
  ++FStats.Players[PlayerIndex(player)].Moves;
  PlayerActed(PlayerIndex(player));
  CellObject(Ord(otEmpty));
  player.UpdatePose(dir);
  player.Position = next;
  switch (FState.MazeGrid.GetCell(old)) {
    case otBomb: CellBomb(FState.BombTimerGrid.GetBomb(old)); break;
    case otExplosion: CellObject(Ord(otExplosion)); break;
    default: break;
  }
  CopyCell(old);

  CellObject(Ord(otEmpty));
  const TObjectType entered = FState.MazeGrid.GetCell(next);
  if (entered != otExplosion && entered != otBExplosion) {
    CollectPowerUp(player);
    CellPlayer(player);
    CopyCell(next);
    if (player.CanKick) {
      const TPoint ahead = Neighbour(next, dir);
      if (FState.OnBoard(ahead) && FState.CanPushBomb(ahead, dir) && CreateBombMoveTimer(ahead, dir))
        ++FStats.Players[PlayerIndex(player)].Kicks;
    }
  } else {
    CellFire();
    HitPlayer(player, next);
  }
}

}  // namespace detonix

namespace detonix {

void TDetonixSimulator::RequestExplosionSound() {
  if (FSound) PlaySoundResource(FSound, "explosion");
}

}  // namespace detonix

namespace detonix {

// The players decide without random numbers and nothing else draws from the generator, so on a
// cleared board the state below decides the whole future: once it comes back, the game can only
// go round the same cycle, no hit included (a hit would have taken a life for good). Such a
// standoff, or one in which nothing has been destroyed for a long while, is broken by seeking bombs
// for both players; after a few breaks without a hit a cycle ends the game.
bool TDetonixSimulator::WatchStandoff() {
  if (FGameOver) return false;
  const int64_t now = NowMs();
  if (now - std::max(FLastProgressMs, FLastBreakMs) >= FStandoffMs && FBreaksSinceHit < MaxStandoffBreaks)
    BreakStandoff();
  if (!BoardCleared()) return false;
  FRepeatScratch.Bytes.clear();
  AppendState(FRepeatScratch);
  const std::vector<uint8_t>& state = FRepeatScratch.Bytes;
  const uint64_t decision = ++FRepeatDecision;
  if (FRepeatCandidate > 0 && decision == FRepeatMarkDecision + FRepeatCandidate) {
    FRepeatCandidate = 0;
    if (state == FRepeatMark) {  // not two states with the same hash only
      FStats.RepeatPeriodMs = now - FRepeatMarkMs;
      if (FBreaksSinceHit < MaxStandoffBreaks) {
        BreakStandoff();
        return false;
      }
      SetPaused(true);
      EndGame(TGameEnd::geStalemate);
      return true;
    }
  }
  const uint64_t hash = StateHash(state);
  const auto [seen, fresh] = FRepeatSeen.try_emplace(hash, decision);
  if (!fresh) {
    if (FRepeatCandidate == 0) {
      FRepeatMark = state;
      FRepeatMarkDecision = decision;
      FRepeatCandidate = decision - seen->second;
      FRepeatMarkMs = NowMs();
    }
    seen->second = decision;
  } else if (FRepeatSeen.size() > MaxRepeatStates) {
    FRepeatSeen.clear();  // bounded memory: only cycles shorter than this are found
  }
  return false;
}

void TDetonixSimulator::AppendState(TStateBytes& out) {
  FStateTimers.clear();
  const auto timer = [&](const TTimer* t) {
    out.Put(t != nullptr);
    if (!t) return;
    FStateTimers.push_back(t);
    out.Put(t->Enabled());
    out.Put(t->Interval());
    out.Put(t->Armed());
    out.Put(t->Tag.Key());
  };
  const auto who = [&](const TPlayer* p) -> int8_t {
    return p == FPlayer1.get() ? 0 : p == FPlayer2.get() ? 1 : p ? 2 : -1;
  };
  for (const TComputerPlayer* p : {FPlayer1.get(), FPlayer2.get()}) {
    out.Put(p->ImageBase);
    out.Put(p->StartPos);
    out.Put(p->Pose);
    out.Put(p->Lives);
    out.Put(p->Visible);
    out.Put(p->ShowWhenInvisible);
    out.Put(p->SeekerBombs);
    out.Put(p->Position);
    out.Put(p->BombsLeft);
    out.Put(p->ExplosionSize);
    out.Put(p->CanKick);
    out.Put(p->MaxBombs);
    out.Put(p->Indestructible);
    out.Put(p->FlashState);
    out.Put(p->Active());
    timer(p->FlashTimer());
    if (const TFlashRecord* flash = p->FlashTimer() ? p->FlashTimer()->Tag.As<TFlashRecord>() : nullptr)
      out.Put(flash->RemainingMs);
    timer(&p->ThinkTimer);
    p->AppendMemory(out);
  }
  out.PutAll(FState.MazeGrid.Cells());
  out.PutAll(FState.PowerUpGrid.Cells());
  out.PutAll(FExplosionCountGrid.Cells());
  out.PutAll(FOwnerFireGrid[0].Cells());
  out.PutAll(FOwnerFireGrid[1].Cells());
  out.Put(FChainDepth);
  out.Put(FChainOwners);
  out.Put(FState.BombTimerGrid.Enabled());
  for (int x = 0; x < FState.ColCount; ++x)
    for (int y = 0; y < FState.RowCount; ++y) {
      const TTimer* fuse = FState.BombTimerGrid.GetTimer(x, y);
      if (!fuse) continue;
      out.Put(TPoint{x, y});
      timer(fuse);
      const TBombRecord* bomb = fuse->Tag.As<TBombRecord>();
      out.Put(bomb != nullptr);
      if (!bomb) continue;
      out.Put(who(bomb->Owner));
      out.Put(bomb->Position);
      out.Put(bomb->FuseCount);
      out.Put(bomb->Size);
      for (const int16_t reach : bomb->Reach) out.Put(reach);
      timer(bomb->MoveTimer.get());
      if (const TBombMoveRecord* move = bomb->MoveTimer ? bomb->MoveTimer->Tag.As<TBombMoveRecord>() : nullptr) {
        out.Put(move->Position);
        out.Put(move->Direction);
      }
      timer(bomb->SeekTimer.get());
      if (const TBombSeekRecord* seek = bomb->SeekTimer ? bomb->SeekTimer->Tag.As<TBombSeekRecord>() : nullptr) {
        out.Put(seek->Position);
        out.Put(who(seek->Target));
        out.Put(seek->TargetVisible);
        out.Put(seek->Route != nullptr);
        if (seek->Route) out.PutAll(seek->Route->Cells());
      }
    }
  for (const TCustomTimerList* list : {static_cast<const TCustomTimerList*>(&FPUpT1List), static_cast<const TCustomTimerList*>(&FPUpT2List)}) {
    out.Put(list->Enabled());
    out.Put(list->Count());
    for (int i = 0; i < list->Count(); ++i) {
      const TTimer* t = list->GetTimer(i);
      timer(t);
      if (const TPowerUpEffect* effect = t ? t->Tag.As<TPowerUpEffect>() : nullptr) {
        out.Put(who(effect->Player));
        out.Put(effect->Kind);
      }
    }
  }
  // Every armed timer in firing order (ties go by arming order) with its time left. The timers
  // that can only end the game are left out; any other timer counts, ours or not.
  const int64_t now = NowMs();
  FApp.Timers().ForEachArmed([&](const TTimer& t) {
    if (&t == FStallTimer.get() || &t == FStalemateTimer.get() || &t == FClearedStalemateTimer.get() ||
        &t == FNewMazeTimer.get())
      return;
    const auto known = std::find(FStateTimers.begin(), FStateTimers.end(), &t);
    out.Put(static_cast<int64_t>(known - FStateTimers.begin()));
    out.Put(t.DueMs() - now);
    out.Put(t.Interval());
  });
}

}  // namespace detonix

