#pragma once

#include <QList>
#include <QString>

#include <filesystem>

// Path helpers of the job list.

// Where the text of `source` goes: the output directory, the platform's separator, and the
// source's file name with ".txt" in place of its extension.
QString TargetPathFor(const QString& source, const QString& outputDirectory);

// The path as the file system functions take it (local 8-bit bytes off Windows).
std::filesystem::path ToFileSystemPath(const QString& path);

// The same rule on file-system paths: ToFileSystemPath of TargetPathFor of the two.
std::filesystem::path TargetFileSystemPath(const std::filesystem::path& source,
                                           const std::filesystem::path& outputDirectory);

// The key under which two sources are the same row: JobPathKey, the rule the command-line tool
// also uses for its targets.
QString DuplicateKey(const QString& path);

// The Size column: bytes / 1000, truncated, then "kb" (999 bytes give "0kb").
QString SizeText(qint64 bytes);

// Why `path`, handed over by the desktop (the command line, a drop), is not a PDF file to add; empty
// when it is one. A PDF file is an existing regular file (links followed) whose name ends in ".pdf",
// in any letter case, or whose first kilobyte holds "%PDF-". Never waits on a named pipe or device.
QString NotAPdfReason(const QString& path);

// The reason of a path left out because a row holds it already.
inline const QString kAlreadyInTheList = QStringLiteral("already in the list");
// The reason of a path handed over while the list is being converted, which cannot change then.
inline const QString kWhileConverting = QStringLiteral("the list is being converted");

// One message naming the paths that were left out, each with its reason (at most `shown` of them,
// then how many more).
struct LeftOutPath {
    QString path;
    QString reason;
};
QString LeftOutMessage(const QList<LeftOutPath>& leftOut, qsizetype shown = 10);
