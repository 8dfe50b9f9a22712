// detonix-headless play: whole games on a virtual clock, as fast as the machine allows.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/DetonixSim.h"
#include "media/CountingSoundOutput.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/PaintSurface.h"
#include "platform/Png.h"
#include "player/ComputerPlayer.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "tools/HeadlessOptions.h"

namespace detonix::headless {

namespace {

// Whether a file can be written at PATH, tried before the run rather than found out after it.
// A file made only for the test goes again.
bool CanWrite(const std::filesystem::path& path) {
  std::error_code ec;
  const bool existed = std::filesystem::exists(path, ec);
  std::FILE* file = std::fopen(path.string().c_str(), "ab");
  if (!file) return false;
  std::fclose(file);
  if (!existed) std::filesystem::remove(path, ec);
  return true;
}

// The pictures' destinations, checked before playing; the message when one cannot be written.
std::optional<std::string> CheckDestinations(const TPlayOptions& o) {
  if (!o.Png.empty() && !CanWrite(o.Png)) return "cannot write " + o.Png + ": " + std::strerror(errno);
  if (!o.Frames.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.Frames, ec);
    if (ec) return "cannot make the folder " + o.Frames + ": " + ec.message();
    if (!CanWrite(std::filesystem::path(o.Frames) / "frame-00000.png"))
      return "cannot write into " + o.Frames + ": " + std::strerror(errno);
  }
  return std::nullopt;
}

const char* EndName(std::optional<TGameEnd> end) {
  if (!end) return "time";
  switch (*end) {
    case TGameEnd::geLives: return "lives";
    case TGameEnd::geForce: return "force";
    case TGameEnd::geStall: return "stall";
    case TGameEnd::geStalemate: return "stalemate";
  }
  return "?";
}

// The power-up kinds, in the order of TPlayerStats::PowerUps.
constexpr const char* PowerUpNames[CollectableKinds] = {"bomb", "explosion_size", "kick", "invisibility", "seeking"};

std::string PlayersJson(const TGameStats& s) {
  std::string out = "[";
  for (int i = 0; i < 2; ++i) {
    const TPlayerStats& p = s.Players[i];
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "%s{\"moves\":%lld,\"bombs_laid\":%lld,\"kicks\":%lld,\"hits_own\":%lld,\"hits_opponent\":%lld,"
                  "\"hits_both\":%lld,\"longest_idle_ms\":%lld,\"powerups\":{",
                  i ? "," : "", static_cast<long long>(p.Moves), static_cast<long long>(p.BombsLaid),
                  static_cast<long long>(p.Kicks), static_cast<long long>(p.HitsOwn),
                  static_cast<long long>(p.HitsOpponent), static_cast<long long>(p.HitsBoth),
                  static_cast<long long>(p.LongestIdleMs));
    out += buffer;
    for (int k = 0; k < CollectableKinds; ++k) {
      std::snprintf(buffer, sizeof buffer, "%s\"%s\":%lld", k ? "," : "", PowerUpNames[k],
                    static_cast<long long>(p.PowerUps[k]));
      out += buffer;
    }
    out += "}}";
  }
  return out + "]";
}

// One game's record, and the run's totals.
struct TGameLine {
  int64_t Game = 0;
  int Cols = 0;
  int Rows = 0;
  int64_t DurationMs = 0;
  std::optional<TGameEnd> End;
  int Lives[2] = {0, 0};
  TGameStats Stats;
  int64_t Messages = 0;
};

void PrintGame(const TGameLine& g, bool json) {
  const TGameStats& s = g.Stats;
  if (json) {
    std::printf(
        "{\"game\":%lld,\"cols\":%d,\"rows\":%d,\"duration_ms\":%lld,\"ended_by\":\"%s\",\"lives\":[%d,%d],"
        "\"bombs_laid\":%lld,\"explosions\":%lld,\"chain_detonations\":%lld,\"powerups_revealed\":%lld,"
        "\"powerups_collected\":%lld,\"hits\":[%lld,%lld],\"messages\":%lld,\"longest_burn_ms\":%lld,"
        "\"longest_hitless_ms\":%lld,\"cleared_at_ms\":%lld,\"longest_cleared_hitless_ms\":%lld,\"longest_quiet_ms\":%lld,\"repeat_period_ms\":%lld,\"standoffs_broken\":%lld,\"players\":%s}\n",
        static_cast<long long>(g.Game), g.Cols, g.Rows, static_cast<long long>(g.DurationMs), EndName(g.End),
        g.Lives[0], g.Lives[1], static_cast<long long>(s.BombsLaid), static_cast<long long>(s.Explosions),
        static_cast<long long>(s.ChainDetonations), static_cast<long long>(s.PowerUpsRevealed),
        static_cast<long long>(s.PowerUpsCollected), static_cast<long long>(s.Hits[0]),
        static_cast<long long>(s.Hits[1]), static_cast<long long>(g.Messages),
        static_cast<long long>(s.LongestBurnMs), static_cast<long long>(s.LongestHitlessMs),
        static_cast<long long>(s.ClearedAtMs), static_cast<long long>(s.LongestClearedHitlessMs),
        static_cast<long long>(s.LongestQuietMs), static_cast<long long>(s.RepeatPeriodMs), static_cast<long long>(s.StandoffsBroken), PlayersJson(s).c_str());
  } else {
    std::printf(
        "game %lld: %dx%d, %.1f s, ended by %s, lives %d-%d, bombs %lld, explosions %lld (chained %lld), "
        "power-ups %lld revealed %lld taken, hits %lld-%lld, messages %lld\n",
        static_cast<long long>(g.Game), g.Cols, g.Rows, static_cast<double>(g.DurationMs) / 1000.0, EndName(g.End),
        g.Lives[0], g.Lives[1], static_cast<long long>(s.BombsLaid), static_cast<long long>(s.Explosions),
        static_cast<long long>(s.ChainDetonations), static_cast<long long>(s.PowerUpsRevealed),
        static_cast<long long>(s.PowerUpsCollected), static_cast<long long>(s.Hits[0]),
        static_cast<long long>(s.Hits[1]), static_cast<long long>(g.Messages));
  }
  std::fflush(stdout);  // a long run stopped early still leaves the games it played
}

void Add(TGameStats& total, const TGameStats& s) {
  total.BombsLaid += s.BombsLaid;
  total.Explosions += s.Explosions;
  total.ChainDetonations += s.ChainDetonations;
  total.PowerUpsRevealed += s.PowerUpsRevealed;
  total.PowerUpsCollected += s.PowerUpsCollected;
  total.Hits[0] += s.Hits[0];
  total.Hits[1] += s.Hits[1];
  total.LongestBurnMs = std::max(total.LongestBurnMs, s.LongestBurnMs);
  total.LongestHitlessMs = std::max(total.LongestHitlessMs, s.LongestHitlessMs);
  total.LongestClearedHitlessMs = std::max(total.LongestClearedHitlessMs, s.LongestClearedHitlessMs);
  total.LongestQuietMs = std::max(total.LongestQuietMs, s.LongestQuietMs);
  for (int i = 0; i < 2; ++i) {
    TPlayerStats& t = total.Players[i];
    const TPlayerStats& p = s.Players[i];
    t.Moves += p.Moves;
    t.BombsLaid += p.BombsLaid;
    t.Kicks += p.Kicks;
    t.HitsOwn += p.HitsOwn;
    t.HitsOpponent += p.HitsOpponent;
    t.HitsBoth += p.HitsBoth;
    for (int k = 0; k < CollectableKinds; ++k) t.PowerUps[k] += p.PowerUps[k];
    t.LongestIdleMs = std::max(t.LongestIdleMs, p.LongestIdleMs);
  }
}

}  // namespace

int RunPlay(const TArgs& args) {
  const TCommandLine<TPlayOptions> parsed = ParsePlayOptions(args);
  const TPlayOptions& o = parsed.Options;
  const std::string usageError = parsed.Ok() ? BoardSizeProblem(o.Width, o.Height, o.Cell) : parsed.Error;
  if (const auto status = HelpOrUsageError("play", parsed.Help, usageError)) return *status;
  if (const auto problem = CheckDestinations(o)) {
    std::fprintf(stderr, "detonix-headless play: %s\n", problem->c_str());
    return 1;
  }

  TSettings settings = LoadSettingsWarned(*CreateUserSettingsStore(), o.Settings);
  o.Settings.ApplyTo(settings);

  TVirtualClock clock;
  TApplication app(clock);
  TVirtualLoop loop(app, clock);
  auto sound = std::make_shared<TCountingSoundOutput>();
  TPaintSurface surface(o.Width, o.Height);
  TSimulatorOptions simOptions;
  simOptions.Preview = o.Cell > 0;
  simOptions.CellSize = o.Cell;
  simOptions.Settings = settings;
  simOptions.Sound = sound;
  simOptions.Seed = o.Seed;

  const auto wallStart = std::chrono::steady_clock::now();
  // Games and their time by how they ended, the unfinished last one under "time"; counted, not kept.
  constexpr int EndKinds = 5;
  int64_t games = 0;
  int64_t endedBy[EndKinds] = {};
  int64_t endedByMs[EndKinds] = {};
  int64_t longestGameMs = 0;
  TGameStats total;
  int64_t gameStart = 0;
  size_t messagesAtStart = 0;
  std::optional<TGameEnd> pendingEnd;
  int64_t endedAt = 0;
  std::unique_ptr<TDetonixSimulator> sim;
  // A game is written out once it is replaced or the run ends, so hits of its last event count.
  bool gameOpen = false;
  auto finishGame = [&] {
    if (!gameOpen) return;
    gameOpen = false;
    TGameLine line;
    line.Game = ++games;
    line.Cols = sim->State().ColCount;
    line.Rows = sim->State().RowCount;
    line.DurationMs = (pendingEnd ? endedAt : clock.NowMs()) - gameStart;
    line.End = pendingEnd;
    line.Lives[0] = sim->Player1().Lives;
    line.Lives[1] = sim->Player2().Lives;
    line.Stats = sim->Stats();
    line.Messages = static_cast<int64_t>(app.Messages().size() - messagesAtStart);
    Add(total, line.Stats);
    PrintGame(line, o.Json);
    const size_t kind = pendingEnd ? static_cast<size_t>(*pendingEnd) + 1 : 0;
    ++endedBy[kind];
    endedByMs[kind] += line.DurationMs;
    longestGameMs = std::max(longestGameMs, line.DurationMs);
    pendingEnd.reset();
  };
  try {
    sim = std::make_unique<TDetonixSimulator>(app, surface, simOptions);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  sim->OnGameOver = [&](TGameEnd end) {
    pendingEnd = end;
    endedAt = clock.NowMs();
  };
  sim->OnBeforeNewGame = [&] { finishGame(); };
  gameOpen = true;  // the first game started inside the constructor, at time 0
  sim->OnNewGame = [&] {
    gameOpen = true;
    gameStart = clock.NowMs();
    messagesAtStart = app.Messages().size();
  };

  const int64_t endMs = static_cast<int64_t>(o.Minutes * 60000.0);
  bool picturesWritten = true;
  const auto savePng = [&](const std::string& path) {
    try {
      SavePng(surface.Bitmap(), path);
    } catch (const std::exception& e) {
      if (picturesWritten) std::fprintf(stderr, "detonix-headless play: %s\n", e.what());
      picturesWritten = false;
    }
  };
  if (!o.Frames.empty()) {
    const auto everyMs = static_cast<int64_t>(o.Every * 1000.0);
    int frame = 0;
    for (int64_t t = 0; t <= endMs; t += std::max<int64_t>(1, everyMs)) {
      loop.RunUntil(t);
      char name[32];
      std::snprintf(name, sizeof name, "frame-%05d.png", frame++);
      savePng((std::filesystem::path(o.Frames) / name).string());
    }
  }
  loop.RunUntil(endMs);
  finishGame();
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  if (!o.Png.empty()) savePng(o.Png);

  const double virtualSeconds = static_cast<double>(clock.NowMs()) / 1000.0;
  const auto messages = static_cast<long long>(app.Messages().size());
  if (o.Json) {
    std::string ends = "\"ended_by\":{";
    std::string endsMs = "\"ended_by_ms\":{";
    for (int kind = 0; kind < EndKinds; ++kind) {
      const char* name = EndName(kind ? std::optional(static_cast<TGameEnd>(kind - 1)) : std::nullopt);
      const char* comma = kind ? "," : "";
      ends += std::string(comma) + "\"" + name + "\":" + std::to_string(endedBy[kind]);
      endsMs += std::string(comma) + "\"" + name + "\":" + std::to_string(endedByMs[kind]);
    }
    std::printf(
        "{\"summary\":true,\"games\":%lld,%s},%s},\"longest_game_ms\":%lld,\"bombs_laid\":%lld,\"explosions\":%lld,\"chain_detonations\":%lld,"
        "\"powerups_revealed\":%lld,\"powerups_collected\":%lld,\"hits\":[%lld,%lld],\"messages\":%lld,"
        "\"sounds\":%lld,\"longest_burn_ms\":%lld,\"longest_hitless_ms\":%lld,\"longest_cleared_hitless_ms\":%lld,"
        "\"longest_quiet_ms\":%lld,\"players\":%s,\"virtual_seconds\":%.3f,\"wall_seconds\":%.3f}\n",
        static_cast<long long>(games), ends.c_str(), endsMs.c_str(), static_cast<long long>(longestGameMs),
        static_cast<long long>(total.BombsLaid), static_cast<long long>(total.Explosions),
        static_cast<long long>(total.ChainDetonations), static_cast<long long>(total.PowerUpsRevealed),
        static_cast<long long>(total.PowerUpsCollected), static_cast<long long>(total.Hits[0]),
        static_cast<long long>(total.Hits[1]), messages, static_cast<long long>(sound->Plays()),
        static_cast<long long>(total.LongestBurnMs), static_cast<long long>(total.LongestHitlessMs),
        static_cast<long long>(total.LongestClearedHitlessMs), static_cast<long long>(total.LongestQuietMs),
        PlayersJson(total).c_str(), virtualSeconds, wallSeconds);
    std::fflush(stdout);  // ahead of any message on stderr, as the games were
  } else {
    std::printf("%lld games in %.0f virtual seconds (%.2f s of wall time, %.0fx real time); %lld messages shown\n",
                static_cast<long long>(games), virtualSeconds, wallSeconds, wallSeconds > 0 ? virtualSeconds / wallSeconds : 0.0,
                messages);
    if (!o.Png.empty() && picturesWritten) std::printf("board picture: %s\n", o.Png.c_str());
  }
  // A message is something gone wrong (a maze that could not be made, for one): said, and failed.
  for (const std::string& message : app.Messages()) std::fprintf(stderr, "detonix-headless play: %s\n", message.c_str());
  return app.Messages().empty() && picturesWritten ? 0 : 1;
}

}  // namespace detonix::headless
