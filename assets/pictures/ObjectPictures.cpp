// The 11 board pictures, index = the cell's object ordinal. Each is drawn on a 30-unit square,
// painted at the size asked for.

#include <cmath>
#include <numbers>

#include "Painter.h"

namespace detonix {

namespace art {

const TRGBA Ink = C(0x1A1420);

// 0: a fixed block, cyan and bevelled, with a recessed face.
void PaintFixedBlock(TPainter& p) {
  const TRGBA face = C(0x19C3D2);
  p.Rect(0, 0, 30, 30, Flat(Darker(face, 0.55f)));
  // Light from the top left: the top and left bevels catch it, the others fall into shade.
  p.Polygon({{0, 0}, {30, 0}, {26, 4}, {4, 4}, {4, 26}, {0, 30}}, Flat(Lighter(face, 0.55f)));
  p.Polygon({{30, 0}, {30, 30}, {0, 30}, {4, 26}, {26, 26}, {26, 4}}, Flat(Darker(face, 0.45f)));
  p.Rect(4, 4, 26, 26, Vertical(4, 26, Lighter(face, 0.15f), Darker(face, 0.1f)));
  p.Rect(7, 7, 23, 8, Flat(Lighter(face, 0.35f)));
  p.Rect(7, 7, 8, 23, Flat(Lighter(face, 0.35f)));
  p.Rect(7, 22, 23, 23, Flat(Darker(face, 0.25f)));
  p.Rect(22, 7, 23, 23, Flat(Darker(face, 0.25f)));
}

namespace {

TMaskedBitmap FixedBlock(int size) {
  TPainter p(size);
  PaintFixedBlock(p);
  return p.Result();
}

// 1: the floor, plain white and fully opaque.
TMaskedBitmap Floor(int size) { return {TBitmap(size, size, clWhite), TBitmap(size, size, clBlack)}; }

// 2: a destructible block: red bricks mottled with yellow, with a crack through them.
TMaskedBitmap BrickBlock(int size) {
  TPainter p(size);
  const TRGBA mortar = C(0x5A140C);
  p.Rect(0, 0, 30, 30, Flat(mortar));
  const TRGBA red = C(0xC8321C);
  const TRGBA yellow = C(0xF8C828);
  for (int row = 0; row < 3; ++row) {
    const float y0 = row * 10.0f + 1;
    const float shift = row % 2 == 0 ? 0.0f : -7.5f;
    for (int col = 0; col < 3; ++col) {
      const float x0 = shift + col * 15.0f + 1;
      p.Rect(std::max(0.0f, x0), y0, std::min(30.0f, x0 + 13.5f), y0 + 8.5f, [=](float x, float y) {
        // Mottling: blotches of yellow on the red, a shade lighter at each brick's top.
        const float n = Hash(static_cast<int>(x / 2.5f), static_cast<int>(y / 2.5f), row * 7 + col);
        TRGBA c = n > 0.72f ? Mix(red, yellow, 0.85f) : n > 0.45f ? Mix(red, yellow, 0.35f) : red;
        if (y < y0 + 1.5f) c = Lighter(c, 0.3f);
        if (y > y0 + 7) c = Darker(c, 0.25f);
        return c;
      });
    }
    if (row % 2 == 1) p.Rect(29, y0, 30, y0 + 8.5f, Flat(red));
  }
  // The crack says it will break.
  const TRGBA crack = C(0x200804);
  p.Line(17, 0.5f, 14, 7, 1.3f, Flat(crack));
  p.Line(14, 7, 18, 13, 1.2f, Flat(crack));
  p.Line(18, 13, 13, 19, 1.1f, Flat(crack));
  p.Line(13, 19, 16, 25, 1.0f, Flat(crack));
  p.Line(18, 13, 23, 15, 0.9f, Flat(crack));
  return p.Result();
}

}  // namespace

// A round black bomb centred at (cx, cy), radius r, its fuse going up to the right with a spark.
void PaintBomb(TPainter& p, float cx, float cy, float r, bool spark) {
  const TRGBA black = C(0x141418);
  const float s = r / 10.5f;
  // The fuse and its cap come first, so the body covers their roots.
  p.Curve({cx + 5 * s, cy - 8 * s}, {cx + 9 * s, cy - 14 * s}, {cx + 11.5f * s, cy - 12.5f * s}, 1.6f * s, Flat(C(0xB08A50)));
  p.Line(cx + 3.5f * s, cy - 7 * s, cx + 7 * s, cy - 10.5f * s, 4.2f * s, Flat(C(0x50505A)));
  p.Ellipse(cx, cy, r, r, Radial(cx - 3.5f * s, cy - 3.5f * s, r * 1.4f, C(0x5A5A66), black));
  p.Ellipse(cx - 4 * s, cy - 4.5f * s, 2.6f * s, 1.8f * s, Flat(C(0xB4B4C4, 0.85f)));
  if (!spark) return;
  // A lit fuse: a star of yellow rays round a white-hot core.
  const float sx = cx + 12 * s;
  const float sy = cy - 13 * s;
  for (int i = 0; i < 8; ++i) {
    const float a = static_cast<float>(i) * std::numbers::pi_v<float> / 4 + 0.2f;
    const float len = (i % 2 == 0 ? 4.8f : 3.2f) * s;
    p.Line(sx, sy, sx + std::cos(a) * len, sy + std::sin(a) * len, 1.4f * s, Flat(C(i % 2 == 0 ? 0xFFD020 : 0xFF6A10)));
  }
  p.Ellipse(sx, sy, 2.0f * s, 2.0f * s, Flat(C(0xFF9A20)));
  p.Ellipse(sx, sy, 1.2f * s, 1.2f * s, Flat(C(0xFFF6C0)));
}

namespace {

TMaskedBitmap Bomb(int size) {
  TPainter p(size);
  PaintBomb(p, 14, 18.5f, 10.5f, true);
  p.Outline(0.5f, Ink);
  return p.Result();
}

// A ball of fire: flame tongues round a glowing core.
void PaintFireBall(TPainter& p, float cx, float cy, float r) {
  p.Fill(
      [=](float x, float y) {
        const float a = std::atan2(y - cy, x - cx);
        const float edge = r * (0.86f + 0.14f * std::sin(a * 7 + 0.6f));
        return std::hypot(x - cx, y - cy) <= edge;
      },
      [=](float x, float y) {
        const float d = std::hypot(x - cx, y - cy) / r;
        if (d < 0.3f) return Mix(C(0xFFF8D0), C(0xFFE040), d / 0.3f);
        if (d < 0.65f) return Mix(C(0xFFE040), C(0xFF8A10), (d - 0.3f) / 0.35f);
        return Mix(C(0xFF8A10), C(0xD82808), (d - 0.65f) / 0.35f);
      });
}

TMaskedBitmap FireBall(int size) {
  TPainter p(size);
  PaintFireBall(p, 15, 15, 14.8f);
  return p.Result();
}

TMaskedBitmap GlowingDisc(int size) {
  TPainter p(size);
  p.Ellipse(15, 15, 13, 13, Radial(15, 15, 13, C(0xFF6040), C(0x900808)));
  p.Ellipse(15, 15, 7.5f, 7.5f, Radial(13.5f, 13.5f, 8, C(0xFFC8A0), C(0xF03018)));
  p.Outline(0.8f, C(0x500404));
  return p.Result();
}

// The square tile every power-up sits on, so they read as things to pick up.
void PaintTile(TPainter& p, TColor colour) {
  const TRGBA c = C(colour);
  p.RoundRect(1, 1, 29, 29, 4, Flat(Darker(c, 0.5f)));
  p.RoundRect(2, 2, 28, 28, 3.2f, Vertical(2, 28, Lighter(c, 0.35f), Darker(c, 0.15f)));
  p.RoundRect(3.5f, 3.5f, 26.5f, 26.5f, 2.5f, Vertical(3, 27, c, Darker(c, 0.1f)));
}

TMaskedBitmap ExtraBomb(int size) {
  TPainter p(size);
  PaintTile(p, 0x2E9E3A);
  PaintBomb(p, 11, 19, 7, true);
  // A plus: more bombs.
  p.Rect(15.5f, 12, 28, 18.5f, Flat(C(0x0A3A10)));
  p.Rect(18.5f, 9, 25, 21.5f, Flat(C(0x0A3A10)));
  p.Rect(16.5f, 13, 27, 17.5f, Flat(C(0xB4FFA0)));
  p.Rect(19.5f, 10, 24, 20.5f, Flat(C(0xB4FFA0)));
  return p.Result();
}

TMaskedBitmap FlameCross(int size) {
  TPainter p(size);
  PaintTile(p, 0x7A1A30);
  const auto flame = [&](float x0, float y0, float x1, float y1) {
    p.Line(x0, y0, x1, y1, 7, Flat(C(0xE8300C)));
    p.Line(x0, y0, x1, y1, 4.2f, Flat(C(0xFF9A18)));
    p.Line(x0, y0, x1, y1, 1.8f, Flat(C(0xFFF0A0)));
  };
  flame(15, 15, 15, 5.5f);
  flame(15, 15, 15, 24.5f);
  flame(15, 15, 5.5f, 15);
  flame(15, 15, 24.5f, 15);
  p.Ellipse(15, 15, 3.2f, 3.2f, Flat(C(0xFFF8D8)));
  return p.Result();
}

TMaskedBitmap KickBomb(int size) {
  TPainter p(size);
  PaintTile(p, 0xD03CA0);
  // Streaks behind the bomb: it is on the move.
  const TRGBA streak = C(0xF4ECFF);
  p.Line(5, 12.5f, 11.5f, 12.5f, 2.4f, Flat(streak));
  p.Line(4, 18, 10.5f, 18, 2.4f, Flat(streak));
  p.Line(5, 23.5f, 11.5f, 23.5f, 2.4f, Flat(streak));
  PaintBomb(p, 18, 18, 7.5f, true);
  return p.Result();
}

TMaskedBitmap InvisibleFigure(int size) {
  TPainter p(size);
  PaintTile(p, 0xF2CC1C);
  const TRGBA white = C(0xFCFCFC);
  const TRGBA rim = C(0x9A7A08);
  // A plain person: head, body, legs.
  const auto shape = [&](TPainter& q, TRGBA c) {
    q.Ellipse(15, 8.5f, 3.6f, 3.6f, Flat(c));
    q.RoundRect(10, 12.5f, 20, 21, 3, Flat(c));
    q.Line(12.5f, 20, 12, 25.5f, 3.2f, Flat(c));
    q.Line(17.5f, 20, 18, 25.5f, 3.2f, Flat(c));
    q.Line(10.5f, 14, 7.5f, 19.5f, 2.6f, Flat(c));
    q.Line(19.5f, 14, 22.5f, 19.5f, 2.6f, Flat(c));
  };
  // Draw the rim first, a little larger, then the white figure on it.
  p.SetTransform(-0.75f, -0.6f, 1.05f);
  shape(p, rim);
  p.SetTransform(0, 0, 1);
  shape(p, white);
  p.Ellipse(13.6f, 8.2f, 0.7f, 0.9f, Flat(C(0x807060)));
  p.Ellipse(16.4f, 8.2f, 0.7f, 0.9f, Flat(C(0x807060)));
  return p.Result();
}

TMaskedBitmap SeekingBomb(int size) {
  TPainter p(size);
  PaintTile(p, 0x2A64D8);
  PaintBomb(p, 12, 18, 7.5f, true);
  // A target sign: it finds its way to the other player.
  const TRGBA red = C(0xF02828);
  const TRGBA white = C(0xF8F8F8);
  p.Ellipse(20.5f, 19.5f, 6.8f, 6.8f, Flat(white));
  p.Ring(20.5f, 19.5f, 5.2f, 1.8f, Flat(red));
  p.Ellipse(20.5f, 19.5f, 1.8f, 1.8f, Flat(red));
  p.Line(20.5f, 11.5f, 20.5f, 27.5f, 1.1f, Flat(red));
  p.Line(12.5f, 19.5f, 28.5f, 19.5f, 1.1f, Flat(red));
  return p.Result();
}

}  // namespace

void PaintFireBallAt(TPainter& p, float cx, float cy, float r) { PaintFireBall(p, cx, cy, r); }

}  // namespace art

std::vector<TMaskedBitmap> ObjectPictures(int size) {
  using namespace art;
  std::vector<TMaskedBitmap> list;
  list.push_back(FixedBlock(size));
  list.push_back(Floor(size));
  list.push_back(BrickBlock(size));
  list.push_back(Bomb(size));
  list.push_back(FireBall(size));
  list.push_back(GlowingDisc(size));
  list.push_back(ExtraBomb(size));
  list.push_back(FlameCross(size));
  list.push_back(KickBomb(size));
  list.push_back(InvisibleFigure(size));
  list.push_back(SeekingBomb(size));
  return list;
}

}  // namespace detonix
