// The picture of the board: full repaints and single-cell updates.
#include <algorithm>
#include <string>

#include "board/BombRecords.h"
#include "engine/DetonixSim.h"
#include "media/ResizableImageList.h"
#include "platform/Font.h"
#include "platform/PaintSurface.h"
#include "player/ComputerPlayer.h"

namespace detonix {

namespace {
constexpr int HitImage = 4;
// The fuse count on a 30-pixel cell: its font's em height and its line's top below the cell's top.
// Larger cells scale the font and the baseline, so the digits keep their size and place on the
// bomb; smaller ones keep these.
constexpr int FuseDigitsSize = 11;
constexpr int FuseDigitsTop = 11;
constexpr int DigitsCell = NativeCellSize;

int ScaledToCell(int pixels, int cellSize) {
  return Proportional(pixels, std::max(cellSize, DigitsCell), DigitsCell);
}

// The fuse count's font size, for drawing it and for making its glyphs beforehand alike.
int FuseDigitsPixels(int cellSize) { return ScaledToCell(FuseDigitsSize, cellSize); }

// Steps are numbered by kind and what they draw; 0 is one that is not kept.
constexpr uint32_t DrawsObject = 1u << 28;
constexpr uint32_t DrawsPlayer = 2u << 28;
constexpr uint32_t DrawsHitPlayer = 3u << 28;
constexpr uint32_t DrawsBomb = 4u << 28;
constexpr int StepIndexes = 1 << 8;

}  // namespace

// What DrawPlayer draws for the player: nothing, the picture or its faded form, and which; in
// 11 bits, never 0.
uint32_t TDetonixSimulator::PlayerStep(const TPlayer& player) const {
  const int index = player.ImageBase + player.Pose;
  const uint32_t form = player.FlashState == 2 ? 0 : player.Visible ? 1 : player.ShowWhenInvisible ? 2 : 0;
  if (form == 0) return 1u << 10;
  if (index < 0 || index >= StepIndexes) return 0;
  return 1u << 10 | form << 8 | static_cast<uint32_t>(index);
}

// Composing a cell takes a floor and a picture or two on top, each row by row; the same few
// compositions come back all the time (a bomb's count, a player's step, fire), so each is kept
// the first time and copied after. A step that starts from the opaque floor does not depend on
// what the cell showed before.
template <class Draw>
void TDetonixSimulator::CellStep(uint32_t step, bool fromFloor, Draw draw) {
  const int from = fromFloor && FFloorOpaque ? -2 : FCellShows;
  if (step == 0 || from == -1) {
    if (FCellStale) FCellCanvas->Draw(0, 0, FCellPictures[static_cast<size_t>(FCellShows)]);
    FCellStale = false;
    draw();
    FCellShows = -1;
    return;
  }
  const uint64_t key = static_cast<uint64_t>(from + 2) << 32 | step;
  if (const auto known = FCellSteps.find(key); known != FCellSteps.end()) {
    FCellShows = known->second;
    FCellStale = true;
    return;
  }
  if (FCellStale && from != -2) FCellCanvas->Draw(0, 0, FCellPictures[static_cast<size_t>(FCellShows)]);
  FCellStale = false;
  draw();
  FCellShows = -1;
  if (FCellPictures.size() >= FMaxCellPictures) return;
  FCellPictures.push_back(*FCellBitmap);
  FCellShows = static_cast<int>(FCellPictures.size() - 1);
  FCellSteps.emplace(key, FCellShows);
}

void TDetonixSimulator::CellObject(int index) {
  const uint32_t step = index >= 0 && index < StepIndexes ? DrawsObject | static_cast<uint32_t>(index) : 0;
  CellStep(step, index == Ord(otEmpty), [&] { FObjImages->Draw(*FCellCanvas, 0, 0, index); });
}

// The fire picture is partly transparent: lay the floor first, or the cell's last picture shows through.
void TDetonixSimulator::CellFire() {
  CellObject(Ord(otEmpty));
  CellObject(Ord(otExplosion));
}

void TDetonixSimulator::CellPlayer(const TPlayer& player) {
  const uint32_t form = PlayerStep(player);
  CellStep(form != 0 ? DrawsPlayer | form : 0, false, [&] { DrawPlayer(*FCellCanvas, 0, player, 0); });
}

void TDetonixSimulator::CellHitPlayer(const TPlayer& player) {
  const int index = player.ImageBase + HitImage;
  const uint32_t step = index >= 0 && index < StepIndexes ? DrawsHitPlayer | static_cast<uint32_t>(index) : 0;
  CellStep(step, false, [&] { DrawHitPlayer(*FCellCanvas, 0, player, 0); });
}

// DrawBomb lays the floor first. Every bomb is drawn again each second with its new count.
void TDetonixSimulator::CellBomb(const TBombRecord* bomb) {
  if (!bomb) {
    CellObject(Ord(otBomb));
    return;
  }
  const bool ownerOn = bomb->Owner && bomb->Owner->Position == bomb->Position;
  const uint32_t owner = ownerOn ? PlayerStep(*bomb->Owner) : 0;
  const bool kept = bomb->FuseCount >= 0 && bomb->FuseCount < StepIndexes && (!ownerOn || owner != 0);
  const uint32_t step = kept ? DrawsBomb | (ownerOn ? 1u << 20 : 0) | owner << 8 | static_cast<uint32_t>(bomb->FuseCount) : 0;
  CellStep(step, true, [&] { DrawBomb(*FCellCanvas, 0, *bomb, 0); });
}

void TDetonixSimulator::CopyCell(TPoint cell) {
  const TBitmap& shown = FCellStale ? FCellPictures[static_cast<size_t>(FCellShows)] : *FCellBitmap;
  FPaintBox.Canvas().Draw(cell.X * FState.CellSize, cell.Y * FState.CellSize, shown);
}

void TDetonixSimulator::PaintObject(TPoint cell, int index) {
  FObjImages->Draw(FPaintBox.Canvas(), cell.X * FState.CellSize, cell.Y * FState.CellSize, index);
}

void TDetonixSimulator::DrawPlayer(TCanvas& canvas, int x, const TPlayer& player, int y) {
  if (player.FlashState == 2) return;  // the hidden half of a blink
  const int index = player.ImageBase + player.Pose;
  if (player.Visible) {
    FPlayerImages->Draw(canvas, x, y, index);
  } else if (player.ShowWhenInvisible) {
    FPlayerImages->DrawingStyle = dsFocus;
    FPlayerImages->Draw(canvas, x, y, index);
    FPlayerImages->DrawingStyle = dsNormal;
  }
}

void TDetonixSimulator::DrawHitPlayer(TCanvas& canvas, int x, const TPlayer& player, int y) {
  FPlayerImages->Draw(canvas, x, y, player.ImageBase + HitImage);
}

// The fuse digits are the only text of a game: made now, before the first picture, play never reads
// the font again and its pages stay out of memory once the start's are handed back.
void TDetonixSimulator::MakeFuseDigits() {
  if (FIsPreview) return;
  const TFontFace& face = TFontFace::Get(FCellCanvas->Font.Style);
  const int size = FuseDigitsPixels(FState.CellSize);
  for (char32_t digit = U'0'; digit <= U'9'; ++digit) {
    face.Glyph(size, digit);
    for (char32_t next = U'0'; next <= U'9'; ++next) face.Kerning(size, digit, next);
  }
}

void TDetonixSimulator::DrawBomb(TCanvas& canvas, int x, const TBombRecord& bomb, int y) {
  FObjImages->Draw(canvas, x, y, Ord(otEmpty));
  if (bomb.Owner && bomb.Owner->Position == bomb.Position) DrawPlayer(canvas, x, *bomb.Owner, y);
  FObjImages->Draw(canvas, x, y, Ord(otBomb));
  if (FIsPreview) return;
  const std::string text = std::to_string(bomb.FuseCount);
  const TFontFace& face = TFontFace::Get(canvas.Font.Style);
  const int size = FuseDigitsPixels(FState.CellSize);
  const int baseline = ScaledToCell(FuseDigitsTop + face.Ascent(FuseDigitsSize), FState.CellSize);
  canvas.Font.Size = size;
  const int width = canvas.TextWidth(text);
  canvas.TextOut(x + (FState.CellSize - width) / 2, y + baseline - face.Ascent(size), text);
}

// Composed straight into the paint surface, which is itself off screen until the shell presents it:
// a second screen-sized bitmap per repaint would double the memory of a large board.
void TDetonixSimulator::DrawBoard() {
  TCanvas& canvas = FPaintBox.Canvas();
  auto onChange = std::move(canvas.OnChange);
  canvas.OnChange = nullptr;  // one change for the whole picture, not one per cell
  const int boardWidth = FState.ColCount * FState.CellSize;
  const int boardHeight = FState.RowCount * FState.CellSize;
  canvas.Brush.Color = clBlack;
  canvas.FillRect({boardWidth, 0, FPaintBox.Width(), FPaintBox.Height()});
  canvas.FillRect({0, boardHeight, boardWidth, FPaintBox.Height()});
  const int size = FState.CellSize;
  for (int y = 0; y < FState.RowCount; ++y) {
    for (int x = 0; x < FState.ColCount; ++x) {
      const int px = x * size;
      const int py = y * size;
      const TPoint cell{x, y};
      FObjImages->Draw(canvas, px, py, Ord(otEmpty));
      const TObjectType object = FState.MazeGrid.GetCell(cell);
      const TPlayer* player = FState.FindPlayerAt(cell);
      if (object == otBomb) {
        if (const TBombRecord* bomb = FState.BombTimerGrid.GetBomb(cell)) DrawBomb(canvas, px, *bomb, py);
      } else if (object == otExplosion || object == otBExplosion) {
        FObjImages->Draw(canvas, px, py, Ord(otExplosion));
        if (player) {
          if (player->FlashState != 0 || player->Indestructible) DrawPlayer(canvas, px, *player, py);
          else DrawHitPlayer(canvas, px, *player, py);
        }
      } else if (player) {
        if (player->Lives != 0) DrawPlayer(canvas, px, *player, py);
        else DrawHitPlayer(canvas, px, *player, py);
      } else {
        FObjImages->Draw(canvas, px, py, Ord(object));
      }
    }
  }
  canvas.OnChange = std::move(onChange);
  FPaintBox.Invalidate();
}

}  // namespace detonix
