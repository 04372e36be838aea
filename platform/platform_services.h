#pragma once

#include "platform/browser_launcher.h"
#include "platform/desktop_shell.h"
#include "platform/directories.h"
#include "platform/profile_store.h"
#include "platform/prompts.h"

#include <QString>

// The services of the desktop that the window uses, handed in from outside so that tests can give
// fakes. The objects outlive everything that uses them.
struct PlatformServices {
    IPrompts& prompts;
    IDesktopShell& shell;
    IBrowserLauncher& browser; // when the shell cannot open an address
    IProfileStore& profile;
    IDirectories& directories;
    QString userGuide = {}; // the user guide's file, which Help opens; it may be missing
};
