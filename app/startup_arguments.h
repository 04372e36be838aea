#pragma once

#include <QString>
#include <QStringList>

// The command line of the window: pagewright [--help] [--version] [--] [FILE...]. The files are
// what the desktop passes when PDFs are opened with Pagewright; they are added by the rules of Add
// once the window is up.
struct StartupArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // Absolute, cleaned paths with the platform's separators; "file:" addresses become paths.
    QStringList files;
    QString error; // with Action::Error
};

// Reads `args` (without the program's name; the toolkit's own options already taken out), taking
// relative paths from `workingDirectory`. "--" ends the options; a lone "-" is a file name.
StartupArguments ParseStartupArguments(const QStringList& args, const QString& workingDirectory);

QString StartupUsageText();
