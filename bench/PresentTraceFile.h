#pragma once
// What both replays share: how they end, and what they read: detonix's present trace (DETONIX_PRESENT_TRACE), a line for each present,
// the milliseconds since the run started and x y w h of each rectangle sent.
#include <signal.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TRectangle {
  int X = 0;
  int Y = 0;
  int W = 0;
  int H = 0;
  bool operator==(const TRectangle&) const = default;
};

struct TPresent {
  std::chrono::milliseconds At{};
  std::vector<TRectangle> Rects;
};

// The trace's presents, every rectangle within WIDTH by HEIGHT, or a message saying what is wrong
// with it.
inline bool ReadTrace(const char* path, int width, int height, std::vector<TPresent>& presents, std::string& why) {
  std::ifstream in(path);
  if (!in) {
    why = std::string("cannot read ") + path;
    return false;
  }
  std::string line;
  long long last = 0;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream fields(line);
    long long ms = -1;
    const auto bad = [&](const char* what) {
      why = std::string(path) + ":" + std::to_string(number) + ": " + what;
      return false;
    };
    if (!(fields >> ms) || ms < last) return bad("no time, or an earlier one than the line before");
    last = ms;
    TPresent present{std::chrono::milliseconds(ms), {}};
    long long x = 0;
    while (fields >> x) {
      long long y = 0;
      long long w = 0;
      long long h = 0;
      if (!(fields >> y >> w >> h)) return bad("a rectangle needs x y w h");
      if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > width || y + h > height)
        return bad("a rectangle outside the picture (was the trace made at another size or scale?)");
      present.Rects.push_back({static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)});
    }
    if (!fields.eof()) return bad("not a number");
    presents.push_back(std::move(present));
  }
  return true;
}

// Set by SIGTERM and SIGINT, which both replays end on.
inline volatile std::sig_atomic_t Ended = 0;

// Blocks SIGTERM and SIGINT but while sleeping, so that an end between two looks at Ended waits for
// no present: the signal mask to sleep with (ppoll).
inline sigset_t EndOnSignals() {
  sigset_t ends;
  sigset_t sleeping;
  sigemptyset(&ends);
  sigaddset(&ends, SIGTERM);
  sigaddset(&ends, SIGINT);
  sigprocmask(SIG_BLOCK, &ends, &sleeping);
  sigdelset(&sleeping, SIGTERM);
  sigdelset(&sleeping, SIGINT);
  struct sigaction action {};
  action.sa_handler = [](int) { Ended = 1; };
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  return sleeping;
}
