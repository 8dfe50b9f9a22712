#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "board/GlobalTypes.h"
#include "platform/Bitmap.h"
#include "platform/ImageList.h"

namespace detonix {

// One source pixel's share in a destination pixel, along one axis.
struct TContributor {
  int32_t Pixel = 0;  // source index after reflection at the edges
  float Weight = 0;
};
using TContributorList = std::vector<TContributor>;

// The contributors of one destination column or row.
struct TCList {
  int32_t Count = 0;
  TContributorList List;
};
using TCListList = std::vector<TCList>;

// Raised by Resample ("Image Resampling Error") and StretchNearest ("Image Resizing Error").
class EImageResizeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An image list that can rescale all its images to a new size and keep their transparency: the
// board's pictures are drawn at 30 pixels and shrunk to the preview's cell size.
class TResizableImageList : public TImageList {
 public:
  using TImageList::TImageList;

  // True: the windowed-sinc filter; false: nearest pixel.
  bool DoResample = true;

  // Rescales every image, keeping indices. True on success; on failure False, and the list is left
  // unchanged if the failure came before it was emptied. Nothing is thrown.
  bool ResizeImages(int32_t newWidth, int32_t newHeight);
  // The first transparent pixel of image Index, rows from the top; NoPoint when none or unmasked.
  TPoint FindTransparentPixel(int32_t index) const;

  // After an enlargement by Resample: pixels whose nearest source pixel is transparent get the
  // mask colour back, the others never have it.
  void KeepTransparentAreas(int32_t index, TBitmap& enlarged, TColor maskColour) const;

  static void Resample(TBitmap& bitmap, int32_t newWidth, int32_t newHeight);
  static void StretchNearest(TBitmap& bitmap, int32_t newWidth, int32_t newHeight);
  static TPoint FindWhitePixel(TBitmap& bitmap);
  static float SincOf(float x);
  static float LanczosWeight(float x);
  // Rounds halves to even, clamps to 0..255, and stores blue, green, red at Pixel.
  static void ClampRGB(float r, float g, float b, uint32_t& pixel);
};

}  // namespace detonix
