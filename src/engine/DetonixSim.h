#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/BombRecords.h"
#include "board/GameState.h"
#include "board/PUPTimerLists.h"
#include "board/StateBytes.h"
#include "platform/Application.h"
#include "settings/Settings.h"

namespace detonix {

class TComputerPlayer;
class TResizableImageList;
class TBitmap;
class TCanvas;
class TPaintSurface;
class TSoundOutput;

// Why a game stopped. geStall: neither player acted for the stall time, so nothing could change
// any more. geStalemate: on a cleared board the whole state came back as it was at an earlier
// decision, so the game repeats for ever; or nobody was hit for StalemateMs, or for
// ClearedStalemateMs on a cleared board, so the game would most likely never end.
enum class TGameEnd : uint8_t { geLives, geForce, geStall, geStalemate };

// The power-ups a player can collect, in the order of their object types.
constexpr int CollectableKinds = 5;

// One player's counters of the current game.
struct TPlayerStats {
  int64_t Moves = 0;
  int64_t BombsLaid = 0;
  int64_t Kicks = 0;
  // Hits by whose fire covered the cell or took part in the chain that hit: its own bombs only,
  // the opponent's only, or both.
  int64_t HitsOwn = 0;
  int64_t HitsOpponent = 0;
  int64_t HitsBoth = 0;
  int64_t PowerUps[CollectableKinds] = {};  // otBombPUP .. otSKBombsPUP
  int64_t LongestIdleMs = 0;                // longest stretch without a move or a bomb
};

// Counters of the current game, for the headless tool and tests.
struct TGameStats {
  int64_t BombsLaid = 0;
  int64_t Explosions = 0;
  int64_t ChainDetonations = 0;
  int64_t PowerUpsRevealed = 0;
  int64_t PowerUpsCollected = 0;
  int64_t Hits[2] = {0, 0};
  TPlayerStats Players[2];
  int64_t LongestBurnMs = 0;  // longest time one cell burned without going out
  int64_t LongestHitlessMs = 0;  // longest stretch without a hit, from the start or a hit
  int64_t ClearedAtMs = -1;      // when the board was cleared, from the game's start; -1: never
  int64_t LongestClearedHitlessMs = 0;  // the same as LongestHitlessMs, counted on the cleared board only
  int64_t LongestQuietMs = 0;    // longest stretch in which neither player moved or laid a bomb
  int64_t RepeatPeriodMs = -1;   // the length of the cycle a repeating game was caught in; -1: none
  int64_t StandoffsBroken = 0;   // times both players were given seeking bombs to end a standoff
};

// The largest boards a simulator is made for: an 8K screen either way round, in pixels, and at
// most 1024 cells a side (an 8K screen at 30-pixel cells is 256 by 144; a 152 by 112 preview
// 15 by 11). Beyond them a board would cost gigabytes for nobody to see.
constexpr int MaxSurfaceSide = 8192;
constexpr int MaxBoardSide = 1024;
constexpr int MaxCellSize = 1024;
// The smallest board a host makes: on one of fewer cells a side some settings the options accept
// make no maze (and on a 3 by 3 the walk may never reach the centre).
constexpr int MinBoardSide = 8;
// Why a board of WIDTH by HEIGHT pixels at CELLSIZE pixels a cell (0 or less: the pictures' own
// 30) is refused, with fewer than MINSIDE cells a side too; empty when it is within the limits.
std::string BoardSizeProblem(int width, int height, int cellSize, int minSide = 0);

// What a host hands a new simulator.
struct TSimulatorOptions {
  bool Preview = false;
  int CellSize = -1;                 // above 0: the pictures at that size; else their own 30 pixels
  TSettings Settings;                // read by the host from the store just before
  std::shared_ptr<TSoundOutput> Sound;  // where explosion sounds are played; none: silent
  std::optional<uint64_t> Seed;      // maze seed; none: from the clock
};

// One running game on a paint surface: the board, two computer players, every game timer and
// the picture. It has no tick of its own; everything happens in timer events and the idle event.
class TDetonixSimulator {
 public:
  // A game in which neither player has moved or laid a bomb for this long, plus StallDecisions
  // think intervals of the slower player, can no longer change: it ends and a new maze starts.
  // Ordinary play never comes near it, at any speed.
  static constexpr uint32_t StallMs = 60000;
  static constexpr uint32_t StallDecisions = 3;
  // A game in which nobody has been hit for this long (from its start or the last hit) is taken
  // for one that can no longer end, such as two players bombing each other on a cleared board
  // without ever being caught: it ends and a new maze starts. Far beyond ordinary games.
  static constexpr uint32_t StalemateMs = 30 * 60000;
  // Once no destructible block and no power-up (hidden or lying) is left, only the players can
  // change the game: it ends after this long without a hit on the cleared board (longer for
  // players slower than the default, in proportion). Ordinary games that ended by lives never
  // went this long there, at any board size we measured.
  static constexpr uint32_t ClearedStalemateMs = 15 * 60000;
  // Nothing destroyed and nobody hit for this long (longer for slow players, as above), or a
  // cycle found, and both players get seeking bombs; after this many such breaks without a hit,
  // a cycle ends the game.
  static constexpr int64_t StandoffMs = 6 * 60000;
  static constexpr int MaxStandoffBreaks = 3;
  // States remembered for finding a repeat: cycles of more decisions than this go unnoticed (at
  // the default 150 ms, 2.7 hours), and the hit-free limits end those games.
  static constexpr size_t MaxRepeatStates = 1u << 16;

  // Builds everything and starts the first game. Throws the grids' error for a surface smaller
  // than one cell, and the maze error when no maze can be made.
  TDetonixSimulator(TApplication& app, TPaintSurface& paintBox, const TSimulatorOptions& options);
  ~TDetonixSimulator();
  TDetonixSimulator(const TDetonixSimulator&) = delete;
  TDetonixSimulator& operator=(const TDetonixSimulator&) = delete;

  // Full repaint of the board onto the paint surface.
  void DrawBoard();
  void ApplicationEventsIdle();
  void Player1Action(uint8_t action);
  void Player2Action(uint8_t action);

  TGameState& State() { return FState; }
  const TGameState& State() const { return FState; }
  TComputerPlayer& Player1() { return *FPlayer1; }
  TComputerPlayer& Player2() { return *FPlayer2; }
  bool GameOver() const { return FGameOver; }
  bool SoundsOn() const { return FSoundsOn; }
  bool IsPreview() const { return FIsPreview; }
  const TDetonixIntGrid& ExplosionCountGrid() const { return FExplosionCountGrid; }
  const TPUPTimer1List& PUpT1List() const { return FPUpT1List; }
  const TPUPTimer2List& PUpT2List() const { return FPUpT2List; }
  const TTimer* NewMazeTimer() const { return FNewMazeTimer.get(); }
  // The counters so far; idle stretches and fires still running count up to now (or the game's end).
  TGameStats Stats() const;
  int64_t Games() const { return FGames; }
  const TTimer* StallTimer() const { return FStallTimer.get(); }
  const TTimer* StalemateTimer() const { return FStalemateTimer.get(); }
  // No destructible block and no power-up left on the board.
  bool BoardCleared() const { return FClearedMs >= 0; }
  TResizableImageList& ObjImages() { return *FObjImages; }
  TResizableImageList& PlayerImages() { return *FPlayerImages; }

  // Told when a game stops, before the next starts.
  std::function<void(TGameEnd)> OnGameOver;
  // Told when a finished game is about to be replaced by the next.
  std::function<void()> OnBeforeNewGame;
  // Told when a new game has started.
  std::function<void()> OnNewGame;

  // Game operations, public so tests can set up and drive exact situations.
  void NewGame();
  void ClearGame();
  void SetPaused(bool paused);
  void ResetPlayers(bool full);
  void PlayerHit(TPlayer& player);
  void MovePlayer(TPlayer& player, TDirection dir);
  void LayBomb(TPlayer& player);
  void BombTimerTick(TTimer& timer);

 private:
  // Bombs and explosions.
  void DetonateBomb(TTimer& timer);
  void Explode(TBombRecord& bomb);
  int ExplodeLine(TPoint center, TDirection dir, int8_t size, int owner);
  void ClearExplosion(const TBombRecord& bomb);
  void ClearExplosionLine(TPoint center, TDirection dir, int reach, int owner);
  void CountFire(TPoint cell, int owner);
  bool UncountFire(TPoint cell, int owner);
  void HitPlayerAt(TPoint cell);
  void HitPlayer(TPlayer& player, TPoint cell);
  bool ShowClearedCell(TPoint cell);
  void FlashTimerTick(TTimer& timer);
  void RedrawPlayerCell(TPlayer& player);
  void NewMazeTimerTick();
  void EndGame(TGameEnd reason);
  void PlayerActed(int index);
  void CheckCleared();
  // At each of Player1's decisions: breaks a standoff, or ends the game (true) when a cycle has
  // outlasted the breaks.
  bool WatchStandoff();
  void BreakStandoff();
  void AppendState(TStateBytes& out);

  // Power-ups.
  bool RevealPowerUp(TPoint cell);
  void PowerUpExpireTick(TTimer& timer);
  void CollectPowerUp(TPlayer& player);
  void RenewEffect(TPlayer& player, TObjectType kind, bool running, uint32_t durationMs);
  void PowerUpEffectTick(TTimer& timer);
  void CancelPowerUps(TPlayer& player);

  // Moving bombs.
  bool CreateBombMoveTimer(TPoint cell, TDirection dir);
  void BombMoveTimerTick(TTimer& timer);
  void CreateBombSeekTimer(TBombRecord& bomb);
  void BombSeekTimerTick(TTimer& timer);
  bool CanBombEnter(TPoint next) const;
  void StepBomb(TBombRecord& bomb, TPoint from, TPoint to);
  void SeekPath(TBombSeekRecord& seek, TPoint goal, TDetonixIntGrid& route);
  bool MissesAgain(TBombSeekRecord& seek, TPoint goal);
  void RememberMiss(TBombSeekRecord& seek, size_t goalAt, size_t player1At, size_t player2At);
  bool SpreadMiss(TBombSeekRecord& seek, size_t goalAt, size_t count);
  void BuildRoute(TPoint start, TPoint goal, TDetonixIntGrid& route);

  // Drawing: single-cell updates are composed in CellBitmap and copied to their cell.
  void CellObject(int index);
  void CellFire();
  void CellPlayer(const TPlayer& player);
  void CellHitPlayer(const TPlayer& player);
  void CellBomb(const TBombRecord* bomb);
  void CopyCell(TPoint cell);
  template <class Draw>
  void CellStep(uint32_t step, bool fromFloor, Draw draw);
  uint32_t PlayerStep(const TPlayer& player) const;
  // Straight onto the paint surface, not through CellBitmap.
  void PaintObject(TPoint cell, int index);
  void DrawBomb(TCanvas& canvas, int x, const TBombRecord& bomb, int y);
  void MakeFuseDigits();
  void DrawPlayer(TCanvas& canvas, int x, const TPlayer& player, int y);
  void DrawHitPlayer(TCanvas& canvas, int x, const TPlayer& player, int y);
  void RequestExplosionSound();

  TComputerPlayer& Other(const TPlayer& player);
  int PlayerIndex(const TPlayer& player) const { return &player == FState.Player1 ? 0 : 1; }
  int64_t NowMs() const { return FApp.Clock().NowMs(); }
  size_t CellIndex(TPoint cell) const {
    return static_cast<size_t>(cell.X) * static_cast<size_t>(FState.RowCount) + static_cast<size_t>(cell.Y);
  }
  void CountHitCause(const TPlayer& player, TPoint cell);

  TApplication& FApp;
  TPaintSurface& FPaintBox;
  std::unique_ptr<TResizableImageList> FObjImages;
  std::unique_ptr<TResizableImageList> FPlayerImages;
  TGameState FState;
  TDetonixIntGrid FExplosionCountGrid;
  TDetonixIntGrid FOwnerFireGrid[2];     // the part of each cell's count that each player's bombs lit
  std::vector<int64_t> FBurningSince;    // per cell, when its count last rose from 0
  uint8_t FChainOwners = 0;              // owners (bit per player) of the bombs of the running chain
  int FChainDepth = 0;
  TPUPTimer1List FPUpT1List;
  TPUPTimer2List FPUpT2List;
  std::unique_ptr<TComputerPlayer> FPlayer1;
  std::unique_ptr<TComputerPlayer> FPlayer2;
  std::unique_ptr<TBitmap> FCellBitmap;
  std::unique_ptr<TCanvas> FCellCanvas;
  // Cell pictures composed before, so that a cell drawn again the same way is copied instead:
  // CellBitmap as each chain of steps from the opaque floor left it. FCellShows is the picture
  // the steps so far give (-1: not known); CellBitmap holds it unless FCellStale.
  std::vector<TBitmap> FCellPictures;
  std::unordered_map<uint64_t, int> FCellSteps;  // picture before (+2) << 32 | step -> picture after
  size_t FMaxCellPictures = 0;
  int FCellShows = -1;
  bool FCellStale = false;
  bool FFloorOpaque = false;
  std::unique_ptr<TTimer> FNewMazeTimer;
  std::unique_ptr<TTimer> FStallTimer;   // restarted by every action; fires only when nobody can act
  std::unique_ptr<TTimer> FStalemateTimer;  // restarted by every hit
  std::unique_ptr<TTimer> FClearedStalemateTimer;  // the same, running only on the cleared board
  TIdleRegistration FIdle;
  std::shared_ptr<TSoundOutput> FSound;
  bool FGameOver = false;
  bool FSoundsOn = false;
  bool FIsPreview = false;
  bool FForceMaze = false;
  int32_t FForceInterval = 5;
  std::vector<int32_t> FSeekQueue;  // breadth-first queue of the seek search, sized once
  TGameStats FStats;
  int64_t FLastActionMs[2] = {0, 0};
  int64_t FLastHitMs = 0;
  int64_t FLastProgressMs = 0;  // the last hit or destroyed block
  int64_t FLastBreakMs = -1;
  int FBreaksSinceHit = 0;
  int64_t FStandoffMs = StandoffMs;  // longer for slow players
  int64_t FStartedMs = 0;
  int64_t FClearedMs = -1;  // when the board was cleared; -1 while it is not
  int64_t FEndedMs = -1;  // when the current game stopped; -1 while it runs
  int64_t FGames = 0;
  // Cycle finding over the states at Player1's decisions on the cleared board: a hash of each
  // decision's state; a state whose hash came before is kept whole with the candidate cycle
  // length, and the game ends only when the state one such length later equals it byte for byte.
  std::unordered_map<uint64_t, uint64_t> FRepeatSeen;  // state hash -> decision number
  uint64_t FRepeatDecision = 0;
  std::vector<uint8_t> FRepeatMark;
  uint64_t FRepeatMarkDecision = 0;
  uint64_t FRepeatCandidate = 0;  // decisions; 0: none
  int64_t FRepeatMarkMs = 0;
  TStateBytes FRepeatScratch;
  std::vector<const TTimer*> FStateTimers;  // the game's timers in the order AppendState met them
};

}  // namespace detonix
