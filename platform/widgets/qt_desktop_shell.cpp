#include "platform/widgets/qt_desktop_shell.h"

#include <QDesktopServices>
#include <QUrl>

bool CQtDesktopShell::OpenFolder(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool CQtDesktopShell::OpenAddress(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address));
}
