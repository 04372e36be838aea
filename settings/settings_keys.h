#pragma once

#include <QLatin1String>

// The one section of the settings file, and the key of the output directory in it.
inline constexpr QLatin1String kSettingsSection("Settings");
inline constexpr QLatin1String kOutPathKey("Out Path");
