#pragma once

#include "desktop_shell.h"
#include "directories.h"
#include "profile_store.h"
#include "prompts.h"

// The services of the desktop that the window uses, handed in from outside so that tests can give
// fakes. The objects outlive everything that uses them.
struct PlatformServices {
    IPrompts& prompts;
    IDesktopShell& shell;
    IProfileStore& profile;
    IDirectories& directories;
};
