#include <gtest/gtest.h>

#include <cmath>

#include "media/Pictures.h"
#include "platform/Canvas.h"

namespace detonix {
namespace {

int Opaque(const TMaskedBitmap& p) {
  int n = 0;
  for (int y = 0; y < p.Image.Height(); ++y)
    for (int x = 0; x < p.Image.Width(); ++x) n += p.Mask.Pixel(x, y) == clBlack ? 1 : 0;
  return n;
}

// Mean colour of the opaque pixels, as red, green, blue.
std::array<double, 3> MeanColour(const TMaskedBitmap& p) {
  std::array<double, 3> sum{};
  int n = 0;
  for (int y = 0; y < p.Image.Height(); ++y)
    for (int x = 0; x < p.Image.Width(); ++x) {
      if (p.Mask.Pixel(x, y) != clBlack) continue;
      const TColor c = p.Image.Pixel(x, y);
      sum[0] += RedOf(c);
      sum[1] += GreenOf(c);
      sum[2] += BlueOf(c);
      ++n;
    }
  for (double& s : sum) s /= n;
  return sum;
}

int DifferentPixels(const TMaskedBitmap& a, const TMaskedBitmap& b) {
  int n = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      n += a.Image.Pixel(x, y) != b.Image.Pixel(x, y) || a.Mask.Pixel(x, y) != b.Mask.Pixel(x, y) ? 1 : 0;
  return n;
}

TEST(PicturesTest, ListsHaveTheirCountsAndSizes) {
  const auto objects = ObjectPictures();
  const auto players = PlayerPictures();
  const auto characters = CharacterPictures();
  ASSERT_EQ(objects.size(), 11u);
  ASSERT_EQ(players.size(), 24u);
  ASSERT_EQ(characters.size(), 4u);
  for (const auto* list : {&objects, &players, &characters})
    for (const TMaskedBitmap& p : *list) {
      EXPECT_EQ(p.Image.Width(), 30);
      EXPECT_EQ(p.Image.Height(), 30);
      EXPECT_EQ(p.Mask.Width(), 30);
    }
  const TMaskedBitmap about = AboutPicture();
  EXPECT_EQ(about.Image.Width(), 140);
  EXPECT_EQ(Opaque(about), 140 * 140);
  const TMaskedBitmap badge = SmallAboutPicture();
  EXPECT_EQ(badge.Image.Width(), 30);
  EXPECT_LT(Opaque(badge), 900);
  EXPECT_GT(Opaque(badge), 300);
}

TEST(PicturesTest, ThirtyPixelPicturesStayAsTheyWere) {
  uint64_t digest = 14695981039346656037u;
  for (const auto& list : {ObjectPictures(), PlayerPictures()})
    for (const TMaskedBitmap& p : list)
      for (const TBitmap* b : {&p.Image, &p.Mask})
        for (int i = 0; i < 900; ++i) digest = (digest ^ (b->Pixel(i % 30, i / 30) & 0xFFFFFFu)) * 1099511628211u;
  EXPECT_EQ(digest, 16749563670838807278u);
}

TEST(PicturesTest, OpaquePixelsAreNeverPureWhiteExceptTheFloor) {
  // A pure white pixel would turn into a hole once the picture is rescaled.
  auto all = ObjectPictures();
  for (auto& p : PlayerPictures()) all.push_back(std::move(p));
  for (size_t i = 0; i < all.size(); ++i) {
    if (i == 1) continue;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x)
        if (all[i].Mask.Pixel(x, y) == clBlack) {
          EXPECT_NE(all[i].Image.Pixel(x, y), clWhite) << i << " at " << x << "," << y;
        }
  }
}

TEST(PicturesTest, BoardPicturesHaveTheirLook) {
  const auto objects = ObjectPictures();
  // The fixed block and the floor fill the cell; the floor is white.
  EXPECT_EQ(Opaque(objects[0]), 900);
  EXPECT_EQ(Opaque(objects[1]), 900);
  EXPECT_EQ(MeanColour(objects[1]), (std::array<double, 3>{255, 255, 255}));
  const auto block = MeanColour(objects[0]);
  EXPECT_GT(block[2], block[0] + 80);  // cyan: blue and green well above red
  EXPECT_GT(block[1], block[0] + 80);
  const auto bricks = MeanColour(objects[2]);
  EXPECT_GT(bricks[0], bricks[2] + 80);  // red and yellow
  // The bomb stands free on the floor and is dark.
  EXPECT_EQ(objects[3].Mask.Pixel(0, 29), clWhite);
  const auto bomb = MeanColour(objects[3]);
  EXPECT_LT(bomb[0] + bomb[1] + bomb[2], 3 * 110);
  // Power-up tiles differ from each other.
  for (int a = 6; a <= 10; ++a)
    for (int b = a + 1; b <= 10; ++b) {
      const auto ca = MeanColour(objects[static_cast<size_t>(a)]);
      const auto cb = MeanColour(objects[static_cast<size_t>(b)]);
      EXPECT_GT(std::hypot(ca[0] - cb[0], ca[1] - cb[1], ca[2] - cb[2]), 30) << a << " vs " << b;
    }
}

TEST(PicturesTest, CharactersDifferAndPosesDiffer) {
  const auto players = PlayerPictures();
  for (int a = 0; a < 4; ++a) {
    for (int b = a + 1; b < 4; ++b) {
      const auto ca = MeanColour(players[static_cast<size_t>(a * 6)]);
      const auto cb = MeanColour(players[static_cast<size_t>(b * 6)]);
      EXPECT_GT(std::hypot(ca[0] - cb[0], ca[1] - cb[1], ca[2] - cb[2]), 30) << a << " vs " << b;
      EXPECT_GT(DifferentPixels(players[static_cast<size_t>(a * 6)], players[static_cast<size_t>(b * 6)]), 200);
    }
    const size_t base = static_cast<size_t>(a) * 6;
    EXPECT_GT(DifferentPixels(players[base], players[base + 1]), 20) << "left and right of " << a;
    EXPECT_GT(DifferentPixels(players[base], players[base + 2]), 40) << "front and back of " << a;
    EXPECT_GT(DifferentPixels(players[base + 2], players[base + 3]), 10) << "back variants of " << a;
    // The hit picture is a white ghost: most of it is nearly white.
    const TMaskedBitmap& ghost = players[base + 4];
    int light = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        const TColor c = ghost.Image.Pixel(x, y);
        light += ghost.Mask.Pixel(x, y) == clBlack && RedOf(c) > 180 && GreenOf(c) > 180 && BlueOf(c) > 180 ? 1 : 0;
      }
    EXPECT_GT(light * 2, Opaque(ghost)) << a;
    // The outline is only a rim.
    EXPECT_LT(Opaque(players[base + 5]), Opaque(players[base]) / 2) << a;
  }
}

TEST(PicturesTest, ListsRescaleForThePreview) {
  auto objects = CreateObjectImages();
  auto players = CreatePlayerImages();
  EXPECT_EQ(players->BlendColor, clWhite);
  ASSERT_TRUE(players->ResizeImages(10, 10));
  ASSERT_TRUE(objects->ResizeImages(10, 10));
  EXPECT_EQ(objects->Count(), 11);
  EXPECT_EQ(players->Count(), 24);
  EXPECT_EQ(objects->FindTransparentPixel(1), NoPoint);  // the floor stays solid
  EXPECT_EQ(objects->FindTransparentPixel(0), NoPoint);
  // Free-standing pictures keep a mask; off-white filter ripples near a shape stay opaque.
  const auto clear = [](const TImageList& list, int i) {
    int n = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) n += list.IsTransparent(i, x, y) ? 1 : 0;
    return n;
  };
  EXPECT_GE(clear(*objects, 3), 8);
  for (int i = 0; i < 24; ++i) EXPECT_GE(clear(*players, i), 5) << i;
}

TEST(PicturesTest, EveryPreviewSizeRescales) {
  for (int n = 1; n <= 60; ++n) {
    auto players = CreatePlayerImages();
    const bool ok = players->ResizeImages(n, n);
    EXPECT_EQ(ok, n != 1) << n;
    EXPECT_EQ(players->Width(), n == 1 ? 30 : n);
    EXPECT_EQ(players->Count(), 24);
  }
}

}  // namespace
}  // namespace detonix
