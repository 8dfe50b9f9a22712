#include "player/ComputerPlayer.h"

#include <algorithm>

namespace detonix {

namespace {
constexpr uint32_t InitialThinkIntervalMs = 200;
// The fuse ticks every 1000 ms; reckoning with 800 leaves the player time to spare.
constexpr double MsPerFuseTickEstimate = 800.0;
constexpr double MinStepsPerFuseTick = 0.1;
}  // namespace

TComputerPlayer::TComputerPlayer(TGameState& state)
    : TPlayer(state.Timers()),
      ThinkTimer(state.Timers(), InitialThinkIntervalMs, [this](TTimer&) { Think(); }, false),
      RouteGrid(state.ColCount, state.RowCount, NoStep),
      FState(state) {
  const size_t cells = static_cast<size_t>(state.ColCount) * static_cast<size_t>(state.RowCount);
  FSearchQueue.Reserve(cells + 1);
  FSearchDist.assign(cells, 0);
  FKickList.reserve(cells);
  FPowerUps.reserve(cells);
  FEscapeQueue.Reserve(cells + 1);
  FEscapeDist.assign(cells, 0);
  FEscapeVisited.Resize(cells);
  FThreatVisited.Resize(cells);
  FBombReach.assign(cells, 0);
  FWalkTicks.assign(cells + 1, 0);

  ThinkTimer.SetEnabled(Active());
  SafetyMargin = 2;
  SetThinkInterval(static_cast<int>(InitialThinkIntervalMs));
  ShowWhenInvisible = true;
  RouteTarget = NoPoint;
}

TComputerPlayer::~TComputerPlayer() = default;

void TComputerPlayer::TStampGrid::NextGeneration() {
  if (++FGeneration == 0) {
    // After four billion searches the stamps start over from a clean grid.
    std::fill(FStamps.begin(), FStamps.end(), 0u);
    FGeneration = 1;
  }
}

void TComputerPlayer::AppendMemory(TStateBytes& out) const {
  out.Put(OpponentTarget);
  out.Put(StepsPerFuseTick);
  out.Put(SafetyMargin);
  out.Put(RouteTarget);
  out.PutAll(RouteGrid.Cells());
  // The searches' distances outlive them: a cell a search did not reach keeps an older value.
  out.PutAll(FSearchDist);
  out.PutAll(FEscapeDist);
  out.PutAll(FKickList);
  out.PutAll(FPowerUps);
  for (const TPoint& p : FBombSpots) out.Put(p);
  out.Put(FBombSpotCount);
  out.Put(FThreatLimit);
  out.Put(FMinFuse);
  // FBombReach and FWalkTicks are left out: caches of what the board and StepsPerFuseTick above
  // decide, rebuilt whenever those change (their change counter would never repeat).
}

void TComputerPlayer::SetActive(bool value) {
  TPlayer::SetActive(value);
  ThinkTimer.SetEnabled(value);
}

bool TComputerPlayer::CanMove(TDirection dir) {
  const TPoint q = Neighbour(Position, dir);
  return OnBoard(q) && FState.IsPassable(q) && q != OpponentPosition();
}

void TComputerPlayer::Reset(bool full) {
  TPlayer::Reset(full);
  RouteGrid.Clear();
}

void TComputerPlayer::SetThinkInterval(int ms) {
  if (ms <= 0) return;
  ThinkTimer.SetInterval(static_cast<uint32_t>(ms));
  StepsPerFuseTick = std::max(MsPerFuseTickEstimate / static_cast<double>(ThinkTimer.Interval()), MinStepsPerFuseTick);
}

void TComputerPlayer::SetOpponent(TComputerPlayer* p) {
  if (p == Opponent) return;
  Opponent = p;
  OpponentTarget = p ? p->Position : NoPoint;
}

TPoint TComputerPlayer::Goal() const {
  if (!Opponent) return NoPoint;
  return Opponent->Visible ? Opponent->Position : OpponentTarget;
}

void TComputerPlayer::DoAction(uint8_t action) {
  if (OnAction) OnAction(action, *this);
}

bool TComputerPlayer::TryMove(TDirection dir) {
  // A hit player does not move while the flame is on its cell.
  if (CellAt(Position) == otExplosion && !Indestructible && FlashState == 0) return false;
  if (!CanMove(dir)) return false;
  DoAction(static_cast<uint8_t>(Ord(dir)));
  return true;
}

bool TComputerPlayer::SetRoute(TPoint target) {
  TPoint p = target;
  TPoint prev = target;
  int d = RouteGrid.GetCell(target);
  // A chain of back directions from a search visits each cell once; anything longer is broken.
  const long maxSteps = static_cast<long>(FState.ColCount) * FState.RowCount;
  long steps = 0;
  while (p != Position) {
    if (d < 0 || d > 3 || ++steps > maxSteps) {
      RouteGrid.Clear();
      return false;
    }
    MovePoint(p, static_cast<TDirection>(d));
    if (!OnBoard(p)) {
      RouteGrid.Clear();
      return false;
    }
    d = RouteGrid.GetCell(p);
    TDirection toPrev;
    if (prev.X > p.X) toPrev = dirRight;
    else if (prev.X < p.X) toPrev = dirLeft;
    else if (p.Y < prev.Y) toPrev = dirDown;
    else toPrev = dirUp;
    RouteGrid.SetCell(p, static_cast<int8_t>(Ord(toPrev)));
    prev = p;
  }
  RouteGrid.SetCell(target, NoStep);
  return true;
}

bool TComputerPlayer::GuessOpponentAt(TDirection dir) {
  const TPoint q = Neighbour(Position, dir);
  if (!OnBoard(q) || !FState.IsPassable(q)) return false;
  // The cell is open, so the move was refused because the invisible opponent stands there.
  OpponentTarget = q;
  return true;
}

bool TComputerPlayer::FollowRoute(TPoint goal) {
  const int v = RouteGrid.GetCell(Position);
  RouteGrid.SetCell(Position, NoStep);
  if (v >= 0 && v <= 3) {
    const auto dir = static_cast<TDirection>(v);
    if (TryMove(dir)) {
      if (OpponentVisible() && InLineOfFire(goal, Position, ExplosionSize) && CanBombSafely(goal))
        DoAction(LayBombAction);
      return true;
    }
    // Only a blocked cell tells where the invisible opponent is; the flame rule refuses any step.
    if (!OpponentVisible() && !CanMove(dir)) GuessOpponentAt(dir);
    if (!IsCurrentCellSafe()) {
      Escape();
      return true;
    }
    if (OpponentVisible()) return true;
    if (IsSafeCell(goal, -1) && InLineOfFire(goal, Position, ExplosionSize) && CanBombSafely(goal))
      DoAction(LayBombAction);
    return true;
  }
  if (v == BombOnArrival) {
    if (CanBombSafely(goal)) DoAction(LayBombAction);
    return true;
  }
  return false;
}

void TComputerPlayer::BombOrChase(TPoint goal) {
  if (InLineOfFire(goal, Position, ExplosionSize)) {
    if (CanBombSafely(goal)) DoAction(LayBombAction);
  } else {
    PlanRoute(goal);
  }
}

void TComputerPlayer::Think() {
  // Standing on the guess shows the invisible opponent is not there: forget it rather than
  // bomb the player's own cell as the opponent's.
  if (!OpponentVisible() && OpponentTarget == Position) OpponentTarget = NoPoint;
  const TPoint goal = Goal();
  if (FollowRoute(goal)) {
    // The chased opponent has moved: plan again.
    if (IsValidPoint(RouteTarget) && RouteTarget != goal) PlanRoute(goal);
    return;
  }
  if (!IsCurrentCellSafe()) {
    Escape();
    return;
  }
  // When Escape finds no fully safe cell the tick goes on, and a plan below may replace its route.
  if (InDeadEnd(Position, OpponentExplosionSize()) && Escape()) return;
  if (BombsLeft <= 0) return;
  if (OpponentVisible()) {
    BombOrChase(goal);
    return;
  }
  if (IsSafeCell(OpponentTarget, -1)) BombOrChase(goal);
  else PlanRoute(NoPoint);  // no target can match: power-ups or blocks to blow up
}

}  // namespace detonix
