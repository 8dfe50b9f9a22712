#pragma once

// The game's measures, each written once: everything else is derived from these.
namespace detonix {

// The pictures' own size: a cell at 100 % (96 dots per inch).
constexpr int NativeCellSize = 30;
// The saver ends on a pointer movement beyond this many pixels at 100 %, on either axis.
constexpr int PointerTolerance = 20;
// PIXELS times TO / FROM, rounded: how every measure grows with a scale.
constexpr int Proportional(int pixels, int to, int from) { return (pixels * to + from / 2) / from; }
// A scaled display gets the pixels above in proportion.
constexpr int NativeDpi = 96;
constexpr int ScaledPixels(int pixels, int dpi) { return Proportional(pixels, dpi, NativeDpi); }
// An ordinary window's board at 100 %.
constexpr int DefaultWindowWidth = 1024;
constexpr int DefaultWindowHeight = 768;
// The scales a run may be given instead of the display's.
constexpr double MinScale = 0.5;
constexpr double MaxScale = 4;
// The preview's cells: about this many across its width.
constexpr int PreviewColumns = 14;

}  // namespace detonix
