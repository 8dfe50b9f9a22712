#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "board/GameState.h"
#include "platform/Application.h"
#include "platform/Clock.h"

namespace detonix::test {

// Boards drawn as text, one string per row (Y), one character per cell (X). The one legend of
// every test, the maze dump of detonix-headless included:
//   #  fixed block    .  floor    +  destructible block    *  destructible block hiding a bomb power-up
//   x  fire           X  burning block
//   B  more bombs  E  explosion size  K  kick  I  invisibility  S  seeking bombs  D  indestructible
//   o  bomb (fuse 10, size 3, no owner);  a..n  bombs described by a TPictureBomb (else as 'o')
//   1 2  the players, standing on floor
using TPicture = std::vector<std::string>;

// A bomb of a picture, by its symbol: a test fixture, not a game record.
struct TPictureBomb {
  char Symbol = 'o';
  int Fuse = 10;
  int Size = 3;
  int Owner = 0;  // 0 none (such a bomb must not go off: the game's bombs all have one), 1 or 2
};

// What a picture holds besides the cells' objects.
struct TPictureContents {
  TPoint Players[2] = {NoPoint, NoPoint};  // NoPoint for a player missing from the picture
  std::vector<TPictureBomb> Bombs;          // in reading order, with their cells in BombCells
  std::vector<TPoint> BombCells;
};

// The board size of a picture; throws std::invalid_argument for an empty or ragged one.
TBoardGeometry PictureGeometry(const TPicture& picture, int cellSize = NativeCellSize);

// Writes the picture's cells into MAZE (bombs as otBomb, players' cells as floor) and the hidden
// power-ups into POWERUPS; cells beyond the picture are left as they are. Throws
// std::invalid_argument for a symbol outside the legend.
TPictureContents ReadPicture(const TPicture& picture, TDetonixMazeGrid& maze, TDetonixIntGrid& powerUps,
                             const std::vector<TPictureBomb>& bombs = {});

// The live board in the same legend, players over their cells; for failure messages and
// comparisons. FROM is MazeGrid unless another grid (the template) is given.
std::string DrawBoard(const TGameState& state, const TDetonixMazeGrid* from = nullptr);

std::string Describe(TPoint p);

// A bare game state of its own, without a simulator or players.
struct TBoard {
  TBoard(int cols, int rows) : App(Clock), State(App, {30, cols, rows}) {}
  TVirtualClock Clock;
  TApplication App;
  TGameState State;
};

// A bare board of the picture's size whose MazeTemplate holds the picture.
std::unique_ptr<TBoard> BoardFromPicture(const TPicture& picture);

}  // namespace detonix::test

namespace detonix {
// Lets GoogleTest print cells as (X,Y).
inline void PrintTo(const TPoint& p, std::ostream* os) { *os << test::Describe(p); }
}  // namespace detonix
