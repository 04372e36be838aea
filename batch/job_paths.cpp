#include "batch/job_paths.h"

#include "engine/file_io.h"
#include "engine/target_path.h"

#include <QByteArrayView>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <system_error>

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

std::filesystem::path TargetFileSystemPath(const std::filesystem::path& source,
                                           const std::filesystem::path& outputDirectory) {
#ifdef Q_OS_WIN
    return ToFileSystemPath(TargetPathFor(QString::fromStdWString(source.native()),
                                          QString::fromStdWString(outputDirectory.native())));
#else
    // The rule looks only at '/' and '.', which UTF-8 never uses inside a character, so it gives
    // the same bytes on the encoded names.
    return std::filesystem::path(
        MakeTargetPath(std::string_view(source.native()), std::string_view(outputDirectory.native())));
#endif
}

QString DuplicateKey(const QString& path) {
    return QString::fromStdU16String(JobPathKey(path.toStdU16String()));
}

QString SizeText(qint64 bytes) {
    return QString::number(bytes / 1000) + QStringLiteral("kb");
}

QString NotAPdfReason(const QString& path) {
    namespace io = pagewright::io;
    io::UniqueFile file;
    io::FileKind kind = io::FileKind::Missing;
    const int error = path.isEmpty() ? ENOENT : io::OpenRegularFile(ToFileSystemPath(path), file, kind);
    if (error == ENOENT || error == ENOTDIR)
        return QStringLiteral("not found");
    if (error == 0 && !file)
        return QString::fromUtf8(io::DescribeKind(kind));
    // The open-file dialog lists a .pdf file whether or not it can be read; so does this.
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return {};
    if (error != 0)
        return QStringLiteral("cannot be read: ") +
               QString::fromStdString(std::generic_category().message(error));
    char head[1024];
    const std::size_t n = std::fread(head, 1, sizeof head, file.get());
    if (QByteArrayView(head, static_cast<qsizetype>(n)).contains("%PDF-"))
        return {};
    return QStringLiteral("not a PDF file");
}

QString LeftOutMessage(const QList<LeftOutPath>& leftOut, qsizetype shown) {
    bool notPdf = false;
    bool twice = false;
    bool running = false;
    for (const LeftOutPath& path : leftOut) {
        twice = twice || path.reason == kAlreadyInTheList;
        running = running || path.reason == kWhileConverting;
        notPdf = notPdf || (path.reason != kAlreadyInTheList && path.reason != kWhileConverting);
    }
    QString text = running  ? QStringLiteral("Files can be added once the conversion has ended. Left out:\n")
                   : !twice ? QStringLiteral("Only PDF files can be added to the list. Left out:\n")
                   : !notPdf
                       ? QStringLiteral("A file can be in the list only once. Left out:\n")
                       : QStringLiteral("Only PDF files can be added to the list, each once. Left out:\n");
    for (qsizetype i = 0; i < leftOut.size() && i < shown; ++i)
        text += QStringLiteral("\n%1 (%2)").arg(leftOut[i].path, leftOut[i].reason);
    if (leftOut.size() > shown)
        text += QStringLiteral("\n... and %1 more").arg(leftOut.size() - shown);
    return text;
}
