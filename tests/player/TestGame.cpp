#include "TestGame.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace detonix::test {

namespace {

TBoardGeometry GeometryOf(const std::vector<std::string>& picture) {
  if (picture.empty() || picture.front().empty()) throw std::invalid_argument("empty test picture");
  for (const auto& row : picture)
    if (row.size() != picture.front().size()) throw std::invalid_argument("ragged test picture: " + row);
  return {30, static_cast<int>(picture.front().size()), static_cast<int>(picture.size())};
}

bool IsFire(TObjectType t) { return t == otExplosion || t == otBExplosion; }

constexpr TDirection ExplosionOrder[4] = {dirUp, dirLeft, dirDown, dirRight};

}  // namespace

std::string Describe(TPoint p) { return "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")"; }

TTestGame::TTestGame(std::vector<std::string> picture, std::vector<TBombSpec> bombs)
    : Picture(std::move(picture)),
      App(Clock),
      State(App, GeometryOf(Picture)),
      Player1(State),
      Player2(State),
      Loop(App, Clock),
      FFire(static_cast<size_t>(State.ColCount) * static_cast<size_t>(State.RowCount), 0) {
  State.Player1 = &Player1;
  State.Player2 = &Player2;
  for (int y = 0; y < State.RowCount; ++y) {
    for (int x = 0; x < State.ColCount; ++x) {
      const char c = Picture[static_cast<size_t>(y)][static_cast<size_t>(x)];
      const TPoint p{x, y};
      TObjectType t = otEmpty;
      switch (c) {
        case '#': t = otBlock; break;
        case '.': t = otEmpty; break;
        case '+': t = otExpBlock; break;
        case '*': t = otExplosion; break;
        case '%': t = otBExplosion; break;
        case 'B': t = otBombPUP; break;
        case 'E': t = otExpSizePUP; break;
        case 'K': t = otSBombPUP; break;
        case 'I': t = otInvisiblePUP; break;
        case 'S': t = otSKBombsPUP; break;
        case 'D': t = otIndestructPUP; break;
        case '1': Player1.StartPos = p; break;
        case '2': Player2.StartPos = p; break;
        default:
          if (c >= 'a' && c <= 'o') {
            TBombSpec bomb{c};
            for (const auto& s : bombs)
              if (s.Symbol == c) bomb = s;
            TComputerPlayer* owner = bomb.Owner == 1 ? &Player1 : bomb.Owner == 2 ? &Player2 : nullptr;
            AddBomb(p, bomb.Fuse, bomb.Size, owner);
            continue;
          }
          throw std::invalid_argument(std::string("unknown symbol in test picture: ") + c);
      }
      State.MazeGrid.SetCell(p, t);
      State.MazeTemplate.SetCell(p, t);
    }
  }
  for (TComputerPlayer* p : {&Player1, &Player2}) {
    p->Reset(true);
    p->OnAction = [this](uint8_t action, TComputerPlayer& player) { Perform(action, player); };
  }
  Player1.SetOpponent(&Player2);
  Player2.SetOpponent(&Player1);
}

TPoint TTestGame::Find(char symbol) const {
  TPoint found = NoPoint;
  int count = 0;
  for (int y = 0; y < State.RowCount; ++y)
    for (int x = 0; x < State.ColCount; ++x)
      if (Picture[static_cast<size_t>(y)][static_cast<size_t>(x)] == symbol) {
        found = {x, y};
        ++count;
      }
  EXPECT_EQ(count, 1) << "the picture should hold exactly one '" << symbol << "'";
  return found;
}

TBombRecord& TTestGame::AddBomb(TPoint p, int fuse, int size, TComputerPlayer* owner) {
  State.MazeGrid.SetCell(p, otBomb);
  State.BombTimerGrid.SetTimer(p.X, p.Y,
                               std::make_unique<TTimer>(State.Timers(), 1000, [this](TTimer& t) { FuseTick(t); }));
  auto record = std::make_unique<TBombRecord>();
  record->Owner = owner;
  record->Position = p;
  record->FuseCount = static_cast<int16_t>(fuse);
  record->Size = static_cast<int8_t>(size);
  TBombRecord& result = *record;
  State.BombTimerGrid.SetBomb(p.X, p.Y, std::move(record));
  return result;
}

void TTestGame::Start() {
  Player1.SetActive(true);
  Player2.SetActive(true);
}

void TTestGame::Perform(uint8_t action, TComputerPlayer& player) {
  Actions.push_back({Number(player), action, player.Position});
  if (action <= 3) Move(player, static_cast<TDirection>(action));
  else LayBomb(player);
}

void TTestGame::Move(TComputerPlayer& player, TDirection dir) {
  const TPoint to = Neighbour(player.Position, dir);
  player.UpdatePose(dir);
  player.Position = to;
  const TObjectType t = State.MazeGrid.GetCell(to);
  if (IsFire(t)) {
    if (player.FlashState == 0 && !player.Indestructible) ++Hits[Number(player)];
    return;
  }
  if (IsPowerUpType(t)) {
    switch (t) {
      case otBombPUP:
        if (player.MaxBombs < 10) player.AddBomb();
        break;
      case otExpSizePUP:
        if (player.ExplosionSize < 10) player.AddExplosionSize();
        break;
      case otSBombPUP: player.CanKick = true; break;
      case otInvisiblePUP: player.Visible = false; break;
      case otSKBombsPUP: player.SeekerBombs = true; break;
      case otIndestructPUP: player.Indestructible = true; break;
      default: break;
    }
    State.MazeGrid.SetCell(to, otEmpty);
    Other(player).OpponentTarget = to;
  }
  // A kicked bomb slides at once until something stops it; the game moves it a cell per 100 ms.
  TPoint bomb = Neighbour(to, dir);
  if (player.CanKick && State.OnBoard(bomb) && State.CanPushBomb(bomb, dir)) {
    ++Kicks;
    for (TPoint next = Neighbour(bomb, dir);
         State.OnBoard(next) && !State.IsPlayerAt(next) && State.MazeGrid.GetCell(next) == otEmpty;
         next = Neighbour(bomb, dir)) {
      State.MazeGrid.SetCell(bomb, otEmpty);
      State.BombTimerGrid.MoveBomb(bomb, next);
      State.MazeGrid.SetCell(next, otBomb);
      if (TBombRecord* r = State.BombTimerGrid.GetBomb(next)) r->Position = next;
      bomb = next;
    }
    if (!Player2.IsCurrentCellSafe()) Player2.Escape();
  }
}

void TTestGame::LayBomb(TComputerPlayer& player) {
  const TPoint at = player.Position;
  if (State.MazeGrid.GetCell(at) != otEmpty || player.BombsLeft <= 0) {
    ++RefusedBombs;
    return;
  }
  AddBomb(at, 10, player.ExplosionSize, &player);
  player.BombLaid();
  Other(player).OpponentTarget = at;
  for (TComputerPlayer* p : {&Player1, &Player2})
    if (!p->IsCurrentCellSafe()) p->Escape();
}

void TTestGame::FuseTick(TTimer& timer) {
  TBombRecord* bomb = timer.Tag.As<TBombRecord>();
  if (!bomb) return;
  --bomb->FuseCount;
  if (bomb->FuseCount == 0) {
    timer.SetEnabled(false);
    State.MazeGrid.SetCell(bomb->Position, otEmpty);
    Explode(bomb->Position, bomb->Size);
    if (bomb->Owner) bomb->Owner->BombReturned();
    timer.SetEnabled(true);  // the fire burns one more second from now
  } else if (bomb->FuseCount < 0) {
    const TPoint at = bomb->Position;
    ClearExplosion(at, bomb->Size);
    State.BombTimerGrid.RemoveBomb(at);  // frees this timer
  }
}

void TTestGame::Explode(TPoint center, int size) {
  for (TDirection dir : ExplosionOrder) {
    TPoint cell = center;
    for (int n = size + 1; n > 0; --n, MovePoint(cell, dir)) {
      if (!State.OnBoard(cell)) break;
      const TObjectType t = State.MazeGrid.GetCell(cell);
      if (t == otBlock) break;
      int& count = FFire[static_cast<size_t>(cell.X) * static_cast<size_t>(State.RowCount) + static_cast<size_t>(cell.Y)];
      ++count;
      if (t == otExpBlock) {
        State.MazeGrid.SetCell(cell, otBExplosion);
        break;
      }
      if (t == otBExplosion) break;
      if (t == otBomb) {
        if (count == 1) HitPlayerAt(cell);
        if (TTimer* fuse = State.BombTimerGrid.GetTimer(cell)) {
          if (TBombRecord* other = fuse->Tag.As<TBombRecord>()) other->FuseCount = 1;
          FuseTick(*fuse);
        }
        continue;
      }
      State.MazeGrid.SetCell(cell, otExplosion);
      if (count == 1) HitPlayerAt(cell);
    }
  }
}

void TTestGame::ClearExplosion(TPoint center, int size) {
  for (TDirection dir : ExplosionOrder) {
    TPoint cell = center;
    for (int n = size + 1; n > 0; --n, MovePoint(cell, dir)) {
      if (!State.OnBoard(cell)) break;
      const TObjectType t = State.MazeGrid.GetCell(cell);
      if (!IsFire(t)) break;
      int& count = FFire[static_cast<size_t>(cell.X) * static_cast<size_t>(State.RowCount) + static_cast<size_t>(cell.Y)];
      --count;
      if (count == 0) State.MazeGrid.SetCell(cell, otEmpty);
      if (t == otBExplosion) break;
    }
  }
}

void TTestGame::HitPlayerAt(TPoint cell) {
  TPlayer* p = State.FindPlayerAt(cell);
  if (p && p->FlashState == 0 && !p->Indestructible) ++Hits[p == &Player1 ? 1 : 2];
}

std::string TTestGame::Draw() const {
  std::string out;
  for (int y = 0; y < State.RowCount; ++y) {
    for (int x = 0; x < State.ColCount; ++x) {
      const TPoint p{x, y};
      char c = '?';
      if (Player1.Position == p) c = '1';
      else if (Player2.Position == p) c = '2';
      else {
        switch (State.MazeGrid.GetCell(p)) {
          case otBlock: c = '#'; break;
          case otEmpty: c = '.'; break;
          case otExpBlock: c = '+'; break;
          case otBomb: c = 'o'; break;
          case otExplosion: c = '*'; break;
          case otBExplosion: c = '%'; break;
          case otBombPUP: c = 'B'; break;
          case otExpSizePUP: c = 'E'; break;
          case otSBombPUP: c = 'K'; break;
          case otInvisiblePUP: c = 'I'; break;
          case otSKBombsPUP: c = 'S'; break;
          case otIndestructPUP: c = 'D'; break;
        }
      }
      out += c;
    }
    out += '\n';
  }
  return out;
}

std::vector<TPoint> TTestGame::RouteCells(const TComputerPlayer& p) const {
  std::vector<TPoint> cells;
  TPoint at = p.Position;
  const int limit = State.ColCount * State.RowCount;
  for (int i = 0; i < limit; ++i) {
    const int v = p.RouteGrid.GetCell(at);
    if (v < 0 || v > 3) break;
    MovePoint(at, static_cast<TDirection>(v));
    cells.push_back(at);
  }
  return cells;
}

TPoint TTestGame::RouteEnd(const TComputerPlayer& p) const {
  const auto cells = RouteCells(p);
  return cells.empty() ? p.Position : cells.back();
}

}  // namespace detonix::test
