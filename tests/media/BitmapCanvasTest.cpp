#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Png.h"

namespace detonix {
namespace {

int CountPixels(const TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) == c ? 1 : 0;
  return n;
}

TEST(BitmapTest, NewBitmapIsWhiteWithRowsOfFourBytes) {
  TBitmap b(7, 3);
  EXPECT_EQ(b.Stride(), 28);
  EXPECT_EQ(CountPixels(b, clWhite), 21);
  b.Row(2)[6] = 0xFF123456;
  EXPECT_EQ(b.Pixel(6, 2), 0x123456u);
  // Memory order is blue, green, red, as DIB sections and RGB888 surfaces have it.
  EXPECT_EQ(b.Bits()[2 * 28 + 6 * 4 + 0], 0x56);
  EXPECT_EQ(b.Bits()[2 * 28 + 6 * 4 + 2], 0x12);
}

TEST(BitmapTest, OutsideReadsAreBlackAndWritesAreIgnored) {
  TBitmap b(2, 2);
  b.SetPixel(-1, 0, clRed);
  b.SetPixel(2, 1, clRed);
  b.SetPixel(0, 2, clRed);
  EXPECT_EQ(CountPixels(b, clWhite), 4);
  EXPECT_EQ(b.Pixel(5, 5), clBlack);
  EXPECT_EQ(b.Pixel(-1, 0), clBlack);
}

TEST(BitmapTest, SetSizeKeepsTheSharedPartAndWhitensTheRest) {
  TBitmap b(3, 2, clRed);
  b.SetSize(4, 3);
  EXPECT_EQ(b.Pixel(2, 1), clRed);
  EXPECT_EQ(b.Pixel(3, 0), clWhite);
  EXPECT_EQ(b.Pixel(0, 2), clWhite);
  b.SetSize(-4, 2);
  EXPECT_TRUE(b.Empty());
}

TEST(BitmapTest, WrappedMemoryIsDrawnIntoAndPaddingLeftAlone) {
  // Two pixels a row plus one pixel of padding, as a surface with a wider pitch has.
  std::vector<uint32_t> memory(3 * 2, 0xDEADBEEF);
  TBitmap b = TBitmap::Wrap(memory.data(), 2, 2, 12);
  TCanvas c(b);
  c.Brush.Color = clBlue;
  c.FillRect({0, 0, 5, 5});
  EXPECT_EQ(memory[0] & 0xFFFFFFu, clBlue);
  EXPECT_EQ(memory[4] & 0xFFFFFFu, clBlue);
  EXPECT_EQ(memory[2], 0xDEADBEEFu);
  EXPECT_EQ(memory[5], 0xDEADBEEFu);
  TBitmap copy = b;
  copy.SetPixel(0, 0, clRed);
  EXPECT_TRUE(copy.Owned());
  EXPECT_EQ(memory[0] & 0xFFFFFFu, clBlue);
  EXPECT_THROW(TBitmap::Wrap(memory.data(), 4, 2, 12), std::invalid_argument);
}

TEST(CanvasTest, DrawIsClippedAndReportsWhatChanged) {
  TBitmap target(5, 5);
  TBitmap source(4, 4, clRed);
  TCanvas c(target);
  std::vector<TRect> changes;
  c.OnChange = [&](const TRect& r) { changes.push_back(r); };
  c.Draw(-2, -2, source);
  EXPECT_EQ(CountPixels(target, clRed), 4);
  EXPECT_EQ(target.Pixel(1, 1), clRed);
  EXPECT_EQ(target.Pixel(2, 2), clWhite);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], (TRect{0, 0, 2, 2}));
  c.Draw(3, 4, source);
  EXPECT_EQ(changes.back(), (TRect{3, 4, 5, 5}));
  changes.clear();
  c.Draw(5, 0, source);
  c.Draw(-4, 0, source);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(CountPixels(target, clRed), 6);
}

TEST(CanvasTest, CopyRectTakesOnlyThePart) {
  TBitmap source(4, 4, clBlue);
  source.SetPixel(2, 1, clRed);
  TBitmap target(3, 3);
  TCanvas c(target);
  c.CopyRect(1, 1, source, {2, 1, 6, 2});  // reaches past the source: only (2..3, 1) exist
  EXPECT_EQ(target.Pixel(1, 1), clRed);
  EXPECT_EQ(target.Pixel(2, 1), clBlue);
  EXPECT_EQ(CountPixels(target, clWhite), 7);
}

TEST(CanvasTest, FillRectIsClipped) {
  TBitmap target(4, 4);
  TCanvas c(target);
  c.Brush.Color = clYellow;
  c.FillRect({2, -3, 9, 1});
  EXPECT_EQ(CountPixels(target, clYellow), 2);
  c.FillRect({3, 3, 2, 4});  // empty
  EXPECT_EQ(CountPixels(target, clYellow), 2);
}

TEST(CanvasTest, TextWidthGrowsWithTheText) {
  TBitmap target(10, 10);
  TCanvas c(target);
  EXPECT_EQ(c.TextWidth(""), 0);
  const int one = c.TextWidth("1");
  EXPECT_GT(one, 2);
  EXPECT_GT(c.TextWidth("10"), one);
  EXPECT_GT(c.TextHeight("10"), 8);
  c.Font.Size = 22;
  EXPECT_GT(c.TextWidth("1"), one);
}

TEST(CanvasTest, TextOutDrawsInTheFontColourInsideItsBox) {
  TBitmap target(60, 30);
  TCanvas c(target);
  c.Font.Color = clRed;
  c.Brush.Style = bsClear;
  std::vector<TRect> changes;
  c.OnChange = [&](const TRect& r) { changes.push_back(r); };
  c.TextOut(10, 5, "10");
  const TRect box = TRect::FromSize(10, 5, c.TextWidth("10") + 1, c.TextHeight("10"));
  int strong = 0;
  for (int y = 0; y < target.Height(); ++y)
    for (int x = 0; x < target.Width(); ++x) {
      const TColor p = target.Pixel(x, y);
      if (p == clWhite) continue;
      EXPECT_TRUE(box.Contains(x, y)) << "ink at " << x << "," << y;
      // Anti-aliased ink lies between white and red: red stays full.
      EXPECT_EQ(RedOf(p), 255);
      strong += GreenOf(p) < 64 ? 1 : 0;
    }
  EXPECT_GT(strong, 6);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_FALSE(changes[0].IsEmpty());
}

TEST(CanvasTest, SolidBrushFillsTheTextBox) {
  TBitmap target(40, 20);
  TCanvas c(target);
  c.Brush.Color = clBlue;
  c.TextOut(2, 2, "Ab");
  EXPECT_EQ(target.Pixel(2, 2), clBlue);
  EXPECT_EQ(target.Pixel(1, 2), clWhite);
}

TEST(CanvasTest, OddTextDoesNotBreakTheWriter) {
  TBitmap target(80, 20);
  TCanvas c(target);
  c.Brush.Style = bsClear;
  EXPECT_GT(c.TextWidth("Gr\xC3\xB6\xC3\x9F" "e"), 0);
  c.TextOut(-5, -5, "\xFF\xC3");  // bad bytes, partly off the bitmap
  c.TextOut(70, 15, "Olandrix");
  c.Font.Style = fsBold;
  EXPECT_GT(c.TextWidth("Tavvy"), 0);
}

TEST(PngTest, WrittenFileReadsBackTheSame) {
  TBitmap b(5, 3, 0x203040);
  b.SetPixel(4, 2, clYellow);
  b.SetPixel(0, 1, 0x010203);
  const auto path = (std::filesystem::temp_directory_path() / "detonix_png_test.png").string();
  SavePng(b, path);
  const TBitmap back = LoadPng(path);
  std::remove(path.c_str());
  EXPECT_TRUE(back.SamePixels(b));
  EXPECT_EQ(back.Row(0)[0] >> 24, 0xFFu);  // no alpha written: opaque
}

TEST(PngTest, BadInputThrows) {
  const std::vector<uint8_t> junk{1, 2, 3, 4, 5};
  EXPECT_THROW(LoadPngFromMemory(junk), std::runtime_error);
  EXPECT_THROW(LoadPng("/nonexistent/detonix.png"), std::runtime_error);
  EXPECT_THROW(SavePng(TBitmap(), "/tmp/detonix_empty.png"), std::runtime_error);
}

}  // namespace
}  // namespace detonix
