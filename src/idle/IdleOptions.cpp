#include "idle/IdleOptions.h"

#include "platform/TextNumbers.h"
#include "settings/SettingOptions.h"

namespace detonix::idle {

namespace {

constexpr double MaxLockAfter = 1440;

// One option: its spellings (one dash or two mean the same), its argument, its help, and what it
// does with its value: what the value should have been when it is bad, else nothing.
struct TIdleOption {
  std::vector<std::string_view> Spellings;
  std::string_view Arg{};
  std::string Help{};
  std::string (*Take)(TIdleOptions& o, const std::string& value) = nullptr;
};

const TSettingRow& IdleRow() { return SettingRowOf(&TSettings::IdleMinutes); }

// The setting's line as detonix lists it, with its range and default.
std::string IdleMinutesHelp() {
  const std::string option(IdleRow().Option);
  for (const TUsageEntry& e : SettingEntries(TSettingOptionsUse{}))
    if (e.Options.rfind(option + " ", 0) == 0)
      return e.Help + "; without it, the settings file's (detonix --save-settings " + option + " M)";
  return std::string(IdleRow().Help);
}

const std::vector<TIdleOption>& Options() {
  static const std::vector<TIdleOption> options = {
      {.Spellings = {IdleRow().Option},
       .Arg = IdleRow().Arg,
       .Help = IdleMinutesHelp(),
       .Take = [](TIdleOptions& o, const std::string& v) {
         return SetFromText(IdleRow(), v, o.Overrides) ? std::string() : ExpectedText(IdleRow());
       }},
      {.Spellings = {"-lock"},
       .Arg = "COMMAND",
       .Help = "after a further idle time (-lock-after), run COMMAND with /bin/sh, such as 'swaylock -f' or "
               "'xsecurelock', while the saver plays; without it, locking is left to the desktop",
       .Take = [](TIdleOptions& o, const std::string& v) {
         o.LockCommand = v;
         return std::string(v.empty() ? "a command" : "");
       }},
      {.Spellings = {"-lock-after"},
       .Arg = "MINUTES",
       .Help = "minutes of further idle after the saver's start before the lock command (0 to " +
               NumberText(MaxLockAfter) + "; default " + NumberText(TIdleOptions{}.LockAfterMinutes) + ")",
       .Take = [](TIdleOptions& o, const std::string& v) {
         const std::optional<double> minutes = ParseNumber<double>(v);
         if (!minutes || *minutes < 0 || *minutes > MaxLockAfter) return "minutes, 0 to " + NumberText(MaxLockAfter);
         o.LockAfterMinutes = *minutes;
         return std::string();
       }},
      {.Spellings = {"-h", "--help"},
       .Help = "print the options and end",
       .Take = [](TIdleOptions& o, const std::string&) { return (o.Help = true, std::string()); }},
      {.Spellings = {"--version"},
       .Help = "print the version and end",
       .Take = [](TIdleOptions& o, const std::string&) { return (o.Version = true, std::string()); }},
  };
  return options;
}

std::string_view OneDash(std::string_view option) {
  return option.size() > 2 && option.substr(0, 2) == "--" ? option.substr(1) : option;
}

std::vector<TUsageEntry> Entries() {
  std::vector<TUsageEntry> entries;
  for (const TIdleOption& o : Options()) {
    std::string spelled;
    for (const std::string_view s : o.Spellings) spelled += (spelled.empty() ? "" : ", ") + std::string(s);
    entries.push_back({spelled + (o.Arg.empty() ? "" : " " + std::string(o.Arg)), o.Help});
  }
  return entries;
}

constexpr std::string_view Description =
    "Watches the desktop's idle and starts 'detonix -fullscreen' (the detonix installed beside it) once there "
    "has been no input for the idle minutes; any input ends the saver as it always does. It leaves locking to "
    "the desktop, or runs a lock command after a further idle time, while the saver plays. It sleeps until the "
    "desktop tells it of the idle: it never polls. One runs for each display; a second refuses.";

}  // namespace

TIdleParse ParseIdleCommandLine(const std::vector<std::string>& args) {
  TIdleParse result;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& given = args[i];
    const TIdleOption* found = nullptr;
    for (const TIdleOption& o : Options())
      for (const std::string_view s : o.Spellings)
        if (OneDash(given) == OneDash(s)) found = &o;
    if (!found) return {{}, "unknown option '" + given + "'"};
    std::string value;
    if (!found->Arg.empty()) {
      if (i + 1 >= args.size()) return {{}, "missing value for " + given};
      value = args[++i];
    }
    if (const std::string expected = found->Take(result.Options, value); !expected.empty())
      return {{}, "bad value '" + value + "' for " + given + " (" + expected + ")"};
  }
  return result;
}

std::string IdleUsageText() {
  return "usage: detonix-idle [options]\n\n" + Wrapped(Description, 0) + "\nOptions:\n" + UsageLines(Entries()) +
         "\n'man detonix-idle' adds what it watches on each desktop, what keeps the saver away, and its service.\n";
}

std::string IdleManPage(std::string_view version) {
  std::string page = ".TH DETONIX\\-IDLE 6 \"\" \"Detonix " + Roff(version) + "\" \"Games\"\n.nh\n";
  page += ".SH NAME\ndetonix\\-idle \\- starts the Detonix screen saver when the desktop is idle\n";
  page += ".SH SYNOPSIS\n.B detonix\\-idle\n.RI [ options ]\n.SH DESCRIPTION\n" + Roff(Description) + "\n";
  page += R"(.PP
What it listens to, the first the session has:
.TP
.B Wayland
a compositor's idle notifications (ext\-idle\-notify\-v1, else KDE's org_kde_kwin_idle, which sway
and other wlroots compositors offer), on a connection of its own;
.TP
.B GNOME
its compositor's idle monitor (org.gnome.Mutter.IdleMonitor on the session bus), on Wayland and
on X11;
.TP
.B X11
the server's IDLETIME counter (the XSync extension).
.PP
A program that asks the desktop to stay awake (a video player, a presentation, a browser playing
a video) keeps the saver and the lock away: on Wayland the compositor's idle inhibitors (the
compositor sends no idle then); on GNOME the session manager's idle inhibit flag, which GNOME's
compositor honours itself, and which its org.freedesktop.ScreenSaver service sets; on X11 a
program's XResetScreenSaver calls, which count as input. Where no program of the session offers
org.freedesktop.ScreenSaver on the session bus (X11 window managers, sway), detonix\-idle offers its
Inhibit and UnInhibit (not on GNOME, whose session manager has them): an inhibit lasts until it is
taken back or its program leaves the bus, and an idle time it held off counts anew from its end.
KDE offers that service itself, and a desktop's own service takes the name over; what it is asked
is its own business (on Wayland, KDE's programs use the compositor's inhibitors).
.PP
When the display goes away (the compositor or the X server ended or restarted) or the session bus
does, it says so, ends the saver and ends; the user service then starts it again. It ends the saver
on SIGTERM, SIGINT and SIGHUP too, and then ends by that signal. A lock command it started keeps
running in every case.
.SH OPTIONS
)";
  page += RoffEntries(Entries()) + ".PP\nOptions may be written with one dash or two.\n";
  page += R"(.SH EXIT STATUS
.TP
.B 1
Another detonix\-idle watches this display already (it names the process), the session offers no
idle to watch, the detonix beside it is missing, or the display or the session bus went away.
.TP
.B 2
A usage error.
.TP
.BR 143 ", " 130 ", " 129
Ended by SIGTERM, SIGINT or SIGHUP, as asked.
.SH ENVIRONMENT
.TP
.B WAYLAND_DISPLAY
The Wayland compositor asked first.
.TP
.B DBUS_SESSION_BUS_ADDRESS
The session bus (by default
.IR $XDG_RUNTIME_DIR/bus ).
.TP
.B DISPLAY
The X server, where neither of the others tells the idle.
.TP
.B XDG_RUNTIME_DIR
Where the lock file that keeps to one watcher for each display is kept; without it, none starts.
.SH FILES
.TP
.I /usr/lib/systemd/user/detonix\-idle.service
The user service, off until enabled. It starts with the graphical session of desktops that start
.B graphical\-session.target
(GNOME, KDE Plasma) and ends with it.
.TP
.I $XDG_RUNTIME_DIR/detonix\-idle.DISPLAY.lock
Held while a watcher runs for that display.
.TP
.I $XDG_CONFIG_HOME/detonix/detonix.conf
The settings file, where
.B IdleMinutes
and the game's settings are, as
.BR detonix (6)
saves them.
.SH EXAMPLES
On at every login to GNOME or KDE Plasma, and now:
.PP
.nf
    systemctl \-\-user enable \-\-now detonix\-idle.service
.fi
.PP
After 5 minutes, and a lock command 10 minutes later: the minutes go into the settings file, the
lock into the service (an override the editor opens; the empty
.B ExecStart=
line clears the packaged one):
.PP
.nf
    detonix \-\-save\-settings \-idle\-minutes 5
    systemctl \-\-user edit detonix\-idle.service
        [Service]
        ExecStart=
        ExecStart=/usr/bin/detonix\-idle \-lock 'loginctl lock\-session' \-lock\-after 10
    systemctl \-\-user restart detonix\-idle.service
.fi
.PP
On sway, which starts no graphical\-session.target, in its configuration file:
.PP
.nf
    exec detonix\-idle \-lock 'swaylock \-f'
.fi
.PP
On X11 with a window manager alone, in
.I ~/.xsession
before the window manager:
.PP
.nf
    detonix\-idle \-lock xsecurelock &
.fi
.SH SEE ALSO
.BR detonix (6),
.BR systemctl (1),
.BR swayidle (1)
)";
  return page;
}

}  // namespace detonix::idle
