// sprites: a contact sheet of every picture, at 30 pixels and after the preview's rescale to 10.
#include <cstdio>
#include <exception>
#include <string>

#include "media/Pictures.h"
#include "platform/Canvas.h"
#include "platform/Png.h"
#include "tools/HeadlessOptions.h"

namespace detonix::headless {

namespace {

constexpr int Margin = 10;
constexpr int Slot = 38;
constexpr int Columns = 24;
constexpr TColor Background = 0x808080;

class TSheet {
 public:
  TSheet() : FBitmap(Margin * 2 + Slot * Columns, 1800, Background), FCanvas(FBitmap) {
    FCanvas.Brush.Style = bsClear;
  }

  void Caption(const std::string& text) {
    FCanvas.Font = {clWhite, 13, fsBold};
    FCanvas.TextOut(Margin, FY, text);
    FY += 20;
  }

  // One row of a list's images, each with its index underneath; Zoom > 1 enlarges pixel by pixel.
  // Floor, when given, is drawn under each picture first, as the board does.
  void Row(const TImageList& list, TDrawingStyle style = dsNormal, int zoom = 1, const TImageList* floor = nullptr) {
    const int size = list.Width() * zoom;
    for (int i = 0; i < list.Count(); ++i) {
      const int x = Margin + i * Slot + (Slot - size) / 2;
      if (zoom == 1) {
        list.Draw(FCanvas, x, FY, i, style, itImage);
      } else {
        // Compose at the real size, then enlarge, so the mask shows as it would on the board.
        TBitmap small(list.Width(), list.Height(), Background);
        TCanvas c(small);
        if (floor != nullptr) floor->Draw(c, 0, 0, 1, dsNormal, itImage);
        list.Draw(c, 0, 0, i, style, itImage);
        TResizableImageList::StretchNearest(small, size, size);
        FCanvas.Draw(x, FY, small);
      }
      FCanvas.Font = {0xF0F0F0, 10, fsRegular};
      const std::string label = std::to_string(i);
      FCanvas.TextOut(Margin + i * Slot + (Slot - FCanvas.TextWidth(label)) / 2, FY + std::max(size, 10) + 2, label);
    }
    FY += std::max(size, 10) + 20;
  }

  // Cells as the board composes them: floor or fire first, then a player, a bomb and its count.
  void Cells(const TImageList& objects, const TImageList& players, int zoom) {
    struct TCell {
      int Under;    // object picture under everything
      int Player;   // -1 for none
      bool Pale;    // invisible player
      int Over;     // object picture over the player, -1 for none
      int Count;    // fuse count written on the bomb, 0 for none
    };
    const TCell cells[] = {{1, -1, false, 3, 10}, {1, 0, false, 3, 7}, {1, 7, false, -1, 0}, {1, 13, true, -1, 0},
                           {4, 18, false, -1, 0}, {4, 10, false, -1, 0}, {1, 22, false, -1, 0}, {1, 14, true, 3, 3},
                           {0, -1, false, -1, 0}, {2, -1, false, -1, 0}, {1, -1, false, 9, 0}, {4, -1, false, -1, 0}};
    const int size = objects.Width();
    int i = 0;
    for (const TCell& cell : cells) {
      TBitmap b(size, size);
      TCanvas c(b);
      c.Brush.Style = bsClear;
      c.Font.Color = clWhite;
      objects.Draw(c, 0, 0, cell.Under, dsNormal, itImage);
      if (cell.Player >= 0) players.Draw(c, 0, 0, cell.Player, cell.Pale ? dsFocus : dsNormal, itImage);
      if (cell.Over >= 0) objects.Draw(c, 0, 0, cell.Over, dsNormal, itImage);
      if (cell.Count > 0 && size == NativeCellSize) {
        const std::string text = std::to_string(cell.Count);
        c.TextOut((size - c.TextWidth(text)) / 2, 11, text);
      }
      if (zoom > 1) TResizableImageList::StretchNearest(b, size * zoom, size * zoom);
      FCanvas.Draw(Margin + i * (size * zoom + 8), FY, b);
      ++i;
    }
    FY += size * zoom + 10;
  }

  void Picture(int x, const TMaskedBitmap& picture) {
    TImageList one(picture.Image.Width(), picture.Image.Height());
    one.Add(picture.Image, &picture.Mask);
    one.Draw(FCanvas, x, FY, 0);
  }
  void Skip(int height) { FY += height; }

  void Save(const std::string& path) {
    FBitmap.SetSize(FBitmap.Width(), FY + Margin);
    SavePng(FBitmap, path);
  }

 private:
  TBitmap FBitmap;
  TCanvas FCanvas;
  int FY = Margin;
};

}  // namespace

int RunSprites(const TArgs& args) {
  const TCommandLine<TSpritesOptions> parsed = ParseSpritesOptions(args);
  if (const auto status = HelpOrUsageError("sprites", parsed.Help, parsed.Error)) return *status;
  const std::string& out = parsed.Options.Out;
  try {
    auto objects = CreateObjectImages();
    auto players = CreatePlayerImages();
    TSheet sheet;
    sheet.Caption("Objects, 30 px");
    sheet.Row(*objects);
    sheet.Caption("Players, 30 px (4 characters: front left, front right, back left, back right, hit, outline)");
    sheet.Row(*players);
    sheet.Caption("Players, focus style (invisible)");
    sheet.Row(*players, dsFocus);
    sheet.Caption("Cells as the board draws them, at 30 px and enlarged twice");
    sheet.Cells(*objects, *players, 1);
    sheet.Cells(*objects, *players, 2);

    auto smallObjects = CreateObjectImages();
    auto smallPlayers = CreatePlayerImages();
    const bool resized = smallPlayers->ResizeImages(10, 10) && smallObjects->ResizeImages(10, 10);
    if (!resized) {
      std::fprintf(stderr, "sprites: ResizeImages failed\n");
      return 1;
    }
    sheet.Caption("Objects, rescaled to 10 px; enlarged 3 times on grey and on the floor");
    sheet.Row(*smallObjects);
    sheet.Row(*smallObjects, dsNormal, 3);
    sheet.Row(*smallObjects, dsNormal, 3, smallObjects.get());
    sheet.Caption("Players, rescaled to 10 px; enlarged 3 times on grey, on the floor, and in focus style");
    sheet.Row(*smallPlayers);
    sheet.Row(*smallPlayers, dsNormal, 3);
    sheet.Row(*smallPlayers, dsNormal, 3, smallObjects.get());
    sheet.Row(*smallPlayers, dsFocus, 3, smallObjects.get());
    sheet.Caption("Cells at 10 px, enlarged 3 times");
    sheet.Cells(*smallObjects, *smallPlayers, 3);

    sheet.Caption("Dialog: characters, small About picture, About picture");
    auto characters = CreateCharacterImages();
    sheet.Row(*characters);
    sheet.Skip(-40);
    sheet.Picture(Margin + 5 * Slot, SmallAboutPicture());
    sheet.Picture(Margin + 7 * Slot, AboutPicture());
    sheet.Skip(AboutPictureSize + 10);
    sheet.Save(out);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sprites: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", out.c_str());
  return 0;
}

}  // namespace detonix::headless
