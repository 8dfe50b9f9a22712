#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "media/Pictures.h"
#include "media/ResizableImageList.h"
#include "platform/Canvas.h"

namespace detonix {
namespace {

using TList = TResizableImageList;

bool IsFlat(const TBitmap& b, TColor c, int tolerance = 0) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor p = b.Pixel(x, y);
      if (std::abs(RedOf(p) - RedOf(c)) > tolerance || std::abs(GreenOf(p) - GreenOf(c)) > tolerance ||
          std::abs(BlueOf(p) - BlueOf(c)) > tolerance)
        return false;
    }
  return true;
}

// A 30x30 picture: the left third transparent (white), the rest one colour.
TBitmap HalfPicture(TColor colour) {
  TBitmap b(30, 30, colour);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 10; ++x) b.SetPixel(x, y, clWhite);
  return b;
}

TList ListOfThree() {
  TList list(30, 30);
  list.AddMasked(HalfPicture(clRed), clWhite);
  list.AddMasked(HalfPicture(clLime), clWhite);
  list.Add(TBitmap(30, 30, clBlue), nullptr);
  return list;
}

bool SameList(const TList& a, const TList& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i) {
    if (!a.Image(i).SamePixels(b.Image(i))) return false;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.IsTransparent(i, x, y) != b.IsTransparent(i, x, y)) return false;
  }
  return true;
}

TEST(FilterTest, SincAndLanczosWeights) {
  EXPECT_EQ(TList::SincOf(0), 1.0f);
  EXPECT_NEAR(TList::SincOf(0.5f), 2 / std::numbers::pi, 1e-6);
  EXPECT_NEAR(TList::SincOf(1), 0, 1e-6);
  EXPECT_EQ(TList::LanczosWeight(0), 1.0f);
  EXPECT_EQ(TList::LanczosWeight(5), 0.0f);
  EXPECT_EQ(TList::LanczosWeight(-7.5f), 0.0f);
  EXPECT_EQ(TList::LanczosWeight(-2.3f), TList::LanczosWeight(2.3f));
  // The window has radius 5: a negative lobe between 1 and 2, still non-zero at 4.5.
  EXPECT_LT(TList::LanczosWeight(1.5f), 0);
  EXPECT_NE(TList::LanczosWeight(4.5f), 0);
}

TEST(FilterTest, ClampRGBRoundsHalvesToEvenAndClamps) {
  uint32_t p = 0;
  TList::ClampRGB(300, -4, 2.5f, p);
  EXPECT_EQ(p & 0xFFFFFFu, RGBColor(255, 0, 2));
  TList::ClampRGB(3.5f, 254.6f, 255.0f, p);
  EXPECT_EQ(p & 0xFFFFFFu, RGBColor(4, 255, 255));
}

TEST(ResampleTest, FlatColoursStayFlat) {
  for (auto [w, h] : {std::pair{10, 10}, {60, 45}, {7, 3}, {2, 2}, {31, 29}}) {
    TBitmap b(30, 30, 0x5A8CC8);
    TList::Resample(b, w, h);
    EXPECT_EQ(b.Width(), w);
    EXPECT_EQ(b.Height(), h);
    EXPECT_TRUE(IsFlat(b, 0x5A8CC8, 1)) << w << "x" << h;
  }
}

TEST(ResampleTest, WhiteStaysExactlyWhite) {
  // Transparency after a rescale hangs on pixels staying exactly white. The weights are used
  // unnormalised; for a shrink to 28 or 29 pixels they sum to 0.998 and white reads 254 there.
  for (int n = 2; n <= 60; ++n) {
    if (n == 28 || n == 29) continue;
    TBitmap b(30, 30, clWhite);
    TList::Resample(b, n, n);
    EXPECT_TRUE(IsFlat(b, clWhite)) << n;
  }
}

TEST(ResampleTest, SameSizeIsLeftUntouched) {
  TBitmap b(3, 3, clRed);
  b.Row(1)[1] = 0x00123456;  // a fourth byte a conversion would have set
  TList::Resample(b, 3, 3);
  EXPECT_EQ(b.Row(1)[1], 0x00123456u);
}

TEST(ResampleTest, OnePixelTargetFailsWithItsMessage) {
  TBitmap b(30, 30, clRed);
  try {
    TList::Resample(b, 1, 10);
    FAIL() << "no error";
  } catch (const EImageResizeError& e) {
    EXPECT_STREQ(e.what(), "Image Resampling Error");
  }
  EXPECT_THROW(TList::Resample(b, 10, 1), EImageResizeError);
  EXPECT_THROW(TList::Resample(b, 10, 0), EImageResizeError);
  EXPECT_THROW(TList::Resample(b, -3, 10), EImageResizeError);
  EXPECT_EQ(b.Width(), 30);
}

TEST(ResampleTest, EmptySourceIsLeftAlone) {
  TBitmap b;
  EXPECT_NO_THROW(TList::Resample(b, 10, 10));
  EXPECT_TRUE(b.Empty());
}

TEST(ResampleTest, OnePixelWideSourceSpreadsAcross) {
  // A vertical ramp one pixel wide: every target column shows the same ramp.
  TBitmap b(1, 30);
  for (int y = 0; y < 30; ++y) b.SetPixel(0, y, RGBColor(y * 8, y * 8, y * 8));
  TList::Resample(b, 10, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 1; x < 10; ++x) EXPECT_NEAR(RedOf(b.Pixel(x, y)), RedOf(b.Pixel(0, y)), 1) << x << "," << y;
    if (y > 0) {
      EXPECT_GT(RedOf(b.Pixel(0, y)), RedOf(b.Pixel(0, y - 1)));
    }
  }
  // The ends take a little from the mirrored rows beyond them.
  EXPECT_NEAR(RedOf(b.Pixel(0, 0)), 0, 8);
  EXPECT_NEAR(RedOf(b.Pixel(0, 9)), 29 * 8, 2);
}

TEST(ResampleTest, EdgesKeepTheirSideWhenShrinking) {
  TBitmap b(30, 30, clWhite);
  for (int y = 0; y < 30; ++y)
    for (int x = 15; x < 30; ++x) b.SetPixel(x, y, clBlack);
  TList::Resample(b, 10, 10);
  EXPECT_GT(RedOf(b.Pixel(0, 5)), 240);
  EXPECT_LT(RedOf(b.Pixel(9, 5)), 15);
}

TEST(ResampleTest, EverySizeFromOneToSixtyStaysInsideTheSource) {
  // Shrinking to 5 or fewer pixels reaches past one reflection; the sanitizer run watches this.
  TBitmap source(30, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) source.SetPixel(x, y, RGBColor(x * 8, y * 8, (x + y) * 4));
  for (int w = 1; w <= 60; ++w)
    for (int h : {1, 2, 3, 5, 10, 29, 30, 60}) {
      TBitmap b = source;
      if (w == 1 || h == 1) {
        EXPECT_THROW(TList::Resample(b, w, h), EImageResizeError);
        continue;
      }
      TList::Resample(b, w, h);
      EXPECT_EQ(b.Width(), w);
      EXPECT_EQ(b.Height(), h);
    }
  for (auto [sw, sh] : {std::pair{1, 1}, {2, 7}, {5, 1}, {3, 3}}) {
    TBitmap b(sw, sh, clRed);
    TList::Resample(b, 6, 4);
    EXPECT_TRUE(IsFlat(b, clRed, 2)) << sw << "x" << sh;
  }
}

TEST(StretchNearestTest, PicksTheNearestPixelBelow) {
  TBitmap b(30, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) b.SetPixel(x, y, RGBColor(x, y, 0));
  TList::StretchNearest(b, 10, 10);
  EXPECT_EQ(b.Pixel(4, 7), RGBColor(12, 21, 0));
  TBitmap two(2, 2, clRed);
  two.SetPixel(1, 1, clBlue);
  TList::StretchNearest(two, 4, 5);
  EXPECT_EQ(two.Pixel(1, 1), clRed);
  EXPECT_EQ(two.Pixel(2, 3), clBlue);
  EXPECT_EQ(two.Pixel(3, 2), clRed);  // row 2 of 5 still maps to source row 0
}

TEST(StretchNearestTest, SameSizeUntouchedAndEmptySourceFails) {
  TBitmap b(3, 3, clRed);
  b.Row(0)[0] = 0x00FF0000;
  TList::StretchNearest(b, 3, 3);
  EXPECT_EQ(b.Row(0)[0], 0x00FF0000u);
  TBitmap empty;
  try {
    TList::StretchNearest(empty, 4, 4);
    FAIL() << "no error";
  } catch (const EImageResizeError& e) {
    EXPECT_STREQ(e.what(), "Image Resizing Error");
  }
}

TEST(FindPixelTest, WhiteAndTransparentPixelsAreFoundRowByRow) {
  TBitmap b(5, 5, clBlack);
  b.SetPixel(4, 1, clWhite);
  b.SetPixel(0, 2, clWhite);
  EXPECT_EQ(TList::FindWhitePixel(b), (TPoint{4, 1}));
  TBitmap none(5, 5, 0xFEFFFF);
  EXPECT_EQ(TList::FindWhitePixel(none), NoPoint);

  TList list(5, 5);
  list.AddMasked(b, clWhite);
  list.Add(none, nullptr);
  EXPECT_EQ(list.FindTransparentPixel(0), (TPoint{4, 1}));
  EXPECT_EQ(list.FindTransparentPixel(1), NoPoint);
  list.Masked = false;
  EXPECT_EQ(list.FindTransparentPixel(0), NoPoint);
}

TEST(ResizeImagesTest, ThirtyToTenKeepsIndicesAndTransparency) {
  TList list = ListOfThree();
  ASSERT_TRUE(list.ResizeImages(10, 10));
  EXPECT_EQ(list.Width(), 10);
  EXPECT_EQ(list.Count(), 3);
  const TColor colours[3] = {clRed, clLime, clBlue};
  for (int i = 0; i < 3; ++i) {
    TBitmap target(10, 10, clBlack);
    TCanvas c(target);
    list.Draw(c, 0, 0, i);
    EXPECT_EQ(target.Pixel(9, 5), colours[i]) << i;
    // The left edge was white in the masked images: transparent again.
    EXPECT_EQ(target.Pixel(0, 5), i < 2 ? clBlack : clBlue) << i;
  }
}

TEST(ResizeImagesTest, EnlargedPicturesKeepTheirTransparentAreasAtScreenScales) {
  // Cells of 30 pixels times 125 %, 150 %, 200 % and 300 %. Far enough from a shape (3 source
  // pixels) the result stays transparent; inside one it stays opaque.
  for (const bool players : {false, true}) {
    const auto source = players ? CreatePlayerImages() : CreateObjectImages();
    for (const int size : {38, 45, 60, 90}) {
      auto list = players ? CreatePlayerImages() : CreateObjectImages();
      ASSERT_TRUE(list->ResizeImages(size, size));
      for (int i = 0; i < source->Count(); ++i) {
        int wrong = 0;
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x) {
            const int sx = x * 30 / size;
            const int sy = y * 30 / size;
            bool allClear = true;
            bool allSolid = true;
            for (int dy = -3; dy <= 3; ++dy)
              for (int dx = -3; dx <= 3; ++dx) {
                const bool clear = source->IsTransparent(i, std::clamp(sx + dx, 0, 29), std::clamp(sy + dy, 0, 29));
                allClear = allClear && clear;
                if (std::abs(dx) <= 1 && std::abs(dy) <= 1) allSolid = allSolid && !clear;
              }
            if ((allClear && !list->IsTransparent(i, x, y)) || (allSolid && list->IsTransparent(i, x, y))) ++wrong;
          }
        EXPECT_EQ(wrong, 0) << (players ? "player" : "object") << " picture " << i << " at " << size << " pixels";
      }
    }
  }
}

TEST(ResizeImagesTest, CurrentOrNonPositiveSizesChangeNothing) {
  for (auto [w, h] : {std::pair{30, 30}, {0, 0}, {-5, 30}, {30, -1}, {0, -7}}) {
    TList list = ListOfThree();
    EXPECT_TRUE(list.ResizeImages(w, h)) << w << "x" << h;
    EXPECT_TRUE(SameList(list, ListOfThree())) << w << "x" << h;
  }
}

TEST(ResizeImagesTest, OnePixelTargetFailsAndLeavesTheList) {
  TList list = ListOfThree();
  EXPECT_FALSE(list.ResizeImages(1, 1));
  EXPECT_TRUE(SameList(list, ListOfThree()));
  // One axis new and the other not positive: no half-made list either.
  EXPECT_FALSE(list.ResizeImages(10, 0));
  EXPECT_TRUE(SameList(list, ListOfThree()));
}

TEST(ResizeImagesTest, UnmaskedListComesBackWithoutMasks) {
  TList list = ListOfThree();
  list.Masked = false;
  ASSERT_TRUE(list.ResizeImages(10, 10));
  list.Masked = true;  // had masks been added, they would now show
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.FindTransparentPixel(i), NoPoint) << i;
}

TEST(ResizeImagesTest, NearestPixelModeKeepsExactColours) {
  TList list = ListOfThree();
  list.DoResample = false;
  ASSERT_TRUE(list.ResizeImages(15, 12));
  EXPECT_EQ(list.Height(), 12);
  EXPECT_TRUE(list.IsTransparent(0, 0, 0));
  EXPECT_TRUE(list.IsTransparent(1, 4, 11));
  EXPECT_FALSE(list.IsTransparent(0, 5, 0));
  EXPECT_EQ(list.Image(0).Pixel(14, 11), clRed);
}

TEST(ResizeImagesTest, EnlargingWorksToo) {
  TList list = ListOfThree();
  ASSERT_TRUE(list.ResizeImages(45, 45));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_TRUE(list.IsTransparent(0, 0, 0));
  EXPECT_EQ(list.Image(2).Pixel(20, 20), clBlue);
}

}  // namespace
}  // namespace detonix
