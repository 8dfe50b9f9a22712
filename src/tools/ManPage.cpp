#include "tools/ManPage.h"

#include "commandline/ShellOptions.h"

namespace detonix::sdl {

std::string ManPage(std::string_view version) {
  std::string page = ".TH DETONIX 6 \"\" \"Detonix " + Roff(version) + "\" \"Games\"\n";
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
  page += R"(.SH XSCREENSAVER
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
.SH FILES
.TP
.I $XDG_CONFIG_HOME/detonix/detonix.conf
The settings, one
.I Name=value
line each (without
.BR XDG_CONFIG_HOME :
.IR ~/.config/detonix/detonix.conf ).
.TP
.I /usr/share/xscreensaver/config/detonix.xml
What xscreensaver's settings window offers.
.SH ENVIRONMENT
.TP
.B XSCREENSAVER_WINDOW
The window xscreensaver gives its hacks to draw into.
.TP
.B XDG_CONFIG_HOME
Where the settings folder is.
.SH SEE ALSO
.BR detonix\-headless (6),
.BR xscreensaver (1)
)";
  return page;
}

}  // namespace detonix::sdl
