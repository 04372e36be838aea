#pragma once

#include "platform/browser_launcher.h"

#include <QStringList>

// Starts the user's web browser or a file browser, each on its own (StartOpener): an opener that
// gives up at once counts as a failure, and the next one is tried.
//
// On freedesktop.org systems the browsers named in $BROWSER are tried in order (a colon-separated
// list of commands, words grouped by double quotes; "%s" in a command stands for the address,
// otherwise the address is appended); without $BROWSER there is nothing to try, since xdg-open is
// the desktop shell's own there (CQtDesktopShell). Folders go to `gio open`, the KDE and Xfce
// openers and the common file managers, those installed in that order. On macOS both go to `open`.
// Windows has no fallback: its shell already asks the registered programs. The address or folder
// is always one argument of its own, whatever characters it holds.
//
// The launch code is 33 when an opener took the target; otherwise 31 (no application associated)
// when one ran and gave up, else 2 (not found) when none could be started.
class COsBrowserLauncher : public IBrowserLauncher {
public:
    std::optional<int> LaunchBrowser(const QString& address) override;
    std::optional<int> LaunchFileBrowser(const QString& folder) override;

    // The program and arguments that each candidate of `browserVariable` (the value of $BROWSER)
    // would run for `address`, in the order they are tried.
    static QList<QStringList> BrowserCommands(const QString& browserVariable, const QString& address);
};
