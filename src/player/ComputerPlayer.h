#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

#include "board/DetonixGrids.h"
#include "board/GameState.h"
#include "board/GlobalTypes.h"
#include "board/Player.h"
#include "board/StateBytes.h"
#include "platform/Timer.h"

namespace detonix {

// The action byte a computer player hands to the simulator: 0..3 a move (the TDirection ordinals),
// 4 lay a bomb on the player's cell.
constexpr uint8_t LayBombAction = 4;

// Route grid values besides the four directions.
constexpr int8_t NoStep = -1;
constexpr int8_t BombOnArrival = 4;

// A player that plays by itself: every tick of its think timer it makes at most one move or lays
// a bomb, and plans. It never changes the board; every action goes through OnAction, which the
// simulator carries out inside the call. No random numbers: the same board and the same timing
// give the same decisions.
class TComputerPlayer final : public TPlayer {
 public:
  using TActionEvent = std::function<void(uint8_t action, TComputerPlayer& player)>;

  static constexpr int BombSpotLimit = 10;

  // The grids of the game state must have their final size: the route grid and the search
  // buffers are sized from it once, for the player's life.
  explicit TComputerPlayer(TGameState& state);
  ~TComputerPlayer() override;

  void SetActive(bool value) override;
  bool CanMove(TDirection dir) override;
  void Reset(bool full) override;

  // Ms <= 0 changes nothing.
  void SetThinkInterval(int ms);
  void SetOpponent(TComputerPlayer* p);
  bool IsCurrentCellSafe() { return IsSafeCell(Position, -1); }

  // Movement.
  void DoAction(uint8_t action);
  bool TryMove(TDirection dir);
  // Turns the back directions of the last search into a route from Position to Target. False
  // (and no route at all) when the marks do not lead back to Position.
  bool SetRoute(TPoint target);
  bool FollowRoute(TPoint goal);
  bool GuessOpponentAt(TDirection dir);
  // One decision: the think timer's handler.
  void Think();
  // Everything this player remembers between decisions that can sway a later one.
  void AppendMemory(TStateBytes& out) const;

  // Danger analysis. TimeLimit of BombThreat: -1 any bomb in reach, -2 earliest fuse through
  // chains, 0 or more: will a bomb of the chain go off within that many fuse ticks.
  bool InLineOfFire(TPoint from, TPoint to, int range) const;
  int BombThreat(TPoint p, int timeLimit);
  bool IsSafeCell(TPoint p, int timeLimit);
  // Could the player still reach a refuge from Start if bombs of the given sizes lay on Bombs?
  bool CanEscape(TPoint start, std::span<const TPoint> bombs, std::span<const int> sizes);
  bool CanEscape(TPoint start, std::initializer_list<TPoint> bombs, std::initializer_list<int> sizes) {
    return CanEscape(start, std::span<const TPoint>(bombs.begin(), bombs.size()),
                     std::span<const int>(sizes.begin(), sizes.size()));
  }
  bool InDeadEnd(TPoint p, int range) const;
  bool ScanCorridor(TPoint p, TDirection dir, int range) const;
  bool Escape();
  bool FindKickEscape(TPoint& cell);
  bool PlanKick(TPoint& p, TDirection dir);
  // Fuse ticks needed to walk D cells, rounded half up.
  int WalkTicks(int distance);

  // Targets and bombs.
  void PlanRoute(TPoint target);
  // NoPoint when the last PlanRoute reached no power-up.
  TPoint ChoosePowerUp() const;
  bool ChooseBombSpot(TPoint& p);
  bool CanBombSafely(TPoint goal);

  // The opponent's cell as this player knows it.
  TPoint Goal() const;
  // What the last PlanRoute collected, in the order found.
  std::span<const TPoint> PowerUpList() const { return FPowerUps; }
  std::span<const TPoint> BombSpotList() const { return {FBombSpots.data(), static_cast<size_t>(FBombSpotCount)}; }
  // Moves from Position to P in the last Escape or PlanRoute, for a cell that search reached
  // (a cell it did not reach keeps an older value); 0 off the board.
  int SearchDistance(TPoint p) const { return OnBoard(p) ? FSearchDist[CellIndex(p)] : 0; }

  TTimer ThinkTimer;
  TActionEvent OnAction;
  TDetonixIntGrid RouteGrid;
  // Where the invisible opponent is believed to be; NoPoint once the player found that cell empty.
  TPoint OpponentTarget = NoPoint;
  double StepsPerFuseTick = 4.0;
  int SafetyMargin = 2;
  TComputerPlayer* Opponent = nullptr;
  TPoint RouteTarget = NoPoint;

 private:
  // A first-in-first-out queue of cells over a buffer sized once for the board: every search
  // enters a cell at most once (the start at most twice), so it never grows in play.
  class TCellQueue {
   public:
    void Reserve(size_t n) { FItems.reserve(n); }
    void Restart() {
      FItems.clear();
      FHead = 0;
    }
    void Push(TPoint p) { FItems.push_back(PointToKey(p)); }
    bool Empty() const { return FHead == FItems.size(); }
    TPoint Pop() { return KeyToPoint(FItems[FHead++]); }

   private:
    std::vector<int32_t> FItems;
    size_t FHead = 0;
  };

  // Visited marks that a new generation clears without touching the cells.
  class TStampGrid {
   public:
    void Resize(size_t n) { FStamps.assign(n, 0); }
    void NextGeneration();
    bool Marked(size_t i) const { return FStamps[i] == FGeneration; }
    void Mark(size_t i) { FStamps[i] = FGeneration; }

   private:
    std::vector<uint32_t> FStamps;
    uint32_t FGeneration = 0;
  };

  bool OnBoard(TPoint p) const { return FState.OnBoard(p); }
  TObjectType CellAt(TPoint p) const { return FState.MazeGrid.GetCell(p); }
  size_t CellIndex(TPoint p) const {
    return static_cast<size_t>(p.X) * static_cast<size_t>(FState.RowCount) + static_cast<size_t>(p.Y);
  }
  bool OpponentVisible() const { return !Opponent || Opponent->Visible; }
  int OpponentExplosionSize() const { return Opponent ? Opponent->ExplosionSize : ExplosionSize; }
  TPoint OpponentPosition() const { return Opponent ? Opponent->Position : NoPoint; }
  bool IsClosed(TPoint p) const;
  // False when no bomb lies within Range on P's lines of sight: then nothing can threaten P.
  bool NearBomb(TPoint p, int range);
  void UpdateBombReach(int range);
  void MapBombReach(int range);
  // How far BombThreat looks from a cell: the larger of the two players' explosions.
  int ThreatRange() const { return std::max<int>(ExplosionSize, OpponentExplosionSize()); }
  bool ThreatFrom(TPoint cur, int range);
  void CheckBombCell(TPoint q, int distance, bool& found);
  bool InBlast(TPoint cell, std::span<const TPoint> bombs, std::span<const int> sizes) const;
  // Lays a bomb if the goal is in the line of fire and the player can get away, else chases it.
  void BombOrChase(TPoint goal);

  TGameState& FState;

  // Scratch state of the searches, sized once. Escape and PlanRoute share the first set; CanEscape
  // runs inside them and BombThreat inside all three, so each has its own.
  TCellQueue FSearchQueue;
  std::vector<int32_t> FSearchDist;
  std::vector<TPoint> FKickList;
  std::vector<TPoint> FPowerUps;
  std::array<TPoint, BombSpotLimit> FBombSpots{};
  int FBombSpotCount = 0;
  TCellQueue FEscapeQueue;
  std::vector<int32_t> FEscapeDist;
  TStampGrid FEscapeVisited;
  TStampGrid FThreatVisited;
  int FThreatLimit = -1;
  int FMinFuse = 60;
  // Per cell: a bomb lies within the range on its lines of sight. Most cells of a board have none,
  // and most tests of danger end there. Kept while the board and the range stay as they were.
  std::vector<uint8_t> FBombReach;
  bool FBombReachMapped = false;
  uint64_t FBombReachChanges = 0;
  int FBombReachRange = 0;
  // WalkTicks of every distance a search can reach, for the StepsPerFuseTick it was made for.
  std::vector<int> FWalkTicks;
  double FWalkTicksFor = 0;
};

}  // namespace detonix
