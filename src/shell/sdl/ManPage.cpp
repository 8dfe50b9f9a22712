#include "shell/sdl/ManPage.h"

#include <vector>

#include "shell/sdl/ShellOptions.h"

namespace detonix::sdl {

namespace {

// Text for roff: backslashes and dashes escaped, line breaks of the usage text joined, and no
// line that roff would take for a request.
std::string Roff(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (const char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = false;
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else if (c == '\n')
      out += ' ';
    else
      out += c;
  }
  return out;
}

std::string Entries(const std::vector<TUsageEntry>& entries) {
  std::string out;
  for (const TUsageEntry& e : entries) out += ".TP\n.B " + Roff(e.Options) + "\n" + Roff(e.Help) + "\n";
  return out;
}

}  // namespace

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
  page += Entries(ModeEntries());
  page += R"(.PP
With
.B XSCREENSAVER_WINDOW
set and no mode given, it draws into that window. In a window it did not make itself it never
ends on input: it ends on SIGTERM or when the window goes away.
.SH OPTIONS
Settings for this run; the settings file and then the defaults fill in the rest.
)";
  page += Entries(SettingEntries());
  page += R"(.PP
Options may be written with one dash or two. xscreensaver's
.BR \-install ", " \-noinstall ", " "\-visual X" ", " \-mono ", " \-pair " and " \-fps
are accepted and ignored.
.SH XSCREENSAVER
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
line, and in
.B $XSCREENSAVER_WINDOW
the settings file fills in only what that window has no control for, the maze densities.
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
