#include "Painter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace detonix::art {

namespace {
// Sub-pixels a side per pixel: 4, fewer where that would make the grid more than 1024 a side, so a
// huge cell takes seconds rather than minutes; edges that long show no steps anyway.
int SubPixels(int size) { return std::clamp(1024 / std::max(size, 1), 1, 4); }
}

TRGBA C(TColor c, float alpha) {
  return {static_cast<float>(RedOf(c)) / 255.0f, static_cast<float>(GreenOf(c)) / 255.0f,
          static_cast<float>(BlueOf(c)) / 255.0f, alpha};
}

TRGBA Mix(TRGBA a, TRGBA b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

TRGBA Lighter(TRGBA c, float t) { return Mix(c, {1, 1, 1, c.A}, t); }
TRGBA Darker(TRGBA c, float t) { return Mix(c, {0, 0, 0, c.A}, t); }

TPaint Flat(TRGBA c) {
  return [c](float, float) { return c; };
}

TPaint Radial(float cx, float cy, float r, TRGBA inner, TRGBA outer) {
  return [=](float x, float y) { return Mix(inner, outer, std::hypot(x - cx, y - cy) / r); };
}

TPaint Vertical(float y0, float y1, TRGBA top, TRGBA bottom) {
  return [=](float, float y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); };
}

float Hash(int x, int y, int salt) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(salt) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFu) / 65535.0f;
}

TPainter::TPainter(int size, float unit)
    : FSize(size), FSub(SubPixels(size)), FGrid(size * FSub), FUnit(unit), FPixels(static_cast<size_t>(FGrid) * FGrid) {}

template <class Inside>
void TPainter::FillBox(float x0, float y0, float x1, float y1, Inside inside, const TPaint& paint) {
  // Picture units to sub-pixels and back.
  const float k = FUnit * FZoom * FSub;
  const int gx0 = std::max(0, static_cast<int>(std::floor((FOx + x0 * FZoom) * FUnit * FSub)));
  const int gy0 = std::max(0, static_cast<int>(std::floor((FOy + y0 * FZoom) * FUnit * FSub)));
  const int gx1 = std::min(FGrid, static_cast<int>(std::ceil((FOx + x1 * FZoom) * FUnit * FSub)) + 1);
  const int gy1 = std::min(FGrid, static_cast<int>(std::ceil((FOy + y1 * FZoom) * FUnit * FSub)) + 1);
  for (int gy = gy0; gy < gy1; ++gy)
    for (int gx = gx0; gx < gx1; ++gx) {
      const float x = ((static_cast<float>(gx) + 0.5f) - FOx * FUnit * FSub) / k;
      const float y = ((static_cast<float>(gy) + 0.5f) - FOy * FUnit * FSub) / k;
      if (!inside(x, y)) continue;
      const TRGBA src = paint(x, y);
      TRGBA& dst = FPixels[static_cast<size_t>(gy) * FGrid + gx];
      const float a = std::clamp(src.A, 0.0f, 1.0f);
      dst.R = src.R * a + dst.R * (1 - a);
      dst.G = src.G * a + dst.G * (1 - a);
      dst.B = src.B * a + dst.B * (1 - a);
      dst.A = a + dst.A * (1 - a);
    }
}

void TPainter::Fill(const std::function<bool(float, float)>& inside, const TPaint& paint) {
  FillBox(-1000, -1000, 1000, 1000, inside, paint);
}

void TPainter::Rect(float x0, float y0, float x1, float y1, const TPaint& paint) {
  FillBox(x0, y0, x1, y1, [=](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, paint);
}

void TPainter::RoundRect(float x0, float y0, float x1, float y1, float r, const TPaint& paint) {
  FillBox(x0, y0, x1, y1,
          [=](float x, float y) {
            if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
            const float dx = std::max({x0 + r - x, 0.0f, x - (x1 - r)});
            const float dy = std::max({y0 + r - y, 0.0f, y - (y1 - r)});
            return dx * dx + dy * dy <= r * r;
          },
          paint);
}

void TPainter::Ellipse(float cx, float cy, float rx, float ry, const TPaint& paint) {
  FillBox(cx - rx, cy - ry, cx + rx, cy + ry,
          [=](float x, float y) {
            const float u = (x - cx) / rx;
            const float v = (y - cy) / ry;
            return u * u + v * v <= 1.0f;
          },
          paint);
}

void TPainter::Ring(float cx, float cy, float r, float width, const TPaint& paint) {
  FillBox(cx - r - width, cy - r - width, cx + r + width, cy + r + width,
          [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) <= width / 2; }, paint);
}

void TPainter::Polygon(const std::vector<TPt>& pts, const TPaint& paint) {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (const TPt& p : pts) {
    x0 = std::min(x0, p.X);
    y0 = std::min(y0, p.Y);
    x1 = std::max(x1, p.X);
    y1 = std::max(y1, p.Y);
  }
  FillBox(x0, y0, x1, y1,
          [&pts](float x, float y) {
            bool in = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
              const TPt& a = pts[i];
              const TPt& b = pts[j];
              if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X) in = !in;
            }
            return in;
          },
          paint);
}

void TPainter::Line(float x0, float y0, float x1, float y1, float width, const TPaint& paint) {
  const float h = width / 2;
  FillBox(std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h,
          [=](float x, float y) {
            const float dx = x1 - x0;
            const float dy = y1 - y0;
            const float len2 = dx * dx + dy * dy;
            const float t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
            return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= h;
          },
          paint);
}

void TPainter::Curve(TPt a, TPt c, TPt b, float width, const TPaint& paint) {
  constexpr int Steps = 12;
  TPt prev = a;
  for (int i = 1; i <= Steps; ++i) {
    const float t = static_cast<float>(i) / Steps;
    const float u = 1 - t;
    const TPt p{u * u * a.X + 2 * u * t * c.X + t * t * b.X, u * u * a.Y + 2 * u * t * c.Y + t * t * b.Y};
    Line(prev.X, prev.Y, p.X, p.Y, width, paint);
    prev = p;
  }
}

// Every sub-pixel within Width of a solid one, from the exact squared distance to the nearest
// solid sub-pixel: along each row first, then down each column as the lower envelope of the rows'
// parabolas. Linear in the picture's area, whatever the width, so large pictures stay quick.
std::vector<uint8_t> TPainter::Dilated(float width) const {
  const int r = std::max(1, static_cast<int>(std::lround(width * FUnit * FZoom * FSub)));
  const int n = FGrid;
  const int none = n + r + 1;  // farther than any rim reaches
  std::vector<int64_t> dist(FPixels.size());
  for (int y = 0; y < n; ++y) {
    const TRGBA* src = &FPixels[static_cast<size_t>(y) * n];
    int64_t* row = &dist[static_cast<size_t>(y) * n];
    int d = none;
    for (int x = 0; x < n; ++x) row[x] = d = src[x].A >= 0.5f ? 0 : std::min(d + 1, none);
    d = none;
    for (int x = n - 1; x >= 0; --x) {
      d = row[x] == 0 ? 0 : std::min(d + 1, none);
      const int64_t gap = std::min<int64_t>(row[x], d);
      row[x] = gap * gap;
    }
  }
  std::vector<uint8_t> out(FPixels.size(), 0);
  std::vector<int64_t> f(static_cast<size_t>(n));
  std::vector<int> v(static_cast<size_t>(n));
  std::vector<double> z(static_cast<size_t>(n) + 1);
  const double inf = std::numeric_limits<double>::infinity();
  const int64_t reach = static_cast<int64_t>(r) * r;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) f[static_cast<size_t>(y)] = dist[static_cast<size_t>(y) * n + x];
    const auto cross = [&f](int q, int p) {  // where the parabolas of rows q and p meet
      const auto at = [&f](int i) { return static_cast<double>(f[static_cast<size_t>(i)] + static_cast<int64_t>(i) * i); };
      return (at(q) - at(p)) / (2.0 * (q - p));
    };
    int k = 0;
    v[0] = 0;
    z[0] = -inf;
    z[1] = inf;
    for (int q = 1; q < n; ++q) {
      double s = cross(q, v[static_cast<size_t>(k)]);
      while (s <= z[static_cast<size_t>(k)]) s = cross(q, v[static_cast<size_t>(--k)]);
      v[static_cast<size_t>(++k)] = q;
      z[static_cast<size_t>(k)] = s;
      z[static_cast<size_t>(k) + 1] = inf;
    }
    k = 0;
    for (int y = 0; y < n; ++y) {
      while (z[static_cast<size_t>(k) + 1] < y) ++k;
      const int p = v[static_cast<size_t>(k)];
      const int64_t d2 = static_cast<int64_t>(y - p) * (y - p) + f[static_cast<size_t>(p)];
      if (d2 <= reach) out[static_cast<size_t>(y) * n + x] = 1;
    }
  }
  return out;
}

void TPainter::Outline(float width, TRGBA colour) {
  const std::vector<uint8_t> rim = Dilated(width);
  for (size_t i = 0; i < FPixels.size(); ++i) {
    if (!rim[i]) continue;
    TRGBA& p = FPixels[i];
    const float a = p.A;
    p = {p.R * a + colour.R * (1 - a), p.G * a + colour.G * (1 - a), p.B * a + colour.B * (1 - a), 1.0f};
  }
}

void TPainter::OutlineOnly(float width, TRGBA colour) {
  const std::vector<uint8_t> rim = Dilated(width);
  for (size_t i = 0; i < FPixels.size(); ++i) {
    const bool shape = FPixels[i].A >= 0.5f;
    FPixels[i] = rim[i] && !shape ? colour : TRGBA{};
  }
}

TBitmap TPainter::Translucent() const {
  TBitmap out(FSize, FSize);
  const float samples = static_cast<float>(FSub * FSub);
  for (int y = 0; y < FSize; ++y)
    for (int x = 0; x < FSize; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < FSub; ++sy)
        for (int sx = 0; sx < FSub; ++sx) {
          const TRGBA& p = FPixels[static_cast<size_t>(y * FSub + sy) * FGrid + x * FSub + sx];
          r += p.R * p.A;
          g += p.G * p.A;
          b += p.B * p.A;
          a += p.A;
        }
      const auto byte = [](float v) { return static_cast<uint32_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L)); };
      const uint32_t alpha = byte(a / samples);
      out.Row(y)[x] = alpha == 0 ? 0u : alpha << 24 | byte(r / a) << 16 | byte(g / a) << 8 | byte(b / a);
    }
  return out;
}

TMaskedBitmap TPainter::Result() const {
  TMaskedBitmap out{TBitmap(FSize, FSize, clWhite), TBitmap(FSize, FSize, clBlack)};
  for (int y = 0; y < FSize; ++y)
    for (int x = 0; x < FSize; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < FSub; ++sy)
        for (int sx = 0; sx < FSub; ++sx) {
          const TRGBA& p = FPixels[static_cast<size_t>(y * FSub + sy) * FGrid + x * FSub + sx];
          r += p.R * p.A;
          g += p.G * p.A;
          b += p.B * p.A;
          a += p.A;
        }
      if (a < FSub * FSub * 0.5f) {
        out.Mask.SetPixel(x, y, clWhite);
        continue;
      }
      const auto channel = [a](float v) { return static_cast<uint32_t>(std::clamp(std::lround(v / a * 255.0f), 0L, 255L)); };
      uint32_t cr = channel(r), cg = channel(g), cb = channel(b);
      if (cr == 255 && cg == 255 && cb == 255) cb = 252;
      out.Image.SetPixel(x, y, RGBColor(cr, cg, cb));
    }
  return out;
}

}  // namespace detonix::art
