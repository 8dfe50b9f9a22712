#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "media/ResizableImageList.h"
#include "support/SimHarness.h"

using namespace detonix;
using detonix::test::SimHarness;

namespace {

// What a cell should show, composed from the image lists by the drawing rules.
struct Expected {
  explicit Expected(int size) : Cell(size, size, clBlack), Canvas(Cell) {}
  Expected& Obj(SimHarness& h, TObjectType t) {
    h.Sim->ObjImages().Draw(Canvas, 0, 0, Ord(t));
    return *this;
  }
  Expected& Player(SimHarness& h, int index, bool pale = false) {
    auto& list = h.Sim->PlayerImages();
    list.DrawingStyle = pale ? dsFocus : dsNormal;
    list.Draw(Canvas, 0, 0, index);
    list.DrawingStyle = dsNormal;
    return *this;
  }
  TBitmap Cell;
  TCanvas Canvas;
};

// Counts the pixels of cell (X, Y) on the surface that differ from WANT, skipping ROWS [skipTop, skipBottom).
int Differences(const SimHarness& h, TPoint cell, const TBitmap& want, int skipTop = 0, int skipBottom = 0) {
  const int size = want.Width();
  int diff = 0;
  for (int y = 0; y < size; ++y) {
    if (y >= skipTop && y < skipBottom) continue;
    for (int x = 0; x < size; ++x)
      if (!SameRGB(h.Surface.Bitmap().Pixel(cell.X * size + x, cell.Y * size + y), want.Pixel(x, y))) ++diff;
  }
  return diff;
}

TRect DigitBox(const SimHarness& h, TPoint cell, const TBitmap& want) {
  TRect r;
  const int n = want.Width();
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
      if (const TColor c = h.Surface.Bitmap().Pixel(cell.X * n + x, cell.Y * n + y);
          !SameRGB(c, want.Pixel(x, y)) && std::min({RedOf(c), GreenOf(c), BlueOf(c)}) >= 192)
        r = r.Union(TRect::FromSize(x, y, 1, 1));
  return r;
}

// The median of the neighbours' colour steps of 16 or more: an enlarged edge takes several small ones.
int MedianEdgeStep(const TBitmap& b) {
  std::vector<int> steps;
  for (int y = 0; y + 1 < b.Height(); ++y)
    for (int x = 0; x + 1 < b.Width(); ++x)
      for (const TColor q : {b.Pixel(x + 1, y), b.Pixel(x, y + 1)}) {
        int step = 0;
        for (const int at : {0, 8, 16}) step = std::max(step, std::abs(int(b.Pixel(x, y) >> at & 0xFF) - int(q >> at & 0xFF)));
        if (step >= 16) steps.push_back(step);
      }
  std::nth_element(steps.begin(), steps.begin() + static_cast<ptrdiff_t>(steps.size() / 2), steps.end());
  return steps[steps.size() / 2];
}

}  // namespace

// Larger cells: as sharp as 30-pixel ones, the digits within a 30-pixel cell's pixel of their place.
TEST(Drawing, LargeCellsStaySharpAndTheirDigitsInProportion) {
  std::pair<int, TRect> at30;  // edge step and digits
  for (const int size : {30, 45, 60, 90}) {
    SimHarness h(7, 5, size);
    h.Load({"#.+..K.", ".1..x.I", "2.B...S"});
    h.Bomb(h.P1(), {1, 1});
    const TBitmap want = Expected(size).Obj(h, otEmpty).Player(h, h.P1().ImageBase + h.P1().Pose).Obj(h, otBomb).Cell;
    const TRect digits = DigitBox(h, {1, 1}, want);
    const int step = MedianEdgeStep(h.Surface.Bitmap());
    if (size == 30) at30 = {step, digits};
    EXPECT_GE(step * 5, at30.first * 4) << size << ": median edge step " << step << ", " << at30.first << " at 30";
    const TRect& d30 = at30.second;
    const auto near = [size](int got, int thirty) { return std::abs(got * 30 - thirty * size) <= size; };
    EXPECT_TRUE(near(digits.Top, d30.Top) && near(digits.Height(), d30.Height()) && near(digits.Left, d30.Left) &&
                near(digits.Width(), d30.Width()))
        << size << ": digits at " << digits.Left << "," << digits.Top << ", " << digits.Width() << "x" << digits.Height();
  }
}

TEST(Drawing, BoardCellsShowTheirObjects) {
  SimHarness h(7, 5);
  h.Load({"#.+....",
          "..B...1",
          "2......"});
  for (auto [cell, type] : {std::pair{TPoint{0, 0}, otBlock}, {TPoint{1, 0}, otEmpty}, {TPoint{2, 0}, otExpBlock},
                            {TPoint{2, 1}, otBombPUP}}) {
    Expected e(30);
    e.Obj(h, otEmpty).Obj(h, type);
    EXPECT_EQ(Differences(h, cell, e.Cell), 0) << "object " << Ord(type);
  }
  Expected p(30);
  p.Obj(h, otEmpty).Player(h, h.P1().ImageBase + h.P1().Pose);
  EXPECT_EQ(Differences(h, {6, 1}, p.Cell), 0) << "a player on floor";
}

TEST(Drawing, OwnerUnderItsBombAndTheCountOnTop) {
  SimHarness h(7, 5);
  h.Load({".......",
          ".1.....",
          "2......"});
  h.Bomb(h.P1(), {1, 1});
  Expected e(30);
  e.Obj(h, otEmpty).Player(h, h.P1().ImageBase + h.P1().Pose).Obj(h, otBomb);
  // The digits "10" are written 11 pixels below the cell's top; everything else is floor, owner, bomb.
  EXPECT_EQ(Differences(h, {1, 1}, e.Cell, 11, 30), 0);
  EXPECT_GT(Differences(h, {1, 1}, e.Cell), 0) << "the count must be drawn";
  Expected without(30);
  without.Obj(h, otEmpty).Obj(h, otBomb);
  EXPECT_GT(Differences(h, {1, 1}, without.Cell, 11, 30), 0) << "the owner must show under its bomb";
}

TEST(Drawing, HiddenHalfOfAFlashLeavesThePlayerOutEvenUnderItsBomb) {
  SimHarness h(7, 5, 10);  // a preview: no digits, so whole cells compare
  h.Load({".......",
          ".1.....",
          "2......"});
  h.Bomb(h.P1(), {1, 1});
  h.P1().StartFlash(3000, nullptr);
  h.P1().FlashState = 2;
  h.Sim->DrawBoard();
  Expected e(10);
  e.Obj(h, otEmpty).Obj(h, otBomb);
  EXPECT_EQ(Differences(h, {1, 1}, e.Cell), 0);
  h.P1().FlashState = 1;
  h.Sim->DrawBoard();
  EXPECT_GT(Differences(h, {1, 1}, e.Cell), 0);
}

TEST(Drawing, PreviewBombsCarryNoDigits) {
  SimHarness h(7, 5, 10);
  h.Load({".......",
          ".......",
          "2.....1"});
  h.Bomb(h.P2(), {3, 1});  // drawn with its owner under it, who is then put back elsewhere
  h.Sim->DrawBoard();
  Expected e(10);
  e.Obj(h, otEmpty).Obj(h, otBomb);
  EXPECT_EQ(Differences(h, {3, 1}, e.Cell), 0);
  h.Run(3'000);
  EXPECT_EQ(Differences(h, {3, 1}, e.Cell), 0) << "nor after a fuse tick";
}

TEST(Drawing, HitAndInvisiblePlayers) {
  SimHarness h(7, 5);
  h.Load({".......",
          ".1...2.",
          "......."});
  h.State().MazeGrid.SetCell(1, 1, otExplosion);
  h.Sim->DrawBoard();
  Expected hit(30);
  hit.Obj(h, otEmpty).Obj(h, otExplosion).Player(h, h.P1().ImageBase + 4);
  EXPECT_EQ(Differences(h, {1, 1}, hit.Cell), 0) << "a player in fire shows its hit picture";
  h.P2().Visible = false;
  h.Sim->DrawBoard();
  Expected pale(30);
  pale.Obj(h, otEmpty).Player(h, h.P2().ImageBase + h.P2().Pose, true);
  EXPECT_EQ(Differences(h, {5, 1}, pale.Cell), 0) << "an invisible player is drawn pale";
}

TEST(Drawing, SingleCellUpdatesReportOnlyTheirCells) {
  SimHarness h(7, 5);
  h.Load({".......",
          ".1.....",
          "2......"});
  h.Surface.TakeChanged();
  h.Sim->MovePlayer(h.P1(), dirRight);
  const auto changed = h.Surface.TakeChanged();
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0], TRect::FromSize(30, 30, 30, 30));
  EXPECT_EQ(changed[1], TRect::FromSize(60, 30, 30, 30));
}

TEST(Drawing, FullRepaintLeavesTheMarginBlackAndReportsTheWholeSurface) {
  SimHarness h(7, 5);
  TPaintSurface odd(7 * 30 + 4, 5 * 30 + 18);  // 4 pixels right and 18 below belong to no cell
  TSimulatorOptions options;
  options.Seed = 4;
  TDetonixSimulator sim(h.App, odd, options);
  odd.TakeChanged();
  sim.DrawBoard();
  const auto changed = odd.TakeChanged();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0], odd.Bitmap().Bounds());
  for (int y = 0; y < odd.Height(); ++y) EXPECT_TRUE(SameRGB(odd.Bitmap().Pixel(212, y), clBlack)) << "row " << y;
  for (int x = 0; x < odd.Width(); ++x) EXPECT_TRUE(SameRGB(odd.Bitmap().Pixel(x, 160), clBlack)) << "column " << x;
}

// Compositions are kept once drawn and copied after: the same step must still show what lies
// under it, and a bomb its own count, owner or no owner.
TEST(Drawing, KeptCellPicturesKeepWhatLiesUnder) {
  SimHarness h(9, 5);
  h.Load({".........",
          ".1.......",
          "........2"});
  auto& p = h.P1();
  p.Indestructible = true;  // fire shows under it rather than its hit picture
  h.State().MazeGrid.SetCell(3, 1, otExplosion);
  h.Sim->MovePlayer(p, dirRight);
  h.Sim->MovePlayer(p, dirRight);
  Expected fire(30);
  fire.Obj(h, otEmpty).Obj(h, otExplosion).Player(h, p.ImageBase + p.Pose);
  EXPECT_EQ(Differences(h, {3, 1}, fire.Cell), 0) << "the same step over fire as over floor";
  Expected floor(30);
  floor.Obj(h, otEmpty);
  EXPECT_EQ(Differences(h, {2, 1}, floor.Cell), 0) << "the cell left behind";
  // Laid with the owner on them, then counting down alone: the later bombs show copies of the
  // counts the first one composed.
  const TPoint bombs[3] = {{1, 2}, {6, 2}, {4, 2}};
  for (const TPoint cell : bombs) {
    h.Bomb(h.P2(), cell);
    h.Run(1'000);
  }
  const TBitmap shown = h.Surface.Bitmap();
  h.Sim->DrawBoard();
  for (const TPoint cell : bombs)
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(shown.Pixel(cell.X * 30 + x, cell.Y * 30 + y), h.Surface.Bitmap().Pixel(cell.X * 30 + x, cell.Y * 30 + y))
            << "bomb at " << cell.X << "," << cell.Y;
}
