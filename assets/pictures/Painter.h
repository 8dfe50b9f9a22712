#pragma once

// A small vector painter for the game's pictures: shapes are given in picture units (a 30-unit
// cell), painted on a 4x finer grid (coarser for huge pictures) and averaged down, so edges
// inside a picture are smooth while its outline stays a crisp mask.

#include <cstdint>
#include <functional>
#include <vector>

#include "media/Pictures.h"
#include "platform/GraphicsTypes.h"

namespace detonix::art {

struct TRGBA {
  float R = 0, G = 0, B = 0, A = 0;
};

// 0xRRGGBB with full alpha, or with the given alpha.
TRGBA C(TColor c, float alpha = 1.0f);
TRGBA Mix(TRGBA a, TRGBA b, float t);
TRGBA Lighter(TRGBA c, float t);
TRGBA Darker(TRGBA c, float t);

struct TPt {
  float X, Y;
};

// Colour of a shape at a picture-unit point; plain colours convert to it.
using TPaint = std::function<TRGBA(float x, float y)>;
TPaint Flat(TRGBA c);
// From Inner at (cx, cy) to Outer at distance r.
TPaint Radial(float cx, float cy, float r, TRGBA inner, TRGBA outer);
// From Top at y0 to Bottom at y1.
TPaint Vertical(float y0, float y1, TRGBA top, TRGBA bottom);

class TPainter {
 public:
  // A square picture of Size pixels showing the cell's 30 picture units.
  explicit TPainter(int size) : TPainter(size, static_cast<float>(size) / PictureSize) {}
  // A square picture of Size pixels, Unit pixels per picture unit.
  TPainter(int size, float unit);

  // Later shapes are placed at Origin (in picture units) and scaled by Zoom.
  void SetTransform(float ox, float oy, float zoom) {
    FOx = ox;
    FOy = oy;
    FZoom = zoom;
  }

  void Fill(const std::function<bool(float x, float y)>& inside, const TPaint& paint);
  void Rect(float x0, float y0, float x1, float y1, const TPaint& paint);
  void RoundRect(float x0, float y0, float x1, float y1, float r, const TPaint& paint);
  void Ellipse(float cx, float cy, float rx, float ry, const TPaint& paint);
  void Ring(float cx, float cy, float r, float width, const TPaint& paint);
  void Polygon(const std::vector<TPt>& points, const TPaint& paint);
  // A thick line with round ends.
  void Line(float x0, float y0, float x1, float y1, float width, const TPaint& paint);
  // A quadratic curve as a run of short lines.
  void Curve(TPt a, TPt control, TPt b, float width, const TPaint& paint);

  // Puts a rim of Width picture units around everything painted so far, behind it.
  void Outline(float width, TRGBA colour);
  // Keeps only the rim of Width around the painted shape; the shape itself becomes clear.
  void OutlineOnly(float width, TRGBA colour);

  // Averages down: a pixel at least half covered is opaque, the rest transparent (white in the
  // image, white in the mask). Opaque pixels are never pure white, which would read as clear
  // once the picture is rescaled.
  TMaskedBitmap Result() const;
  // Averages down keeping how much of each pixel is covered as its alpha: 32-bit ARGB, the colour
  // not premultiplied, clear pixels 0. Edges are smooth over any background.
  TBitmap Translucent() const;

 private:
  template <class Inside>
  void FillBox(float x0, float y0, float x1, float y1, Inside inside, const TPaint& paint);
  std::vector<uint8_t> Dilated(float width) const;

  int FSize;
  int FSub;   // sub-pixels a side per pixel
  int FGrid;  // FSize * FSub sub-pixels a side
  float FUnit;
  float FOx = 0, FOy = 0, FZoom = 1;
  std::vector<TRGBA> FPixels;
};

// Motifs shared by several pictures, in picture units of the painter's current transform.
void PaintBomb(TPainter& p, float cx, float cy, float r, bool spark);
void PaintFireBallAt(TPainter& p, float cx, float cy, float r);
void PaintFixedBlock(TPainter& p);
// Character 0..3 (Quorin, Tavvy, Murvex, Olandrix). Look: -1 turned left, 0 straight, 1 turned
// right. Step: which foot is lifted in a back view, -1 left, 1 right.
void PaintCharacterFront(TPainter& p, int character, int look);
void PaintCharacterBack(TPainter& p, int character, int step);
void PaintGhost(TPainter& p, int character);
extern const TRGBA Ink;

// A repeatable pseudo-random value in 0..1 for integer coordinates, for mottling.
float Hash(int x, int y, int salt);

}  // namespace detonix::art
