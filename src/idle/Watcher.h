#pragma once

#include <memory>
#include <string>

#include "idle/Child.h"
#include "idle/IdlePolicy.h"
#include "idle/IdleSource.h"
#include "idle/InhibitService.h"
#include "idle/SessionBus.h"

namespace detonix::idle {

struct TWatchOptions {
  std::string Saver;        // the detonix to run full screen
  std::string LockCommand;  // for /bin/sh; empty: none
  // org.freedesktop.ScreenSaver offered on the bus: not on GNOME, whose session manager has the
  // inhibits and whose compositor honours them.
  bool OfferInhibits = false;
};

// The watcher's loop: asleep in one poll on the signals, the desktop, the session bus and the
// programs it started, until one of them has news. It starts the saver and the lock as TIdlePolicy
// says, and offers org.freedesktop.ScreenSaver's inhibits on BUS when asked to.
class TWatcher {
 public:
  TWatcher(TIdleSource& source, TSessionBus* bus, TWatchOptions options);
  ~TWatcher();  // ends the saver; a lock command stays
  TWatcher(const TWatcher&) = delete;
  TWatcher& operator=(const TWatcher&) = delete;

  // Until ENDFD is readable (a signal: 0) or the display or the bus goes away (1, said).
  int Run(int endFd);
  // For the log: what it does with org.freedesktop.ScreenSaver.
  std::string InhibitsText() const;

 private:
  void On(TIdleEvent event);
  void Act(const TIdleActions& actions);
  TIdleState State() const;
  int Lost(const std::string& why);

  TIdleSource& FSource;
  TSessionBus* FBus;
  TWatchOptions FOptions;
  TIdlePolicy FPolicy;
  std::unique_ptr<TChild> FSaver;
  std::unique_ptr<TChild> FLock;
  std::unique_ptr<TInhibitService> FService;
};

}  // namespace detonix::idle
