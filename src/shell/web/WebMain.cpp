// detonix in a web page: what index.html calls. The page owns the canvas, the events and the
// clock's callbacks; everything else is the run every shell has (src/host).
#include <emscripten.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "settings/Settings.h"
#include "shell/web/WebShell.h"

namespace {

using namespace detonix;

std::unique_ptr<web::TWebShell> Shell;
TSettings Settings;
std::string Text;  // what the last call that returns text returned

// The seed from QUERY's `seed` line, which is no setting; the rest stays.
std::optional<uint64_t> TakeSeed(std::string& query) {
  std::optional<uint64_t> seed;
  std::string rest;
  size_t at = 0;
  while (at < query.size()) {
    const size_t end = std::min(query.find('\n', at), query.size());
    const std::string pair = query.substr(at, end - at);
    at = end + 1;
    if (pair.rfind("seed=", 0) != 0) {
      rest += pair + "\n";
      continue;
    }
    uint64_t value = 0;
    const char* first = pair.data() + 5;
    const char* last = pair.data() + pair.size();
    if (const auto [ptr, ec] = std::from_chars(first, last, value); ec == std::errc() && ptr == last && first != last) {
      seed = value;
    } else {
      std::fprintf(stderr, "detonix: %s ignored: a seed is a whole number from 0 on\n", pair.c_str());
    }
  }
  query = rest;
  return seed;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

extern "C" {

// Starts the game in a canvas of WIDTH by HEIGHT device pixels at DPI (96 per CSS pixel), as a
// saver when SAVER, with the settings STORED in the browser and those of the page's address
// over them (NAME=VALUE lines each). 0 when it plays.
EMSCRIPTEN_KEEPALIVE int detonix_start(int saver, int width, int height, int dpi, const char* stored, const char* query) {
  TSettingsOverrides overrides;
  std::vector<std::string> problems;
  std::string stored_ = stored;
  std::string query_ = query;
  TakeSeed(stored_);  // a seed is for one visit
  const std::optional<uint64_t> seed = TakeSeed(query_);
  web::ReadQuerySettings(stored_, overrides, problems);
  web::ReadQuerySettings(query_, overrides, problems);
  for (const std::string& p : problems) std::fprintf(stderr, "detonix: %s\n", p.c_str());
  Settings = TSettings();
  overrides.ApplyTo(Settings);
  Shell = std::make_unique<web::TWebShell>(saver ? TRunMode::rmSaver : TRunMode::rmWindow, Settings, seed);
  return Shell->Start(width, height, dpi) ? 0 : 1;
}

// A new size or pixel ratio; 1 when the run has ended.
EMSCRIPTEN_KEEPALIVE int detonix_resize(int width, int height, int dpi) {
  if (Shell) Shell->Resize(width, height, dpi);
  return !Shell || Shell->Ended() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void detonix_turn() {
  if (Shell) Shell->Turn();
}

// Input; 1 once it has ended the saver.
EMSCRIPTEN_KEEPALIVE int detonix_key() { return Shell && Shell->Key() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int detonix_click() { return Shell && Shell->Click() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int detonix_pointer(int x, int y) { return Shell && Shell->PointerMoved(x, y) ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int detonix_ended() { return !Shell || Shell->Ended() ? 1 : 0; }

// The settings for the page's form, in SettingRows' order: each option's name, what it takes,
// its label (the settings window's where it has one) and the value in effect, as the address
// would write them.
EMSCRIPTEN_KEEPALIVE const char* detonix_settings_json() {
  Text = "[";
  for (const TSettingRow& row : SettingRows) {
    std::string value;
    std::string kind = "number";
    std::string choices;
    std::visit(
        [&]<class T>(T TSettings::* field) {
          const T v = Settings.*field;
          if constexpr (std::is_same_v<T, bool>) {
            kind = "switch";
            value = v ? "on" : "off";
          } else if (row.Names == TValueNames::vnCharacters) {
            kind = "choice";
            value = CharacterNames[static_cast<size_t>(v / ImagesPerCharacter) % CharacterNames.size()];
            for (const auto name : CharacterNames) choices += (choices.empty() ? "" : ",") + Quoted(name);
          } else {
            value = NumberText(static_cast<double>(v));
          }
        },
        row.Field);
    if (Text.size() > 1) Text += ",";
    Text += "{\"name\":" + Quoted(row.Option.substr(1)) + ",\"kind\":" + Quoted(kind) + ",\"value\":" + Quoted(value) +
            ",\"low\":" + NumberText(row.Range.Low) + ",\"high\":" + NumberText(row.Range.High) + ",\"help\":" +
            Quoted(!row.Xscreensaver.Label.empty() ? row.Xscreensaver.Label : row.Help) + ",\"choices\":[" + choices + "]}";
  }
  Text += "]";
  return Text.c_str();
}

}  // extern "C"
