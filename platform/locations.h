#pragma once

#include <QString>

// Where the program keeps its things. Every call looks at the environment afresh.

// The settings file. Windows: the bare name "pagewright.ini", which the profile functions place in
// the Windows directory. Elsewhere: "pagewright.ini" in $XDG_CONFIG_HOME when that is set to an
// absolute path, otherwise in $HOME/.config.
QString SettingsFilePath();

// The output directory read when the settings hold none: "C:\textharvest" on Windows, else the
// absolute $HOME/textharvest.
QString DefaultOutputDirectory();

// The output directory created and stored when the stored one cannot be had: "c:\textharvest" on
// Windows (with a small drive letter, unlike the default), else the same $HOME/textharvest as the
// default.
QString FallbackOutputDirectory();
