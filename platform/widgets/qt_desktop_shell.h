#pragma once

#include "platform/desktop_shell.h"

// Opens folders and addresses with the desktop's own handlers. On freedesktop.org systems that is
// xdg-open, started on its own and watched (StartOpener), so that an xdg-open that finds no handler
// ("no method available") is a refusal and not taken for an opening. Elsewhere it is Qt's desktop
// services, whose answer is the system's own (Windows' ShellExecute, macOS' Launch Services).
class CQtDesktopShell : public IDesktopShell {
public:
    bool OpenFolder(const QString& path) override;
    bool OpenAddress(const QString& address) override;
};
