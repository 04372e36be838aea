#include "platform/ini_profile_store.h"

#include "platform/ini_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr qsizetype kMaxValueLength = kProfileValueMaxLength;

QString CutForReading(const QString& value) {
    if (value.size() <= kMaxValueLength)
        return value;
    // Never leave half of a surrogate pair behind.
    const qsizetype length =
        value[kMaxValueLength - 1].isHighSurrogate() ? kMaxValueLength - 1 : kMaxValueLength;
    return value.left(length);
}

// How long a write waits for another process's write to the same file before it gives up.
constexpr int kLockWaitMs = 5000;

// The whole file; empty for a missing file; nothing when the file exists but cannot be read, or is
// not a regular file (a named pipe would block the reader until some writer came along).
std::optional<QByteArray> ReadWholeFile(const QString& path) {
    QFile file;
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile())
        return std::nullopt;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
#endif
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

CIniProfileStore::CIniProfileStore(QString filePath) : m_filePath(std::move(filePath)) {}

QString CIniProfileStore::ReadString(const QString& section, const QString& key,
                                     const QString& defaultValue) const {
    const std::optional<QByteArray> text = ReadWholeFile(m_filePath);
    std::optional<QString> value;
    if (text)
        value = ini::FindValue(*text, section, key);
    return CutForReading(value.value_or(defaultValue));
}

bool CIniProfileStore::WriteString(const QString& section, const QString& key, const QString& value) {
    // Names and values that can never be stored are refused before anything is created.
    if (!ini::WithValue(QByteArray(), section, key, value))
        return false;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    // Read, change and replace as one step among all processes that write this file: without the
    // lock, two writers that read the same old file would each drop the other's key.
    QLockFile lock(m_filePath + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return false;

    const std::optional<QByteArray> text = ReadWholeFile(m_filePath);
    if (!text)
        return false;
    const std::optional<QByteArray> updated = ini::WithValue(*text, section, key, value);
    if (!updated)
        return false;
    if (*updated == *text && QFileInfo::exists(m_filePath))
        return true;

    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*updated) != updated->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
