#pragma once

#include <memory>
#include <string>
#include <vector>

#include "board/GameState.h"
#include "platform/Application.h"
#include "platform/Clock.h"

namespace detonix::test {

// A fresh game state of its own for every test.
struct TBoard {
  TBoard(int cols, int rows) : App(Clock), State(App, {30, cols, rows}) {}
  TVirtualClock Clock;
  TApplication App;
  TGameState State;
};

// A board drawn as text, one string per row: '#' fixed block, '.' floor, '+' destructible block.
inline std::unique_ptr<TBoard> BoardFromPicture(const std::vector<std::string>& rows) {
  auto board = std::make_unique<TBoard>(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[static_cast<size_t>(y)].size()); ++x) {
      const char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      board->State.MazeTemplate.SetCell(x, y, c == '.' ? otEmpty : c == '+' ? otExpBlock : otBlock);
    }
  return board;
}

}  // namespace detonix::test
