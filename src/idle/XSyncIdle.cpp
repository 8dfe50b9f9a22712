#include "idle/XSyncIdle.h"

#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

#include <cstdlib>
#include <cstring>

namespace detonix::idle {

namespace {

// Xlib tells of a broken connection through a handler of the whole process; the watcher has one
// display. The exit handler returns instead of ending the process, so the watcher can say so and
// end its saver first.
bool ConnectionLost = false;
int QuietIOError(Display*) { return 0; }
void NoteLost(Display*, void*) { ConnectionLost = true; }

XSyncValue SyncValue(int64_t v) {
  XSyncValue value;
  value.hi = static_cast<int>(v >> 32);
  value.lo = static_cast<unsigned>(v & 0xFFFFFFFF);
  return value;
}

int64_t Milliseconds(const XSyncValue& value) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(value.hi)) << 32) | value.lo);
}

class TXSyncIdle final : public TIdleSource {
 public:
  TXSyncIdle(Display* display, XSyncCounter counter, int eventBase, TIdleTimes times)
      : FDisplay(display), FName(XDisplayString(display)), FCounter(counter), FEventBase(eventBase), FTimes(times) {
    FIdle = MakeAlarm(XSyncPositiveTransition);
    if (FTimes.LockMs) FLock = MakeAlarm(XSyncPositiveTransition);
    FActive = MakeAlarm(XSyncNegativeTransition);
    // The desktop may have been idle for long already: the first idle time counts from now.
    Restart();
  }
  ~TXSyncIdle() override {
    if (!ConnectionLost) XCloseDisplay(FDisplay);
  }
  TXSyncIdle(const TXSyncIdle&) = delete;
  TXSyncIdle& operator=(const TXSyncIdle&) = delete;

  std::string Name() const override { return "X11 (the XSync IDLETIME counter) on " + FName; }
  int Fd() const override { return XConnectionNumber(FDisplay); }
  std::string Gone() const override { return "lost the connection to the X server " + FName; }

  // XPending sends what is queued and reads what has come, without waiting: events a round trip
  // queued must not wait in Xlib while the watcher sleeps.
  bool BeforeWait(const TOnIdleEvent& on) override { return AfterWait(true, on); }

  bool AfterWait(bool, const TOnIdleEvent& on) override {
    while (!ConnectionLost && XPending(FDisplay) > 0) {
      XEvent event;
      XNextEvent(FDisplay, &event);
      if (event.type != FEventBase + XSyncAlarmNotify) continue;
      const XSyncAlarm alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event).alarm;
      if (alarm == FIdle) {
        Arm(FAt, true);
        on(TIdleEvent::ieIdle);
      } else if (alarm == FLock) {
        on(TIdleEvent::ieLock);
      } else if (alarm == FActive) {
        Arm(0, false);
        on(TIdleEvent::ieActive);
      }
    }
    return !ConnectionLost;
  }

  void Restart() override {
    XSyncValue now;
    if (!ConnectionLost && XSyncQueryCounter(FDisplay, FCounter, &now)) Arm(Milliseconds(now), true);
  }

 private:
  XSyncAlarm MakeAlarm(XSyncTestType test) {
    XSyncAlarmAttributes a{};
    a.trigger.counter = FCounter;
    a.trigger.value_type = XSyncAbsolute;
    a.trigger.test_type = test;
    a.trigger.wait_value = SyncValue(0);
    // No step: a transition alarm stays armed and fires at each crossing.
    a.delta = SyncValue(0);
    a.events = True;
    return XSyncCreateAlarm(FDisplay,
                            XSyncCACounter | XSyncCAValueType | XSyncCATestType | XSyncCAValue | XSyncCADelta |
                                XSyncCAEvents,
                            &a);
  }

  void SetAlarm(XSyncAlarm alarm, int64_t value) {
    XSyncAlarmAttributes a{};
    a.trigger.wait_value = SyncValue(value);
    XSyncChangeAlarm(FDisplay, alarm, XSyncCAValue, &a);
  }

  // The idle and lock alarms at their times counted from AT milliseconds of idle; input seen
  // (the counter falling to 1 or below) only when WATCHINPUT, as input between idle times is no
  // news: else a value the counter never reaches, as the server fires at reaching it, and every
  // input sets the counter to 0.
  void Arm(int64_t at, bool watchInput) {
    FAt = at;
    SetAlarm(FIdle, at + FTimes.IdleMs);
    if (FLock) SetAlarm(FLock, at + FTimes.LockMs);
    SetAlarm(FActive, watchInput ? 1 : -1);
  }

  Display* FDisplay;
  std::string FName;
  XSyncCounter FCounter;
  int FEventBase;
  TIdleTimes FTimes;
  XSyncAlarm FIdle = None;
  XSyncAlarm FLock = None;
  XSyncAlarm FActive = None;
  int64_t FAt = 0;
};

}  // namespace

std::unique_ptr<TIdleSource> OpenXSyncIdle(TIdleTimes times, std::string& why) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    why = "DISPLAY is not set";
    return nullptr;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    why = std::string("cannot open the X display ") + name;
    return nullptr;
  }
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  XSyncCounter counter = None;
  if (XSyncQueryExtension(display, &eventBase, &errorBase) && XSyncInitialize(display, &major, &minor)) {
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(display, &count);
    for (int i = 0; i < count; ++i)
      if (std::strcmp(counters[i].name, "IDLETIME") == 0) counter = counters[i].counter;
    if (counters) XSyncFreeSystemCounterList(counters);
  }
  if (counter == None) {
    XCloseDisplay(display);
    why = std::string("the X server ") + name + " has no IDLETIME counter (XSync)";
    return nullptr;
  }
  XSetIOErrorHandler(QuietIOError);
  XSetIOErrorExitHandler(display, NoteLost, nullptr);
  return std::make_unique<TXSyncIdle>(display, counter, eventBase, times);
}

}  // namespace detonix::idle
