#include "shell/web/WebShell.h"

#include <emscripten.h>

#include <algorithm>
#include <climits>
#include <utility>


// The page (index.html) gives the module its canvas's 2D context as Module.detonixContext.
// clang-format off
EM_JS(void, js_present, (const uint8_t* rgba, int width, int height, const int32_t* rects, int count), {
  const m = Module;
  // The image is a view of the module's memory: made again when the memory or the pixels move.
  if (!m.detonixImage || m.detonixImage.data.buffer !== HEAPU8.buffer || m.detonixImageAt !== rgba ||
      m.detonixImage.width !== width || m.detonixImage.height !== height) {
    m.detonixImage = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    m.detonixImageAt = rgba;
  }
  const r = HEAP32.subarray(rects >> 2, (rects >> 2) + count * 4);
  if (m.detonixTrace) m.detonixTrace.push([Math.round(performance.now()), ...r]);  // for the bench's floor
  for (let i = 0; i < r.length; i += 4) m.detonixContext.putImageData(m.detonixImage, 0, 0, r[i], r[i + 1], r[i + 2], r[i + 3]);
});
EM_JS(void, js_schedule, (int ms), {
  clearTimeout(Module.detonixTimer);
  Module.detonixTimer = ms >= 0 ? setTimeout(() => Module.detonixTurn(), ms) : undefined;
});
EM_JS(void, js_box, (const char* text), { alert(UTF8ToString(text)); });
// The console has every message; the page shows the last one if the run ends by itself.
EM_JS(void, js_log, (const char* text), {
  Module.detonixLastMessage = UTF8ToString(text);
  console.error("detonix: " + Module.detonixLastMessage);
});
EM_JS(void, js_want_sound, (), { Module.detonixWantSound(); });
EM_JS(void, js_play, (const uint8_t* wave, int bytes), {
  const audio = Module.detonixAudio;
  if (!audio || audio.state !== "running") return;  // held back by the browser until a gesture
  const play = (buffer) => {
    if (Module.detonixPlaying) Module.detonixPlaying.stop();
    const source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.destination);
    source.start();
    Module.detonixPlaying = source;
  };
  const decoded = (Module.detonixWaves = Module.detonixWaves || new Map());
  if (decoded.has(wave)) return play(decoded.get(wave));
  audio.decodeAudioData(HEAPU8.slice(wave, wave + bytes).buffer).then((buffer) => {
    decoded.set(wave, buffer);
    play(buffer);
  }, () => {});
});
// clang-format on

namespace detonix::web {

TWindowPixels TCanvasWindow::Pixels() {
  const size_t count = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
  FPixels.assign(count, 0);
  FCanvas.assign(count, 0xFF000000u);
  FMadeWidth = FWidth;
  FMadeHeight = FHeight;
  return {FPixels.data(), FWidth, FHeight, FWidth * 4};
}

void TCanvasWindow::ReleasePixels() {
  std::vector<uint32_t>().swap(FPixels);
  std::vector<uint32_t>().swap(FCanvas);
  FMadeWidth = FMadeHeight = 0;
}

void TCanvasWindow::Present(const std::vector<TRect>& changed) {
  if (FPixels.empty()) return;
  const TRect bounds{0, 0, FMadeWidth, FMadeHeight};
  FRects.clear();
  for (const TRect& c : changed) {
    const TRect r = c.Intersect(bounds);
    if (r.IsEmpty()) continue;
    for (int y = r.Top; y < r.Bottom; ++y) {
      const uint32_t* from = FPixels.data() + static_cast<size_t>(y) * FMadeWidth;
      uint32_t* to = FCanvas.data() + static_cast<size_t>(y) * FMadeWidth;
      // XRGB in a little-endian word is B, G, R, X in memory; the canvas wants R, G, B, A.
      for (int x = r.Left; x < r.Right; ++x) {
        const uint32_t p = from[x];
        to[x] = 0xFF000000u | (p & 0x0000FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
      }
    }
    FRects.insert(FRects.end(), {r.Left, r.Top, r.Width(), r.Height()});
  }
  if (!FRects.empty())
    js_present(reinterpret_cast<const uint8_t*>(FCanvas.data()), FMadeWidth, FMadeHeight, FRects.data(),
               static_cast<int>(FRects.size() / 4));
}

void TWebSound::Open() {}

void TWebSound::PlayWaveAsync(std::span<const uint8_t> wave) {
  js_play(wave.data(), static_cast<int>(wave.size()));
}

TWebShell::TWebShell(TRunMode mode, TSettings settings, std::optional<uint64_t> seed)
    : FMode(mode), FSettings(settings), FSeed(seed), FApp(FClock) {
  FApp.Title = "Detonix ScreenSaver";
}

TWebShell::~TWebShell() {
  js_schedule(-1);
  FScreens.reset();
}

bool TWebShell::Start(int width, int height, int dpi) {
  js_schedule(-1);
  FScreens.reset();  // its games first: they draw on the window's pixels
  FWindow.SetSize(width, height);
  FDpi = dpi;
  TScreensOptions options;
  options.Mode = FMode;
  options.ReadSettings = [this] { return FSettings; };
  options.Seed = FSeed;
  options.Log = [](const std::string& text) { js_log(text.c_str()); };
  FScreens = std::make_unique<TSaverScreens>(FApp, *this, std::move(options));
  FScreens->Add(FWindow, {TRect{0, 0, width, height}, dpi});
  // The page is told of the pointer only once it moves over it.
  if (FMode == TRunMode::rmSaver) FScreens->PointerStartUnknown();
  const bool started = FScreens->Start();
  if (started) Turn();
  return started;
}

void TWebShell::Resize(int width, int height, int dpi) {
  if (!FScreens) return;
  if (dpi != FDpi || FRestart) {
    // A new run, whose first board may not fit: then, as at a new size, it waits for one that does.
    FRestart = !Start(width, height, dpi);
    return;
  }
  FWindow.SetSize(width, height);
  FScreens->Resized(0);
  js_schedule(0);
}

void TWebShell::Turn() {
  if (!FScreens || FScreens->Ended()) return;
  const auto due = FScreens->Turn();
  // None armed: nothing happens until an event, which schedules its own turn.
  if (!FScreens->Ended()) js_schedule(due ? static_cast<int>(std::min<int64_t>(*due, INT_MAX)) : -1);
}

bool TWebShell::After(bool ended) {
  if (ended) js_schedule(-1);
  return ended;
}

bool TWebShell::Key() { return After(FScreens && FScreens->Key(0)); }

bool TWebShell::Click() { return After(FScreens && FScreens->Click(0)); }

bool TWebShell::PointerMoved(int x, int y) { return After(FScreens && FScreens->PointerMoved(0, x, y)); }

void TWebShell::ShowBox(const std::string& text) { js_box(text.c_str()); }

std::shared_ptr<TSoundOutput> TWebShell::MakeSound() {
  js_want_sound();
  return std::make_shared<TWebSound>();
}

}  // namespace detonix::web
