#include "app/startup_arguments.h"

#include <QDir>
#include <QUrl>

namespace {

QString FilePath(const QString& arg, const QString& workingDirectory) {
    QString path = arg;
    if (arg.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(arg);
        if (url.isLocalFile())
            path = url.toLocalFile();
    }
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(path)));
}

} // namespace

StartupArguments ParseStartupArguments(const QStringList& args, const QString& workingDirectory) {
    StartupArguments parsed;
    bool onlyFiles = false;
    for (const QString& arg : args) {
        if (onlyFiles || arg == QStringLiteral("-") || !arg.startsWith(QLatin1Char('-'))) {
            if (!arg.isEmpty())
                parsed.files << FilePath(arg, workingDirectory);
        } else if (arg == QStringLiteral("--")) {
            onlyFiles = true;
        } else if (arg == QStringLiteral("-h") || arg == QStringLiteral("--help")) {
            return {StartupArguments::Action::Help, {}, {}};
        } else if (arg == QStringLiteral("--version")) {
            return {StartupArguments::Action::Version, {}, {}};
        } else {
            return {StartupArguments::Action::Error, {}, QStringLiteral("unknown option '%1'").arg(arg)};
        }
    }
    return parsed;
}

QString StartupUsageText() {
    return QStringLiteral("Usage: pagewright [FILE...]\n"
                          "Opens the Pagewright window and adds the PDF FILEs to its job list.\n"
                          "\n"
                          "  -h, --help   show this help and exit\n"
                          "  --version    show the version and exit\n"
                          "\n"
                          "pagewright-cli converts PDF files without a window; see pagewright-cli --help.\n");
}
