#include "support/SimHarness.h"

namespace detonix::test {

namespace {

int CellPixels(int cellSize) { return cellSize > 0 ? cellSize : 30; }

// Players at their own default speed, and a first maze the picture replaces at once: two floor
// cells and nothing to blow up, which the generator finds on any board in one step.
TSettings PictureSettings(const TBoardGeometry& board) {
  const double cells = static_cast<double>(board.ColCount) * board.RowCount;
  TSettings s;
  s.PlayerSpeed = 200;
  s.PerBlocksLeft = (cells - 2) / cells;
  s.PerOfEBlocks = 0;
  s.PerOfPUps = 0;
  return s;
}

TSimulatorOptions Options(int cellSize, const TSettings& settings, uint64_t seed,
                          std::shared_ptr<TSoundOutput> sound) {
  TSimulatorOptions options;
  options.CellSize = cellSize;
  options.Preview = cellSize > 0 && cellSize < 30;
  options.Settings = settings;
  options.Sound = std::move(sound);
  options.Seed = seed;
  return options;
}

}  // namespace

SimHarness::SimHarness(int cols, int rows, int cellSize, TSettings settings, uint64_t seed)
    : Surface(cols * CellPixels(cellSize), rows * CellPixels(cellSize)),
      Sim(std::make_unique<TDetonixSimulator>(App, Surface, Options(cellSize, settings, seed, Sound))) {}

SimHarness::SimHarness(TPicture picture, const std::vector<TPictureBomb>& bombs)
    : Surface(PictureGeometry(picture).ColCount * 30, PictureGeometry(picture).RowCount * 30),
      Sim(std::make_unique<TDetonixSimulator>(App, Surface,
                                              Options(-1, PictureSettings(PictureGeometry(picture)), 1, Sound))) {
  Load(std::move(picture), bombs);
}

void SimHarness::Quiet(TComputerPlayer& p) {
  p.SetActive(false);
  p.OnAction = nullptr;
  p.Reset(true);
}

void SimHarness::Load(TPicture picture, const std::vector<TPictureBomb>& bombs) {
  Picture = std::move(picture);
  Actions.clear();
  RefusedBombs = 0;
  Sim->ClearGame();
  TGameState& s = State();
  s.MazeGrid.Fill(otBlock);
  s.PowerUpGrid.Clear();
  const TPictureContents contents = ReadPicture(Picture, s.MazeGrid, s.PowerUpGrid, bombs);
  s.MazeTemplate.CopyFrom(s.MazeGrid);
  for (int i = 0; i < 2; ++i) {
    TComputerPlayer& p = i == 0 ? P1() : P2();
    p.SetActive(false);
    p.StartPos = contents.Players[i];
    p.Reset(true);
    p.RouteTarget = NoPoint;  // the first game's plan has nothing to do with the picture
    p.OnAction = [this](uint8_t action, TComputerPlayer& player) { Perform(player, action); };
  }
  P1().OpponentTarget = P2().Position;
  P2().OpponentTarget = P1().Position;
  for (size_t i = 0; i < contents.Bombs.size(); ++i) {
    const TPictureBomb& b = contents.Bombs[i];
    AddBomb(contents.BombCells[i], b.Fuse, b.Size, b.Owner == 1 ? &P1() : b.Owner == 2 ? &P2() : nullptr);
  }
  Sim->DrawBoard();
}

void SimHarness::Start() {
  P1().SetActive(true);
  P2().SetActive(true);
}

void SimHarness::Perform(TComputerPlayer& player, uint8_t action) {
  Actions.push_back({Number(player), action, player.Position});
  const int64_t laid = Sim->Stats().BombsLaid;
  if (&player == &P1()) Sim->Player1Action(action);
  else Sim->Player2Action(action);
  if (action == LayBombAction && Sim->Stats().BombsLaid == laid) ++RefusedBombs;
}

TBombRecord& SimHarness::Bomb(TComputerPlayer& p, TPoint cell) {
  const TPoint was = p.Position;
  p.Position = cell;
  Sim->LayBomb(p);
  p.Position = was;
  TBombRecord* bomb = State().BombTimerGrid.GetBomb(cell);
  EXPECT_NE(bomb, nullptr) << "no bomb was laid at " << Describe(cell);
  return *bomb;
}

void SimHarness::LayBomb(TComputerPlayer& p) { Perform(p, LayBombAction); }

TBombRecord& SimHarness::AddBomb(TPoint cell, int fuse, int size, TPlayer* owner) {
  TGameState& s = State();
  s.MazeGrid.SetCell(cell, otBomb);
  TDetonixSimulator& sim = *Sim;
  s.BombTimerGrid.SetTimer(cell.X, cell.Y,
                           std::make_unique<TTimer>(s.Timers(), 1000, [&sim](TTimer& t) { sim.BombTimerTick(t); }));
  auto record = std::make_unique<TBombRecord>();
  record->Owner = owner;
  record->Position = cell;
  record->FuseCount = static_cast<int16_t>(fuse);
  record->Size = static_cast<int8_t>(size);
  TBombRecord& result = *record;
  s.BombTimerGrid.SetBomb(cell.X, cell.Y, std::move(record));
  return result;
}

int SimHarness::BombsAsked(int player) const {
  int n = 0;
  for (const auto& a : Actions) n += a.Player == player && a.Action == LayBombAction;
  return n;
}

TPoint SimHarness::Find(char symbol) const {
  TPoint found = NoPoint;
  int count = 0;
  for (int y = 0; y < static_cast<int>(Picture.size()); ++y)
    for (int x = 0; x < static_cast<int>(Picture[static_cast<size_t>(y)].size()); ++x)
      if (Picture[static_cast<size_t>(y)][static_cast<size_t>(x)] == symbol) {
        found = {x, y};
        ++count;
      }
  EXPECT_EQ(count, 1) << "the picture should hold exactly one '" << symbol << "'";
  return found;
}

std::vector<TPoint> SimHarness::RouteCells(const TComputerPlayer& p) {
  std::vector<TPoint> cells;
  TPoint at = p.Position;
  const int limit = State().ColCount * State().RowCount;
  for (int i = 0; i < limit; ++i) {
    const int v = p.RouteGrid.GetCell(at);
    if (v < 0 || v > 3) break;
    MovePoint(at, static_cast<TDirection>(v));
    cells.push_back(at);
  }
  return cells;
}

TPoint SimHarness::RouteEnd(const TComputerPlayer& p) {
  const auto cells = RouteCells(p);
  return cells.empty() ? p.Position : cells.back();
}

}  // namespace detonix::test
