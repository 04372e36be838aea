#pragma once

#include <QString>

#include <optional>

// What the owner-drawn menu asks of the operating system: which Windows it runs on, sorted into the
// classes that its look depends on, and whether the user's desktop theme is the classic one.

// The version classes. Every system that is not Windows has a class of its own, above the Windows
// classes, so the rules for "the class of Windows 95 and above" (framed image boxes, the menu font)
// hold there too.
enum VersionClass : int {
    kVersionWin32s = 0,  // Windows 3.x with the 32-bit extension
    kVersionNT = 1,      // NT 3.x, and every NT version after XP
    kVersionWin95 = 2,   // Windows 95, and the non-NT family above 4.x
    kVersionWin98 = 3,   // 4.10
    kVersionWinMe = 4,   // 4.90
    kVersionNT4 = 5,     // NT 4
    kVersionWin2000 = 6, // 5.0
    kVersionWinXP = 7,   // 5.1
    kVersionNotWindows = 8,
};

// A version report of Windows: the family and the version number.
struct WindowsVersionReport {
    bool ntFamily = true;
    int major = 0;
    int minor = 0;
};

// The class of the system that gave `report`.
VersionClass VersionClassOf(const WindowsVersionReport& report);

// The running Windows' report; nothing on any other system.
std::optional<WindowsVersionReport> RunningWindowsVersion();

// The class of the running system: VersionClassOf(RunningWindowsVersion()), or kVersionNotWindows.
VersionClass RunningVersionClass();

// True when `currentTheme`, the file of the user's current desktop theme, ends with
// "Windows Classic.theme" in any letter case.
bool IsClassicThemeFile(const QString& currentTheme);

// The user's current desktop theme file as Windows records it (at most 259 characters); nothing when
// it is not recorded, and on any other system.
std::optional<QString> CurrentThemeFile();
