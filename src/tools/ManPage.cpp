#include "tools/ManPage.h"

#include "board/GameConstants.h"
#include "commandline/SettingsCommands.h"
#include "commandline/ShellOptions.h"

namespace detonix::commandline {

std::string ManPage(std::string_view version) {
  // Paths, variables and options are not to be hyphenated.
  std::string page = ".TH DETONIX 6 \"\" \"Detonix " + Roff(version) + "\" \"Games\"\n.nh\n";
  page += R"(.SH NAME
detonix \- a screen saver in which two computer players play a bomb\-laying maze game
.SH SYNOPSIS
.B detonix
.RI [ mode ]
.RI [ options ]
.SH DESCRIPTION
Two computer\-controlled players walk the corridors of a maze, lay bombs that count down and blow
up along rows and columns, flee from the blasts and pick up power\-ups hidden under the blocks
they destroy. When one of them has lost its three lives a new maze is generated and the next game
starts. Nobody plays it: you watch.
.SH MODES
)";
  page += RoffEntries(ModeEntries()) + ".PP\n" + Roff(ModesNote()) + "\n.SH OPTIONS\n" + Roff(SettingsNote()) + "\n";
  page += RoffEntries(SettingEntries()) + ".PP\n" + Roff(OptionsNote()) + "\n";
  page += R"(.SH EXIT STATUS
.TP
.B 0
The run ended as asked (the window closed, input ended the full\-screen saver, the host took its
window back), or a command did its work.
.B \-\-save\-settings
did once the file is saved, even if the listing that confirms it could not be written to standard
output; a message says so.
.TP
.B 1
Something failed: no display could be opened, no board could be made, another program destroyed
the program's own window, the settings file could not be written, or standard output (of another
command) could not be. A message says which.
.TP
.B 2
A usage error: an unknown option, a bad value, or an option that
.B \-\-save\-settings
cannot store. One line names it.
.TP
.BR 143 ", " 130 ", " 129
After SIGTERM, SIGINT or SIGHUP the game stops and the program ends by that signal, which a shell
reports as 128 plus its number. Saver hosts end their hacks with SIGTERM.
.SH ENVIRONMENT
.TP
.B WAYLAND_DISPLAY
Where it is set and reaches a compositor, the window and
.B \-fullscreen
are a native Wayland client's (one full\-screen window on every output); otherwise they are X11's.
.TP
.B DISPLAY
The X11 display: for the window and
.B \-fullscreen
outside a Wayland session, and always for the modes that draw into another program's window.
.TP
.B DETONIX_BACKEND
.B x11
or
.B wayland
chooses the display system for the window and
.BR \-fullscreen ,
whatever the session is.
.TP
.B SDL_AUDIODRIVER
With
.BR \-sound ,
the sound goes through SDL2, loaded only then; this names its audio driver (for instance
.BR pulseaudio ,
.BR alsa ,
.BR dummy ).
.TP
.B XSCREENSAVER_WINDOW
The X11 window a saver host (xscreensaver, mate\-screensaver, xsecurelock) gives its hack:
.B \-root
or no mode at all draws into it, and there the settings file gives only )" + Roff(FileOnlySettings()) + R"(.
.TP
.B XDG_CONFIG_HOME
Where the settings folder is.
.PP
The scale (cells of )" + std::to_string(NativeCellSize) + R"( pixels times it) is the desktop's: on X11 the
.B Xft.dpi
resource that GNOME, KDE and
.BR xrdb (1)
set, over 96 (144 is 150\ %), else the monitor's density from its size, in quarter steps and
never below 100\ %. On Wayland, the scale of the output the window is on, fractional where the
compositor offers it.
.B \-scale
sets it for one run.
.SH FILES
.TP
.I $XDG_CONFIG_HOME/detonix/detonix.conf
The settings, one
.I Name=value
line each (without
.BR XDG_CONFIG_HOME :
.IR ~/.config/detonix/detonix.conf ).
A value this release cannot use (out of its option's range, as an older release's may be, or not
read as a number) is said, with the default that applies instead, and kept:
.B \-\-save\-settings
rewrites only the lines of the settings it is given and adds those missing; every other line stays
as it was.
.TP
.I /usr/libexec/xscreensaver/detonix
The hack saver hosts run, a link to the program.
.TP
.I /usr/share/xscreensaver/config/detonix.xml
What xscreensaver's settings window offers.
.TP
.I /usr/share/applications/screensavers/detonix\-screensaver.desktop
The entry mate\-screensaver lists.
.SH EXAMPLES
Slower players, with Murvex first, in a window; then denser mazes kept for every run:
.PP
.nf
    detonix \-speed 200 \-player1 Murvex
    detonix \-\-save\-settings \-fixed\-blocks 0.5
.fi
.SS Every desktop: detonix\-idle
Full screen after the desktop's idle minutes (10 unless saved otherwise), on GNOME, KDE Plasma,
sway and other Wayland compositors, and X11; at every login to GNOME or KDE Plasma, and now:
.PP
.nf
    detonix \-\-save\-settings \-idle\-minutes 5
    systemctl \-\-user enable \-\-now detonix\-idle.service
.fi
.PP
A video player that asks the desktop to stay awake keeps it away. See
.BR detonix\-idle (6)
for a lock command and for desktops that start no user services.
.SS xscreensaver
Add this line to the
.B programs:
list in
.IR ~/.xscreensaver ,
then choose Detonix in xscreensaver's settings:
.PP
.nf
    "Detonix"  detonix \-\-root \en\e
.fi
.PP
What xscreensaver's settings window shows is what plays: it passes every choice on the command
line (see
.BR OPTIONS ).
.SS mate\-screensaver
Choose Detonix in
.BR mate\-screensaver\-preferences (1),
or:
.PP
.nf
    gsettings set org.mate.screensaver mode single
    gsettings set org.mate.screensaver themes "['screensavers\-detonix\-screensaver']"
.fi
.PP
mate\-screensaver runs hacks only from its own folders, among them
.IR /usr/libexec/xscreensaver .
For options, copy the entry to
.I ~/.local/share/applications/screensavers/
and add them to its
.B Exec
line.
.SS swayidle
Detonix full screen after 5 minutes, the lock after 10, while it plays. The
.B &
lets swayidle go on at once: it waits for each command to end
.RB ( \-w ),
and without it the lock would wait for the saver to end. The
.B resume
command ends it on any activity, even a pointer move too small to end it by itself:
.PP
.nf
    swayidle \-w timeout 300 'detonix \-fullscreen &' \e
                resume "pkill \-xf 'detonix \-fullscreen'" \e
             timeout 600 'swaylock \-f' before\-sleep 'swaylock \-f'
.fi
.PP
.B detonix\-idle \-lock 'swaylock \-f'
does the same, and keeps the saver away while a program holds the desktop awake.
.SS xsecurelock
.nf
    XSECURELOCK_SAVER=/usr/libexec/xscreensaver/detonix xsecurelock
.fi
.PP
xsecurelock runs the saver on each monitor with
.B \-root
and
.B XSCREENSAVER_WINDOW
set, and ends it with SIGTERM when it unlocks. For options, name a script instead:
.PP
.nf
    #!/bin/sh
    exec detonix \-\-root \-speed 200
.fi
.SH SEE ALSO
.BR detonix\-idle (6),
.BR detonix\-headless (6),
.BR xscreensaver (1),
.BR mate\-screensaver (1),
.BR xsecurelock (1),
.BR swayidle (1)
)";
  return page;
}

}  // namespace detonix::commandline
