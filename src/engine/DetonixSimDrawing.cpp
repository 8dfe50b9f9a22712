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
}  // namespace

void TDetonixSimulator::CellObject(int index) { FObjImages->Draw(*FCellCanvas, 0, 0, index); }

// The fire picture is partly transparent: lay the floor first, or the cell's last picture shows through.
void TDetonixSimulator::CellFire() {
  CellObject(Ord(otEmpty));
  CellObject(Ord(otExplosion));
}

void TDetonixSimulator::CellPlayer(const TPlayer& player) { DrawPlayer(*FCellCanvas, 0, player, 0); }

void TDetonixSimulator::CellHitPlayer(const TPlayer& player) { DrawHitPlayer(*FCellCanvas, 0, player, 0); }

// Every bomb is drawn again each second with its new count: alone on its cell it looks the same
// at the same count, so that picture is composed once.
void TDetonixSimulator::CellBomb(const TBombRecord* bomb) {
  if (!bomb) {
    CellObject(Ord(otBomb));
    return;
  }
  const bool alone = !bomb->Owner || bomb->Owner->Position != bomb->Position;
  if (!alone || !FFloorOpaque || bomb->FuseCount < 0 || static_cast<size_t>(bomb->FuseCount) >= FBombPictures.size()) {
    DrawBomb(*FCellCanvas, 0, *bomb, 0);
    return;
  }
  std::unique_ptr<TBitmap>& picture = FBombPictures[static_cast<size_t>(bomb->FuseCount)];
  if (picture) {
    FCellCanvas->Draw(0, 0, *picture);
    return;
  }
  DrawBomb(*FCellCanvas, 0, *bomb, 0);
  picture = std::make_unique<TBitmap>(*FCellBitmap);
}

void TDetonixSimulator::CopyCell(TPoint cell) {
  FPaintBox.Canvas().Draw(cell.X * FState.CellSize, cell.Y * FState.CellSize, *FCellBitmap);
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

void TDetonixSimulator::DrawBomb(TCanvas& canvas, int x, const TBombRecord& bomb, int y) {
  FObjImages->Draw(canvas, x, y, Ord(otEmpty));
  if (bomb.Owner && bomb.Owner->Position == bomb.Position) DrawPlayer(canvas, x, *bomb.Owner, y);
  FObjImages->Draw(canvas, x, y, Ord(otBomb));
  if (FIsPreview) return;
  const std::string text = std::to_string(bomb.FuseCount);
  const TFontFace& face = TFontFace::Get(canvas.Font.Style);
  const int size = ScaledToCell(FuseDigitsSize, FState.CellSize);
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
