#include "platform/widgets/qt_desktop_shell.h"

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "platform/opener_process.h"

namespace {

// Qt's desktop services start xdg-open here too, but take its start for an opening whatever it
// says next.
bool OpenWithXdgOpen(const QString& target) {
    if (target.isEmpty())
        return false;
    return StartOpener({QStringLiteral("xdg-open"), target}) == OpenerStart::Opened;
}

} // namespace

bool CQtDesktopShell::OpenFolder(const QString& path) {
    return OpenWithXdgOpen(path);
}

bool CQtDesktopShell::OpenAddress(const QString& address) {
    return OpenWithXdgOpen(address);
}
#else
#include <QDesktopServices>
#include <QUrl>

bool CQtDesktopShell::OpenFolder(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool CQtDesktopShell::OpenAddress(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address));
}
#endif
