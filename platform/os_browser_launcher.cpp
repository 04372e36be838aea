#include "platform/os_browser_launcher.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// Launch codes, in the shell's numbering.
constexpr int kStarted = 33;
constexpr int kFileNotFound = 2;

bool StartDetached(const QStringList& command) {
    if (command.isEmpty() || command.first().isEmpty())
        return false;
    return QProcess::startDetached(command.first(), command.mid(1));
}

} // namespace

QList<QStringList> COsBrowserLauncher::BrowserCommands(const QString& browserVariable,
                                                       const QString& address) {
    QList<QStringList> commands;
    for (const QString& entry : browserVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // Split as a command line is split, but run without an interpreter: the address is one
        // argument whatever characters it holds.
        QStringList command = QProcess::splitCommand(entry);
        if (command.isEmpty())
            continue;
        bool placed = false;
        for (qsizetype i = 1; i < command.size(); ++i) {
            if (command[i].contains(QStringLiteral("%s"))) {
                command[i].replace(QStringLiteral("%s"), address);
                placed = true;
            }
        }
        if (!placed)
            command << address;
        commands << command;
    }
    return commands;
}

std::optional<int> COsBrowserLauncher::LaunchBrowser(const QString& address) {
#if defined(Q_OS_WIN)
    Q_UNUSED(address);
    return std::nullopt;
#elif defined(Q_OS_MACOS)
    return StartDetached({QStringLiteral("open"), address}) ? kStarted : kFileNotFound;
#else
    const QList<QStringList> browsers = BrowserCommands(qEnvironmentVariable("BROWSER"), address);
    if (!browsers.isEmpty()) {
        for (const QStringList& command : browsers)
            if (StartDetached(command))
                return kStarted;
        return kFileNotFound;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return std::nullopt;
    return StartDetached({opener, address}) ? kStarted : kFileNotFound;
#endif
}

std::optional<int> COsBrowserLauncher::LaunchFileBrowser(const QString& folder) {
#if defined(Q_OS_WIN)
    Q_UNUSED(folder);
    return std::nullopt;
#elif defined(Q_OS_MACOS)
    return StartDetached({QStringLiteral("open"), folder}) ? kStarted : kFileNotFound;
#else
    // The desktop's own opener first, then the file managers of the common desktops.
    static const QList<QStringList> kOpeners = {
        {"xdg-open"}, {"gio", "open"}, {"kde-open5"}, {"kde-open"}, {"exo-open"},   {"nautilus"},
        {"dolphin"},  {"nemo"},        {"caja"},      {"thunar"},   {"pcmanfm-qt"}, {"pcmanfm"},
    };
    bool found = false;
    for (QStringList command : kOpeners) {
        const QString program = QStandardPaths::findExecutable(command.first());
        if (program.isEmpty())
            continue;
        found = true;
        command.first() = program;
        if (StartDetached(command << folder))
            return kStarted;
    }
    return found ? std::optional<int>(kFileNotFound) : std::nullopt;
#endif
}
