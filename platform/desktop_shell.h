#pragma once

#include <QString>

// The desktop: opens folders in the file browser and addresses in the web browser.
class IDesktopShell {
public:
    virtual ~IDesktopShell() = default;

    // Opens a folder in the system's file browser. False when the desktop refused; the caller
    // decides whether that matters.
    virtual bool OpenFolder(const QString& path) = 0;

    // Opens a web address with the desktop's handler for it. False when the desktop refused.
    virtual bool OpenAddress(const QString& address) = 0;
};
