#pragma once

#include "platform/desktop_shell.h"

// Opens folders and addresses through the desktop's URL handlers.
class CQtDesktopShell : public IDesktopShell {
public:
    bool OpenFolder(const QString& path) override;
    bool OpenAddress(const QString& address) override;
};
