#pragma once

#include "platform/profile_store.h"

#include <memory>

// The store that holds the program's settings on this system: the Windows profile functions on
// "pagewright.ini" on Windows, our own file at SettingsFilePath() elsewhere.
std::unique_ptr<IProfileStore> MakeSystemProfileStore();
