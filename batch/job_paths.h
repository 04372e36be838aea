#pragma once

#include <QString>

#include <filesystem>

// Path helpers of the job list.

// Where the text of `source` goes: the output directory, the platform's separator, and the
// source's file name with ".txt" in place of its extension.
QString TargetPathFor(const QString& source, const QString& outputDirectory);

// The path as the file system functions take it (local 8-bit bytes off Windows).
std::filesystem::path ToFileSystemPath(const QString& path);

// The key under which two sources are the same row: JobPathKey, the rule the command-line tool
// also uses for its targets.
QString DuplicateKey(const QString& path);

// The Size column: bytes / 1000, truncated, then "kb" (999 bytes give "0kb").
QString SizeText(qint64 bytes);
