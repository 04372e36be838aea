#pragma once

#include <QString>

#include <optional>

// The desktop's fallback for what the shell could not open: a web browser for addresses, a file
// browser for folders, started directly with the address or folder as its one argument, never
// through a command interpreter.
class IBrowserLauncher {
public:
    virtual ~IBrowserLauncher() = default;

    // Starts the browser on `address`. Empty when there is no browser to try; otherwise a launch
    // code: above 32 when a browser took the address, else the reason (2: no browser could be
    // started; 31: one ran and gave up).
    virtual std::optional<int> LaunchBrowser(const QString& address) = 0;

    // Starts a file browser on `folder`; the result as for LaunchBrowser.
    virtual std::optional<int> LaunchFileBrowser(const QString& folder) = 0;
};
