#pragma once

#include <QString>

// Where the user guide is for the program in `programFolder`: the page that the build puts beside
// the program (share/pagewright/user-guide.html from bin/, in the build tree as installed); else
// the first such page of the system's data folders ($XDG_DATA_HOME, $XDG_DATA_DIRS), for a program
// that was moved away from its installation. When there is none, the place beside the program,
// where it belongs.
QString UserGuideFile(const QString& programFolder);
