// The four characters, six pictures each: front turned left, front turned right, back with the
// left foot lifted, back with the right foot lifted, hit (a white ghost), outline.
// Each has its own colour and its own silhouette, so they differ even at 10 pixels:
// Quorin, a blue wizard with a pointed hat and a beard; Tavvy, in red, with two orange pigtails;
// Murvex, broad and green, in a horned helmet; Olandrix, slim and purple, with a gold crown and a cape.

#include <cmath>

#include "Painter.h"

namespace detonix {

namespace art {

namespace {

struct TCharacter {
  TColor Main;
  TColor Trim;
  TColor Skin;
  TColor Hair;
};

const TCharacter Characters[4] = {
    {0x2850D8, 0xF8D030, 0xF4C8A0, 0xE4E4EC},  // Quorin: blue robe, gold trim, white beard
    {0xE02838, 0xFFF0F0, 0xF8D0B0, 0xF08820},  // Tavvy: red dress, orange pigtails
    {0x2C9A34, 0x8A5A28, 0xD8A070, 0x6C4020},  // Murvex: green tunic, leather belt
    {0x8A34C8, 0xF0C020, 0xF0C8A8, 0x2A1838},  // Olandrix: purple, gold, black hair
};

enum { Quorin, Tavvy, Murvex, Olandrix };

TRGBA Boot(int character) { return character == Murvex ? C(0x4A2E14) : C(0x302838); }

// Step lifts one foot (back views); Look points both feet that way (front views).
void PaintFeet(TPainter& p, int character, int step, int look) {
  const TRGBA boot = Boot(character);
  const float lift = 1.6f;
  const float toe = static_cast<float>(look) * 1.2f;
  p.Ellipse(11.5f + toe, 27.4f - (step < 0 ? lift : 0), 3.1f, 1.9f, Flat(boot));
  p.Ellipse(18.5f + toe, 27.4f - (step > 0 ? lift : 0), 3.1f, 1.9f, Flat(boot));
}

// The body below the head, front or back; Shade darkens the back.
void PaintBody(TPainter& p, int ch, bool back, int swing) {
  const TCharacter& c = Characters[ch];
  const TRGBA main = back ? Darker(C(c.Main), 0.12f) : C(c.Main);
  const TRGBA trim = C(c.Trim);
  const TRGBA skin = C(c.Skin);
  // Hands swing with the step: one up, one down.
  const float lh = 21.0f + static_cast<float>(swing);
  const float rh = 21.0f - static_cast<float>(swing);
  switch (ch) {
    case Quorin:
      p.Line(10, 16.5f, 7.5f, lh, 3.4f, Flat(main));
      p.Line(20, 16.5f, 22.5f, rh, 3.4f, Flat(main));
      p.Polygon({{10.5f, 14.5f}, {19.5f, 14.5f}, {23.5f, 27}, {6.5f, 27}}, Vertical(14, 27, Lighter(main, 0.15f), Darker(main, 0.2f)));
      p.Rect(8.4f, 20.2f, 21.6f, 21.6f, Flat(trim));
      p.Rect(7, 25.6f, 23, 27, Flat(trim));
      break;
    case Tavvy:
      p.Line(11, 16, 8, lh, 2.6f, Flat(skin));
      p.Line(19, 16, 22, rh, 2.6f, Flat(skin));
      p.RoundRect(11, 14.5f, 19, 20.5f, 2, Flat(main));
      p.Polygon({{11.5f, 19.5f}, {18.5f, 19.5f}, {24, 26.5f}, {6, 26.5f}}, Vertical(19, 27, main, Darker(main, 0.25f)));
      p.Rect(6.8f, 25.2f, 23.2f, 26.5f, Flat(trim));
      if (back) {
        // A bow at the back of the dress.
        p.Polygon({{15, 20}, {11.5f, 18}, {11.5f, 22}}, Flat(trim));
        p.Polygon({{15, 20}, {18.5f, 18}, {18.5f, 22}}, Flat(trim));
      } else {
        p.Rect(11, 19.2f, 19, 20.4f, Flat(trim));
      }
      break;
    case Murvex:
      p.Line(7.5f, 17, 5.5f, lh, 4.2f, Flat(main));
      p.Line(22.5f, 17, 24.5f, rh, 4.2f, Flat(main));
      p.RoundRect(6, 14.5f, 24, 26, 4, Vertical(14, 26, Lighter(main, 0.15f), Darker(main, 0.2f)));
      p.Rect(6, 21, 24, 23, Flat(trim));
      if (!back) p.Rect(13.5f, 20.6f, 16.5f, 23.4f, Flat(C(0xE8C040)));
      break;
    case Olandrix:
      if (!back) p.Polygon({{10, 15}, {20, 15}, {24, 27.5f}, {6, 27.5f}}, Flat(Darker(main, 0.45f)));
      p.Line(12, 16.5f, 9.5f, lh, 2.6f, Flat(main));
      p.Line(18, 16.5f, 20.5f, rh, 2.6f, Flat(main));
      p.RoundRect(11.5f, 14.5f, 18.5f, 26.5f, 2, Vertical(14, 27, Lighter(main, 0.2f), main));
      if (back) {
        // From behind the cape hides the body.
        p.Polygon({{10, 14.5f}, {20, 14.5f}, {24, 27.5f}, {6, 27.5f}}, Vertical(14, 28, Darker(main, 0.3f), Darker(main, 0.5f)));
        p.Rect(10.5f, 14.5f, 19.5f, 16, Flat(trim));
      } else {
        p.Rect(14.3f, 15, 15.7f, 26.5f, Flat(trim));
      }
      break;
    default:
      break;
  }
  // From behind, the cape hides Olandrix's hands.
  if (back && ch == Olandrix) return;
  const TRGBA hand = ch == Murvex ? C(0x5A3A1A) : skin;
  const float hx = ch == Murvex ? 2.0f : ch == Quorin ? 0.5f : 0.0f;
  p.Ellipse(ch == Tavvy ? 8 : ch == Olandrix ? 9.5f : 7.5f - hx, lh + 1, 1.8f, 1.8f, Flat(hand));
  p.Ellipse(ch == Tavvy ? 22 : ch == Olandrix ? 20.5f : 22.5f + hx, rh + 1, 1.8f, 1.8f, Flat(hand));
}

void PaintEyes(TPainter& p, float cx, float cy, int look) {
  const float l = static_cast<float>(look);
  for (float ex : {cx - 2.2f + l * 1.1f, cx + 2.2f + l * 1.1f}) {
    p.Ellipse(ex, cy, 1.45f, 1.8f, Flat(C(0xFAFAFA)));
    p.Ellipse(ex + l * 0.7f, cy + 0.2f, 0.85f, 1.15f, Flat(C(0x181830)));
  }
}

// The head and what it wears. Front views show the face; the look turns it.
void PaintHead(TPainter& p, int ch, bool back, int look) {
  const TCharacter& c = Characters[ch];
  const TRGBA skin = C(c.Skin);
  const TRGBA hair = C(c.Hair);
  const TRGBA main = C(c.Main);
  const TRGBA trim = C(c.Trim);
  const float l = static_cast<float>(look);
  const float hx = 15 + l * 0.9f;
  const float hy = 10.5f;
  switch (ch) {
    case Quorin: {
      p.Ellipse(hx, hy, 5.6f, 5.6f, Flat(back ? hair : skin));
      if (back) {
        // Long white hair, combed down.
        for (float x : {-3.0f, -1.0f, 1.0f, 3.0f}) p.Line(hx + x, hy - 2, hx + x * 1.1f, hy + 5, 0.6f, Flat(Darker(hair, 0.2f)));
      } else {
        // The beard falls over the robe.
        p.Polygon({{hx - 4.8f, hy + 1.5f}, {hx + 4.8f, hy + 1.5f}, {hx + l * 1.2f, hy + 10.5f}}, Flat(hair));
        PaintEyes(p, hx, hy - 0.3f, look);
        p.Line(hx - 2.2f + l, hy + 2.6f, hx + 2.2f + l, hy + 2.6f, 0.9f, Flat(C(0xB07068)));
      }
      const float tip = 15 + l * 3.5f + (back ? -l * 7 : 0);
      p.Polygon({{9, 7}, {21, 7}, {tip, -0.5f}}, Vertical(0, 7, Lighter(main, 0.1f), Darker(main, 0.25f)));
      p.Ellipse(15, 7, 9.5f, 2, Flat(Darker(main, 0.35f)));
      p.Rect(9.6f, 5, 20.4f, 6.4f, Flat(trim));
      if (!back) p.Ellipse(15 + l * 1.5f, 3.2f, 1.1f, 1.1f, Flat(trim));
      break;
    }
    case Tavvy: {
      // Pigtails stick out on both sides, tied with ribbons.
      p.Ellipse(6.8f, hy + 0.5f, 2.8f, 3.8f, Flat(hair));
      p.Ellipse(23.2f, hy + 0.5f, 2.8f, 3.8f, Flat(hair));
      p.Ellipse(9.2f, hy - 1.5f, 1.3f, 1.3f, Flat(C(0x38C8E8)));
      p.Ellipse(20.8f, hy - 1.5f, 1.3f, 1.3f, Flat(C(0x38C8E8)));
      p.Ellipse(hx, hy, 5.6f, 5.6f, Flat(back ? hair : skin));
      if (back) {
        p.Line(hx, hy - 5, hx, hy + 4, 0.8f, Flat(Darker(hair, 0.3f)));
      } else {
        // A fringe across the forehead.
        p.Fill([=](float x, float y) { return std::hypot(x - hx, y - hy) <= 5.8f && y < hy - 2.2f + 0.6f * std::sin(x * 2.2f); },
               Flat(hair));
        PaintEyes(p, hx, hy + 0.3f, look);
        p.Ellipse(hx + l, hy + 3.3f, 1.1f, 0.7f, Flat(C(0xD04050)));
      }
      p.Ellipse(hx, hy - 5.4f, 2.2f, 1.4f, Flat(C(0x38C8E8)));
      break;
    }
    case Murvex: {
      p.Ellipse(hx, hy + 0.5f, 6.2f, 5.6f, Flat(back ? Darker(skin, 0.1f) : skin));
      // Horns curve up and out of the helmet.
      const TRGBA horn = C(0xF0E4C0);
      p.Curve({9.5f, 7}, {5, 6}, {4.5f, 0.8f}, 2.6f, Flat(horn));
      p.Curve({20.5f, 7}, {25, 6}, {25.5f, 0.8f}, 2.6f, Flat(horn));
      const TRGBA metal = C(0x9AA0AC);
      p.Fill([=](float x, float y) { return std::hypot((x - hx) / 6.8f, (y - 9.0f) / 5.8f) <= 1 && y <= 9.0f; },
             Vertical(3, 9, Lighter(metal, 0.3f), Darker(metal, 0.15f)));
      p.Rect(hx - 6.8f, 8, hx + 6.8f, 9.8f, Flat(Darker(metal, 0.3f)));
      if (back) {
        p.Rect(hx - 6.2f, 9.8f, hx + 6.2f, 15, Flat(C(c.Hair)));
      } else {
        p.Rect(hx - 0.7f + l * 0.5f, 8.5f, hx + 0.7f + l * 0.5f, 12.5f, Flat(Darker(metal, 0.3f)));
        PaintEyes(p, hx, hy + 1, look);
        // A thick moustache.
        p.Ellipse(hx + l * 0.8f, hy + 3.8f, 3.2f, 1.0f, Flat(C(c.Hair)));
      }
      break;
    }
    case Olandrix: {
      p.Ellipse(hx, hy + 0.5f, 5.1f, 5.6f, Flat(back ? hair : skin));
      // Hair frames the face and falls to the shoulders.
      p.Ellipse(hx - 4.8f, hy + 2.5f, 1.6f, 4.2f, Flat(hair));
      p.Ellipse(hx + 4.8f, hy + 2.5f, 1.6f, 4.2f, Flat(hair));
      if (!back) {
        PaintEyes(p, hx, hy + 1, look);
        p.Line(hx - 1.4f + l, hy + 4, hx + 1.4f + l, hy + 4, 0.8f, Flat(C(0xA05050)));
      }
      // The crown: a band and three points with a red gem.
      const TRGBA gold = C(c.Trim);
      p.Polygon({{9.5f, 7}, {9.5f, 1.2f}, {12.2f, 4}, {15, 0.4f}, {17.8f, 4}, {20.5f, 1.2f}, {20.5f, 7}},
                Vertical(0, 7, Lighter(gold, 0.3f), Darker(gold, 0.2f)));
      if (!back) p.Ellipse(15, 5, 1.2f, 1.2f, Flat(C(0xE01830)));
      break;
    }
    default:
      break;
  }
}

TMaskedBitmap Finish(TPainter& p, float rim = 0.75f) {
  p.Outline(rim, Ink);
  return p.Result();
}

}  // namespace

void PaintCharacterFront(TPainter& p, int character, int look) {
  PaintFeet(p, character, 0, look);
  PaintBody(p, character, false, 0);
  PaintHead(p, character, false, look);
}

void PaintCharacterBack(TPainter& p, int character, int step) {
  PaintFeet(p, character, step, 0);
  PaintBody(p, character, true, step);
  PaintHead(p, character, true, 0);
}

// A white sheet with a wavy hem and dark eyes; a pale copy of the character's headgear says whose.
void PaintGhost(TPainter& p, int ch) {
  const TRGBA sheet = C(0xF6F8FC);
  const TRGBA shade = C(0xC4CCE4);
  p.Fill(
      [](float x, float y) {
        if (y < 12) return std::hypot(x - 15, y - 12) <= 9;
        const float hem = 25.5f + 1.8f * std::sin((x - 6) * 1.05f);
        return x >= 6 && x <= 24 && y <= hem;
      },
      [=](float x, float) { return Mix(sheet, shade, std::max(0.0f, (x - 17) / 8)); });
  p.Ellipse(11.4f, 13, 2.4f, 3.2f, Flat(C(0x141430)));
  p.Ellipse(18.6f, 13, 2.4f, 3.2f, Flat(C(0x141430)));
  p.Ellipse(15, 20, 2.0f, 2.4f, Flat(C(0x282848)));
  const TRGBA pale = Mix(C(Characters[ch].Main), sheet, 0.6f);
  switch (ch) {
    case Quorin:
      p.Polygon({{10, 5}, {20, 5}, {15, 0.2f}}, Flat(pale));
      break;
    case Tavvy:
      p.Ellipse(6.5f, 11, 2.3f, 3.2f, Flat(pale));
      p.Ellipse(23.5f, 11, 2.3f, 3.2f, Flat(pale));
      break;
    case Murvex:
      p.Curve({9.5f, 6.5f}, {5.5f, 5.5f}, {5, 1}, 2.2f, Flat(pale));
      p.Curve({20.5f, 6.5f}, {24.5f, 5.5f}, {25, 1}, 2.2f, Flat(pale));
      break;
    case Olandrix:
      p.Polygon({{10.5f, 4.5f}, {10.5f, 0.8f}, {12.8f, 3}, {15, 0.2f}, {17.2f, 3}, {19.5f, 0.8f}, {19.5f, 4.5f}}, Flat(pale));
      break;
    default:
      break;
  }
}

}  // namespace art

std::vector<TMaskedBitmap> PlayerPictures(int size, unsigned characters) {
  using namespace art;
  std::vector<TMaskedBitmap> list;
  for (int ch = 0; ch < CharacterCount; ++ch) {
    if ((characters & (1u << ch)) == 0) {
      // Left out: six pictures that show nothing (a white mask is transparent everywhere).
      for (int i = 0; i < PlayerPicturesPerCharacter; ++i) list.push_back({TBitmap(size, size, clBlack), TBitmap(size, size)});
      continue;
    }
    {
      TPainter p(size);
      PaintCharacterFront(p, ch, -1);
      list.push_back(Finish(p));
    }
    {
      TPainter p(size);
      PaintCharacterFront(p, ch, 1);
      list.push_back(Finish(p));
    }
    {
      TPainter p(size);
      PaintCharacterBack(p, ch, -1);
      list.push_back(Finish(p));
    }
    {
      TPainter p(size);
      PaintCharacterBack(p, ch, 1);
      list.push_back(Finish(p));
    }
    {
      TPainter p(size);
      PaintGhost(p, ch);
      // A white ghost on a white floor needs a firmer rim.
      list.push_back(Finish(p, 1.2f));
    }
    {
      TPainter p(size);
      PaintCharacterFront(p, ch, -1);
      p.OutlineOnly(0.9f, Ink);
      list.push_back(p.Result());
    }
  }
  return list;
}

}  // namespace detonix
