#include "platform/os_browser_launcher.h"

#include "platform/desktop_opener.h"

#include <QProcess>
#include <QStandardPaths>

#if !defined(Q_OS_WIN)
#include "platform/opener_process.h"
#endif

namespace {

// Launch codes, in the shell's numbering.
constexpr int kStarted = 33;
constexpr int kFileNotFound = 2;

#if !defined(Q_OS_WIN)
// Starts the commands in turn until one opens its target: kStarted. Otherwise kNoAssociation when
// one of them ran and gave up, else kFileNotFound: none could be started.
int LaunchFirst(const QList<QStringList>& commands) {
    bool refused = false;
    for (const QStringList& command : commands) {
        switch (StartOpener(command)) {
        case OpenerStart::Opened:
            return kStarted;
        case OpenerStart::Failed:
            refused = true;
            break;
        case OpenerStart::NotStarted:
            break;
        }
    }
    return refused ? kNoAssociation : kFileNotFound;
}
#endif

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
    return LaunchFirst({{QStringLiteral("open"), address}});
#else
    const QList<QStringList> browsers = BrowserCommands(qEnvironmentVariable("BROWSER"), address);
    if (browsers.isEmpty())
        return std::nullopt;
    return LaunchFirst(browsers);
#endif
}

std::optional<int> COsBrowserLauncher::LaunchFileBrowser(const QString& folder) {
#if defined(Q_OS_WIN)
    Q_UNUSED(folder);
    return std::nullopt;
#elif defined(Q_OS_MACOS)
    return LaunchFirst({{QStringLiteral("open"), folder}});
#else
    // The openers of the common desktops, then their file managers.
    static const QList<QStringList> kOpeners = {
        {"gio", "open"}, {"kde-open5"}, {"kde-open"}, {"exo-open"},   {"nautilus"}, {"dolphin"},
        {"nemo"},        {"caja"},      {"thunar"},   {"pcmanfm-qt"}, {"pcmanfm"},
    };
    QList<QStringList> installed;
    for (QStringList command : kOpeners) {
        const QString program = QStandardPaths::findExecutable(command.first());
        if (program.isEmpty())
            continue;
        command.first() = program;
        installed << (command << folder);
    }
    if (installed.isEmpty())
        return std::nullopt;
    return LaunchFirst(installed);
#endif
}
