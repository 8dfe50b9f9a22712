// The settings dialog's pictures: each character facing the viewer, the About scene and the
// About page's small badge.

#include "Painter.h"

namespace detonix {

std::vector<TMaskedBitmap> CharacterPictures(int size) {
  using namespace art;
  std::vector<TMaskedBitmap> list;
  for (int ch = 0; ch < 4; ++ch) {
    TPainter p(size);
    PaintCharacterFront(p, ch, 0);
    p.Outline(0.75f, Ink);
    list.push_back(p.Result());
  }
  return list;
}

// A lit bomb between two of the characters on a row of blocks, under a night sky.
TMaskedBitmap AboutPicture(int size) {
  using namespace art;
  TPainter p(size);
  p.Rect(0, 0, 30, 30, Vertical(0, 24, C(0x101838), C(0x384890)));
  for (int i = 0; i < 14; ++i) {
    const float x = Hash(i, 1, 5) * 30;
    const float y = Hash(i, 2, 5) * 16;
    p.Ellipse(x, y, 0.25f, 0.25f, Flat(C(0xE8E8FF)));
  }
  // The floor: a row of blocks.
  for (int i = 0; i < 4; ++i) {
    p.SetTransform(static_cast<float>(i) * 7.5f, 22.5f, 0.25f);
    PaintFixedBlock(p);
  }
  // A glow behind the bomb.
  p.SetTransform(0, 0, 1);
  p.Ellipse(15, 13, 9.5f, 9.5f, Radial(15, 13, 9.5f, C(0xFF9020, 0.55f), C(0xFF4010, 0.0f)));
  p.SetTransform(5.2f, 2.8f, 0.65f);
  PaintBomb(p, 14, 18.5f, 10.5f, true);
  p.SetTransform(-0.6f, 12.1f, 0.35f);
  PaintCharacterFront(p, 0, 1);
  p.SetTransform(20.1f, 12.1f, 0.35f);
  PaintCharacterFront(p, 1, -1);
  TMaskedBitmap result = p.Result();
  result.Mask.Fill(clBlack);
  return result;
}

TMaskedBitmap SmallAboutPicture() { return BadgePicture(30); }

namespace {

art::TPainter Badge(int size) {
  using namespace art;
  TPainter p(size);
  PaintFireBallAt(p, 15, 15, 14.5f);
  p.SetTransform(3, 3.5f, 0.8f);
  PaintBomb(p, 14, 18.5f, 10.5f, true);
  p.SetTransform(0, 0, 1);
  p.Outline(0.5f, Ink);
  return p;
}

}  // namespace

TMaskedBitmap BadgePicture(int size) { return Badge(size).Result(); }

// Black where it is clear: a system drawing an icon by its AND mask alone shows the colour there.
TBitmap IconPicture(int size) { return Badge(size).Translucent(); }

}  // namespace detonix
