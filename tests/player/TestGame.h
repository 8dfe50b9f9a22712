#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "board/BombRecords.h"
#include "board/GameState.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "player/ComputerPlayer.h"

namespace detonix::test {

// A bomb drawn as a lower-case letter; 'o' is a fresh bomb of size 3 without an owner.
struct TBombSpec {
  char Symbol = 'o';
  int Fuse = 10;
  int Size = 3;
  int Owner = 0;  // 0 none, 1 or 2 the player
};

// A game state built from a text picture, with two computer players and a small stand-in for the
// simulator's action handler. Legend:
//   #  fixed block         .  floor              +  destructible block
//   *  flame               %  burning block
//   o  bomb, fuse 10, size 3;  a..n bombs described by a TBombSpec (fuse 10, size 3 if not)
//   B  more bombs  E  explosion size  K  kick  I  invisibility  S  seeking bombs  D  indestructible
//   1 2  the players, standing on floor
// Rows are Y, columns X; every row must have the same length. A player missing from the picture
// stands nowhere (NoPoint).
//
// The stand-in is not the game: a move sets the position, collects a power-up and kicks; a bomb
// is laid as the simulator lays it (fuse timer, record, OpponentTarget, escape checks); the fuse
// counts down each second and an explosion burns a cross that chains into other bombs, counts hits
// and clears a second later. It reveals no power-ups and does not flash.
class TTestGame {
 public:
  struct TAction {
    int Player;      // 1 or 2
    uint8_t Action;  // 0..3 move, 4 bomb
    TPoint From;     // where the player stood when it asked
  };

  explicit TTestGame(std::vector<std::string> picture, std::vector<TBombSpec> bombs = {});
  TTestGame(const TTestGame&) = delete;
  TTestGame& operator=(const TTestGame&) = delete;

  // The cell of a symbol that appears exactly once in the picture; fails the test otherwise.
  TPoint Find(char symbol) const;
  TComputerPlayer& Other(const TComputerPlayer& p) { return &p == &Player1 ? Player2 : Player1; }
  int Number(const TComputerPlayer& p) const { return &p == &Player1 ? 1 : 2; }

  // Puts a counting bomb on P (the cell becomes otBomb) with its fuse timer and record.
  TBombRecord& AddBomb(TPoint p, int fuse, int size, TComputerPlayer* owner);
  // Both players' think timers.
  void Start();

  // The stand-in for the simulator's OnAction handler.
  void Perform(uint8_t action, TComputerPlayer& player);
  void Move(TComputerPlayer& player, TDirection dir);
  void LayBomb(TComputerPlayer& player);

  // The board as text, players drawn over their cells; for failure messages.
  std::string Draw() const;
  // Follows P's route grid from its Position: the cells it would walk through, in order.
  std::vector<TPoint> RouteCells(const TComputerPlayer& p) const;
  // The last cell of P's route (Position when there is no step).
  TPoint RouteEnd(const TComputerPlayer& p) const;

  std::vector<std::string> Picture;
  TVirtualClock Clock;
  TApplication App;
  TGameState State;
  TComputerPlayer Player1;
  TComputerPlayer Player2;
  TVirtualLoop Loop;

  std::vector<TAction> Actions;
  int Hits[3] = {0, 0, 0};  // by player number
  int Kicks = 0;
  int RefusedBombs = 0;

 private:
  void FuseTick(TTimer& timer);
  void Explode(TPoint center, int size);
  void ClearExplosion(TPoint center, int size);
  void HitPlayerAt(TPoint cell);

  std::vector<int> FFire;  // explosions covering each cell
};

std::string Describe(TPoint p);

}  // namespace detonix::test

namespace detonix {
// Lets GoogleTest print cells as (X,Y).
inline void PrintTo(const TPoint& p, std::ostream* os) { *os << test::Describe(p); }
}  // namespace detonix
