#pragma once
// Where the program keeps what the user changes: the settings file "Trabolin.ini" and
// the "COM<N>" links that map port numbers to devices.
#include <QString>

namespace trabolin {

// The program directory itself when the user may write there (a build, a copy in the
// home folder: everything stays beside the executable). When it is read-only, as for
// the installed package in /usr/lib/trabolin, the per-user folder "trabolin" in the
// user's configuration folder (~/.config/trabolin, or $XDG_CONFIG_HOME/trabolin), which
// is created when missing. The sounds and the help are read from the program directory
// in either case.
QString benutzerVerzeichnis(const QString &programmVerzeichnis);

} // namespace trabolin
