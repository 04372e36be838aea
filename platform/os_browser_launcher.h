#pragma once

#include "platform/browser_launcher.h"

#include <QStringList>

// Starts the user's web browser as a detached process.
//
// On freedesktop.org systems the browsers named in $BROWSER are tried in order (a colon-separated
// list of commands, words grouped by double quotes; "%s" in a command stands for the address,
// otherwise the address is appended), and without $BROWSER, xdg-open. On macOS it is `open`.
// Windows has no fallback: its shell already asks the registered browser. The address is always
// one argument of its own, whatever characters it holds.
//
// Folders go to the first of xdg-open, `gio open`, the KDE and Xfce openers and the common file
// managers that is installed (`open` on macOS; Windows: none, its shell opens folders itself).
class COsBrowserLauncher : public IBrowserLauncher {
public:
    std::optional<int> LaunchBrowser(const QString& address) override;
    std::optional<int> LaunchFileBrowser(const QString& folder) override;

    // The program and arguments that each candidate of `browserVariable` (the value of $BROWSER)
    // would run for `address`, in the order they are tried.
    static QList<QStringList> BrowserCommands(const QString& browserVariable, const QString& address);
};
