#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/GraphicsTypes.h"

namespace detonix {

enum class TDrawingStyle : uint8_t { dsNormal, dsFocus };
using enum TDrawingStyle;
enum class TImageType : uint8_t { itImage, itMask };
using enum TImageType;

// Images of one size, each with a transparency mask. A masked list draws only the opaque pixels
// of an image; an unmasked one draws every pixel.
class TImageList {
 public:
  TImageList(int32_t width = 16, int32_t height = 16, bool masked = true);
  virtual ~TImageList() = default;
  TImageList(const TImageList&) = default;
  TImageList& operator=(const TImageList&) = default;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  int32_t Count() const { return static_cast<int32_t>(FImages.size()); }
  // Changing the size empties the list. A size below 1 throws std::invalid_argument.
  void SetWidth(int32_t width) { SetSize(width, FHeight); }
  void SetHeight(int32_t height) { SetSize(FWidth, height); }
  void SetSize(int32_t width, int32_t height);
  void Clear() { FImages.clear(); }

  bool Masked = true;
  // The focus style mixes every drawn pixel half and half with this colour.
  TColor BlendColor = clWhite;
  TDrawingStyle DrawingStyle = dsNormal;

  // Adds one image per list width in the image (a strip), each with the matching part of Mask,
  // whose non-black pixels are transparent; no mask makes every pixel opaque. The image must be
  // at least one list image wide and high (std::invalid_argument otherwise). Gives the first index.
  int32_t Add(const TBitmap& image, const TBitmap* mask);
  // As Add, with every pixel of exactly MaskColor transparent.
  int32_t AddMasked(const TBitmap& image, TColor maskColor);

  // Draws image Index with its top-left corner at (x, y) in the list's drawing style. An index
  // outside the list draws nothing.
  void Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled = true) const;
  // The mask type draws the mask itself: white where the image is transparent, black elsewhere.
  void Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, TDrawingStyle style, TImageType type,
            bool enabled = true) const;

  // The image's own pixels and whether each is transparent (Width x Height, row by row).
  const TBitmap& Image(int32_t index) const { return FImages.at(static_cast<size_t>(index)).Pixels; }
  bool IsTransparent(int32_t index, int32_t x, int32_t y) const;

 private:
  struct TEntry {
    TBitmap Pixels;
    std::vector<uint8_t> Transparent;  // one byte per pixel, 1 where transparent
    bool AnyTransparent = false;
    // The opaque runs [begin, end) of each row: row Y's are Runs[RowRuns[Y]] up to Runs[RowRuns[Y + 1]].
    std::vector<std::pair<int32_t, int32_t>> Runs;
    std::vector<size_t> RowRuns;
  };
  template <class IsClear>
  int32_t AddStrip(const TBitmap& image, IsClear isClear);

  int32_t FWidth;
  int32_t FHeight;
  std::vector<TEntry> FImages;
};

}  // namespace detonix
