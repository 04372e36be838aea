#include "batch/job_paths.h"

#include "engine/target_path.h"

#include <QFile>

QString TargetPathFor(const QString& source, const QString& outputDirectory) {
    return QString::fromStdU16String(
        MakeTargetPath(source.toStdU16String(), outputDirectory.toStdU16String()));
}

std::filesystem::path ToFileSystemPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString DuplicateKey(const QString& path) {
    return QString::fromStdU16String(JobPathKey(path.toStdU16String()));
}

QString SizeText(qint64 bytes) {
    return QString::number(bytes / 1000) + QStringLiteral("kb");
}
