// detonix in a web page: what index.html calls. The page owns the canvas, the events and the
// clock's callbacks; everything else is the run every shell has (src/host).
#include <emscripten.h>

#include <memory>
#include <string>
#include <string_view>

#include "settings/Settings.h"
#include "shell/web/WebSettings.h"
#include "shell/web/WebShell.h"

namespace {

using namespace detonix;

std::unique_ptr<web::TWebShell> Shell;
TSettings Settings;
web::TPageSettings Page;
std::string Text;  // what the last call that returns text returned

std::string_view Bytes(const char* text, int length) {
  return text && length > 0 ? std::string_view(text, static_cast<size_t>(length)) : std::string_view();
}

}  // namespace

extern "C" {

// Starts the game in a canvas of WIDTH by HEIGHT device pixels at DPI (96 per CSS pixel), as a
// saver when SAVER, with the settings STORED in the browser (NAME=VALUE lines) and those of the
// page's address over them (its QUERY, as the address writes it). Either text may hold any byte
// and be of any length. 0 when it plays; detonix_settings_json then says what was not applied.
EMSCRIPTEN_KEEPALIVE int detonix_start(int saver, int width, int height, int dpi, const char* stored, int storedLength,
                                       const char* query, int queryLength) {
  Page = {};
  web::ReadStoredSettings(Bytes(stored, storedLength), Page);
  web::ReadAddressSettings(Bytes(query, queryLength), Page);
  Settings = TSettings();
  Page.Overrides.ApplyTo(Settings);
  Shell = std::make_unique<web::TWebShell>(saver ? TRunMode::rmSaver : TRunMode::rmWindow, Settings, Page.Seed);
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

// For the page's form: the values in effect, what was not applied and the stored pairs read.
EMSCRIPTEN_KEEPALIVE const char* detonix_settings_json() {
  Text = web::SettingsStateJson(Settings, Page);
  return Text.c_str();
}

// NAME=VALUE as the form would send it: "" when the game takes it, else why not.
EMSCRIPTEN_KEEPALIVE const char* detonix_check_setting(const char* name, int nameLength, const char* value,
                                                       int valueLength) {
  TSettingsOverrides overrides;
  Text = web::ReadSettingPair(Bytes(name, nameLength), Bytes(value, valueLength), overrides);
  return Text.c_str();
}

}  // extern "C"
