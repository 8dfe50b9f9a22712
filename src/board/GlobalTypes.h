#pragma once

#include <cstdint>

#include "board/GameConstants.h"

namespace detonix {

// Content of one board cell. The ordinals are binding: ranges are compared, and the ordinal is
// also the picture index in the object image list.
enum class TObjectType : uint8_t {
  otBlock = 0,          // fixed block
  otEmpty = 1,          // floor
  otExpBlock = 2,       // destructible block
  otBomb = 3,
  otExplosion = 4,      // flame on an open cell
  otBExplosion = 5,     // a destructible block being blown up
  otBombPUP = 6,        // power-ups from here on
  otExpSizePUP = 7,
  otSBombPUP = 8,       // kicking bombs
  otInvisiblePUP = 9,
  otSKBombsPUP = 10,    // seeking bombs
  otIndestructPUP = 11,
};
using enum TObjectType;
constexpr int ObjectTypeCount = 12;

constexpr int Ord(TObjectType t) { return static_cast<int>(t); }

// A step on the board; the same ordinals are a computer player's move actions.
enum class TDirection : uint8_t { dirLeft = 0, dirRight = 1, dirUp = 2, dirDown = 3 };
using enum TDirection;
// Neighbour searches try the directions in this order.
constexpr TDirection AllDirections[4] = {dirLeft, dirRight, dirUp, dirDown};

constexpr int Ord(TDirection d) { return static_cast<int>(d); }

// A cell: X is the column, Y the row.
struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

constexpr TPoint NoPoint{-1, -1};

constexpr bool PointsEqual(TPoint a, TPoint b) { return a.X == b.X && a.Y == b.Y; }

// Only X is looked at: NoPoint and every point left of the board are invalid.
constexpr bool IsValidPoint(TPoint p) { return p.X >= 0; }

constexpr TPoint Neighbour(TPoint p, TDirection dir) {
  switch (dir) {
    case dirLeft: return {p.X - 1, p.Y};
    case dirRight: return {p.X + 1, p.Y};
    case dirUp: return {p.X, p.Y - 1};
    case dirDown: return {p.X, p.Y + 1};
  }
  return p;
}

constexpr void MovePoint(TPoint& p, TDirection dir) { p = Neighbour(p, dir); }

constexpr TDirection Opposite(TDirection dir) {
  switch (dir) {
    case dirLeft: return dirRight;
    case dirRight: return dirLeft;
    case dirUp: return dirDown;
    case dirDown: return dirUp;
  }
  return dir;
}

// Packs an on-board point into one 32-bit value: (X shl 16) or Y.
constexpr int32_t PointToKey(TPoint p) {
  return static_cast<int32_t>((static_cast<uint32_t>(p.X) << 16) | (static_cast<uint32_t>(p.Y) & 0xFFFFu));
}

constexpr TPoint KeyToPoint(int32_t key) {
  const auto k = static_cast<uint32_t>(key);
  return {static_cast<int32_t>(k >> 16), static_cast<int32_t>(k & 0xFFFFu)};
}

// Also applied to power-up grid values, where -1 means none.
constexpr bool IsPowerUpType(int v) { return v >= Ord(otBombPUP); }
constexpr bool IsPowerUpType(TObjectType t) { return IsPowerUpType(Ord(t)); }

// Size of the board, fixed when the simulator is created.
struct TBoardGeometry {
  int CellSize = NativeCellSize;
  int ColCount = 0;
  int RowCount = 0;

  // The board that fits a paint surface: the right and bottom remainders belong to no cell.
  static TBoardGeometry ForSurface(int width, int height, int cellSize) {
    return {cellSize, cellSize > 0 ? width / cellSize : 0, cellSize > 0 ? height / cellSize : 0};
  }
  bool OnBoard(TPoint p) const { return p.X >= 0 && p.X < ColCount && p.Y >= 0 && p.Y < RowCount; }
};

}  // namespace detonix
