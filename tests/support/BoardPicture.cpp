#include "support/BoardPicture.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace detonix::test {

namespace {

constexpr std::string_view PowerUpSymbols = "BEKISD";  // otBombPUP .. otIndestructPUP

}  // namespace

TBoardGeometry PictureGeometry(const TPicture& picture, int cellSize) {
  if (picture.empty() || picture.front().empty()) throw std::invalid_argument("empty test picture");
  for (const auto& row : picture)
    if (row.size() != picture.front().size()) throw std::invalid_argument("ragged test picture: " + row);
  return {cellSize, static_cast<int>(picture.front().size()), static_cast<int>(picture.size())};
}

TPictureContents ReadPicture(const TPicture& picture, TDetonixMazeGrid& maze, TDetonixIntGrid& powerUps,
                             const std::vector<TPictureBomb>& bombs) {
  TPictureContents out;
  for (int y = 0; y < static_cast<int>(picture.size()); ++y) {
    const std::string& row = picture[static_cast<size_t>(y)];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      const char c = row[static_cast<size_t>(x)];
      const TPoint p{x, y};
      TObjectType t = otEmpty;
      switch (c) {
        case '#': t = otBlock; break;
        case '.': t = otEmpty; break;
        case '+': t = otExpBlock; break;
        case '*':
          t = otExpBlock;
          powerUps.SetCell(p, static_cast<int8_t>(Ord(otBombPUP)));
          break;
        case 'x': t = otExplosion; break;
        case 'X': t = otBExplosion; break;
        case '1': out.Players[0] = p; break;
        case '2': out.Players[1] = p; break;
        default:
          if (const size_t kind = PowerUpSymbols.find(c); kind != std::string_view::npos) {
            t = static_cast<TObjectType>(Ord(otBombPUP) + static_cast<int>(kind));
          } else if (c == 'o' || (c >= 'a' && c <= 'n')) {
            TPictureBomb bomb{c};
            for (const auto& s : bombs)
              if (s.Symbol == c) bomb = s;
            out.Bombs.push_back(bomb);
            out.BombCells.push_back(p);
            t = otBomb;
          } else {
            throw std::invalid_argument(std::string("unknown symbol in test picture: ") + c);
          }
      }
      maze.SetCell(p, t);
    }
  }
  return out;
}

std::string DrawBoard(const TGameState& state, const TDetonixMazeGrid* from) {
  const TDetonixMazeGrid& maze = from ? *from : state.MazeGrid;
  std::string out;
  for (int y = 0; y < state.RowCount; ++y) {
    for (int x = 0; x < state.ColCount; ++x) {
      const TPoint p{x, y};
      const TObjectType t = maze.GetCell(p);
      char c = '?';
      if (state.Player1 && state.Player1->Position == p) c = '1';
      else if (state.Player2 && state.Player2->Position == p) c = '2';
      else if (IsPowerUpType(t)) c = PowerUpSymbols[static_cast<size_t>(Ord(t) - Ord(otBombPUP))];
      else {
        switch (t) {
          case otBlock: c = '#'; break;
          case otEmpty: c = '.'; break;
          case otExpBlock: c = state.PowerUpGrid.GetCell(p) >= 0 ? '*' : '+'; break;
          case otBomb: c = 'o'; break;
          case otExplosion: c = 'x'; break;
          case otBExplosion: c = 'X'; break;
          default: break;
        }
      }
      out += c;
    }
    out += '\n';
  }
  return out;
}

std::unique_ptr<TBoard> BoardFromPicture(const TPicture& picture) {
  const TBoardGeometry g = PictureGeometry(picture);
  auto board = std::make_unique<TBoard>(g.ColCount, g.RowCount);
  ReadPicture(picture, board->State.MazeTemplate, board->State.PowerUpGrid);
  return board;
}

std::string Describe(TPoint p) { return "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")"; }

}  // namespace detonix::test
