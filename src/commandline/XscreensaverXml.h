#pragma once

#include <string>

namespace detonix::commandline {

// detonix.xml, what xscreensaver's settings window offers for the program: each setting's control
// as its row names it (TSettingRow::Xscreensaver). Made at build time, so the window cannot fall
// behind the settings. Throws std::logic_error for a control its row cannot have.
std::string XscreensaverXml();

}  // namespace detonix::commandline
