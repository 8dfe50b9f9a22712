#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/Canvas.h"
#include "platform/ImageList.h"

namespace detonix {
namespace {

// A 4x4 picture: black with its top row of the given colour.
TBitmap Picture(TColor top, TColor rest = clBlack) {
  TBitmap b(4, 4, rest);
  for (int x = 0; x < 4; ++x) b.SetPixel(x, 0, top);
  return b;
}

TEST(ImageListTest, MaskedDrawLeavesTransparentPixels) {
  TImageList list(4, 4);
  TBitmap mask(4, 4, clBlack);
  mask.SetPixel(1, 1, clWhite);
  list.Add(Picture(clRed), &mask);
  TBitmap target(6, 6, clBlue);
  TCanvas c(target);
  list.Draw(c, 1, 1, 0);
  EXPECT_EQ(target.Pixel(2, 2), clBlue);  // the clear pixel
  EXPECT_EQ(target.Pixel(1, 1), clRed);
  EXPECT_EQ(target.Pixel(3, 3), clBlack);
  EXPECT_EQ(target.Pixel(5, 5), clBlue);  // outside the image
  EXPECT_TRUE(list.IsTransparent(0, 1, 1));
  EXPECT_FALSE(list.IsTransparent(0, 0, 0));

  // Cut off at the left edge, the opaque pixels on either side of the clear one land where they belong.
  TBitmap row(Picture(clRed));
  row.SetPixel(2, 1, clLime);
  row.SetPixel(3, 1, clYellow);
  list.Add(row, &mask);
  TBitmap edge(3, 3, clBlue);
  TCanvas e(edge);
  list.Draw(e, -1, 0, 1);
  EXPECT_EQ(edge.Pixel(0, 0), clRed);
  EXPECT_EQ(edge.Pixel(0, 1), clBlue);  // the clear pixel
  EXPECT_EQ(edge.Pixel(1, 1), clLime);
  EXPECT_EQ(edge.Pixel(2, 1), clYellow);
}

TEST(ImageListTest, UnmaskedListDrawsEveryPixel) {
  TImageList list(4, 4, false);
  list.AddMasked(Picture(clRed), clBlack);
  TBitmap target(4, 4, clBlue);
  TCanvas c(target);
  list.Draw(c, 0, 0, 0);
  EXPECT_EQ(target.Pixel(2, 2), clBlack);
}

TEST(ImageListTest, AddMaskedClearsOnlyTheExactColour) {
  TImageList list(4, 4);
  list.AddMasked(Picture(0xFFFFFE, clWhite), clWhite);
  TBitmap target(4, 4, clBlue);
  TCanvas c(target);
  list.Draw(c, 0, 0, 0);
  EXPECT_EQ(target.Pixel(0, 0), 0xFFFFFEu);
  EXPECT_EQ(target.Pixel(0, 1), clBlue);
}

TEST(ImageListTest, FocusStyleBlendsWithTheBlendColour) {
  TImageList list(4, 4);
  list.AddMasked(Picture(clRed, clBlack), clBlack);
  TBitmap target(4, 4, clBlue);
  TCanvas c(target);
  list.BlendColor = clWhite;
  list.DrawingStyle = dsFocus;
  list.Draw(c, 0, 0, 0);
  EXPECT_EQ(target.Pixel(0, 0), RGBColor(255, 128, 128));  // red half way to white: pale
  EXPECT_EQ(target.Pixel(0, 1), clBlue);                   // still masked
  list.BlendColor = clBlack;
  list.Draw(c, 0, 0, 0, dsFocus, itImage);
  EXPECT_EQ(target.Pixel(0, 0), RGBColor(128, 0, 0));
  list.Draw(c, 0, 0, 0, dsNormal, itImage);
  EXPECT_EQ(target.Pixel(0, 0), clRed);
}

TEST(ImageListTest, MaskTypeDrawsWhiteWhereClear) {
  TImageList list(4, 4);
  list.AddMasked(Picture(clRed, clBlack), clBlack);
  TBitmap target(4, 4, clBlue);
  TCanvas c(target);
  list.Draw(c, 0, 0, 0, dsNormal, itMask);
  EXPECT_EQ(target.Pixel(0, 0), clBlack);
  EXPECT_EQ(target.Pixel(2, 3), clWhite);
}

TEST(ImageListTest, StripAddsOneImagePerWidth) {
  TImageList list(4, 4);
  TBitmap strip(9, 4, clRed);  // two whole images; the last column is left over
  for (int y = 0; y < 4; ++y)
    for (int x = 4; x < 8; ++x) strip.SetPixel(x, y, clLime);
  EXPECT_EQ(list.Add(strip, nullptr), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Image(1).Pixel(0, 0), clLime);
  EXPECT_EQ(list.Add(Picture(clRed), nullptr), 2);
  EXPECT_THROW(list.Add(TBitmap(3, 4), nullptr), std::invalid_argument);
}

TEST(ImageListTest, ResizingEmptiesAndBadSizesThrow) {
  TImageList list(4, 4);
  list.Add(Picture(clRed), nullptr);
  list.SetWidth(5);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Width(), 5);
  EXPECT_THROW(list.SetHeight(0), std::invalid_argument);
  EXPECT_EQ(list.Height(), 4);
}

TEST(ImageListTest, BadIndexDrawsNothingAndEdgesClip) {
  TImageList list(4, 4);
  list.Add(Picture(clRed), nullptr);
  TBitmap target(3, 3, clBlue);
  TCanvas c(target);
  int changes = 0;
  c.OnChange = [&](const TRect&) { ++changes; };
  list.Draw(c, 0, 0, 1);
  list.Draw(c, 0, 0, -1);
  EXPECT_EQ(changes, 0);
  list.Draw(c, -1, -1, 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(target.Pixel(0, 0), clBlack);
  list.Draw(c, 2, -0, 0);
  EXPECT_EQ(target.Pixel(2, 0), clRed);
}

TEST(ImageListTest, DisabledImagesAreGrey) {
  TImageList list(4, 4);
  list.Add(Picture(clRed), nullptr);
  TBitmap target(4, 4);
  TCanvas c(target);
  list.Draw(c, 0, 0, 0, false);
  const TColor p = target.Pixel(0, 0);
  EXPECT_EQ(RedOf(p), GreenOf(p));
  EXPECT_EQ(GreenOf(p), BlueOf(p));
}

}  // namespace
}  // namespace detonix
