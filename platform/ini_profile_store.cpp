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
#include <cstring>
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

// The whole file; empty for a missing file; nothing, with the reason, when the file exists but cannot
// be read, or is not a regular file (a named pipe would block the reader until some writer came
// along).
std::optional<QByteArray> ReadWholeFile(const QString& path, QString* reason = nullptr) {
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    QFile file;
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QByteArray();
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(QStringLiteral("it is not a regular file"));
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile())
        return fail(QStringLiteral("it is not a regular file"));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
#endif
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return bytes;
}

// A file that grants nobody the right to write it is kept as it is, by root too: that is what a
// read-only file means to its owner, and what the Windows functions do with one.
bool IsReadOnly(const QString& path) {
    // The mode's bits: WriteUser would ask whether this process may write, which root always may.
    const QFileDevice::Permissions writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const QFileInfo info(path);
    return info.isFile() && !(info.permissions() & writable);
}

QString LockHeldReason(const QLockFile& lock, const QString& lockPath) {
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.getLockInfo(&pid, &host, &application))
        return QStringLiteral("its lock file %1 is held by process %2 on %3")
            .arg(lockPath)
            .arg(pid)
            .arg(host);
    return QStringLiteral("its lock file %1 is in the way").arg(lockPath);
}

} // namespace

CIniProfileStore::CIniProfileStore(QString filePath, std::chrono::milliseconds lockWait)
    : m_filePath(std::move(filePath)), m_lockWait(lockWait) {}

QString CIniProfileStore::ReadString(const QString& section, const QString& key,
                                     const QString& defaultValue) const {
    const std::optional<QByteArray> text = ReadWholeFile(m_filePath);
    std::optional<QString> value;
    if (text)
        value = ini::FindValue(*text, section, key);
    return CutForReading(value.value_or(defaultValue));
}

ProfileWriteResult CIniProfileStore::WriteString(const QString& section, const QString& key,
                                                 const QString& value) {
    // Names and values that can never be stored are refused before anything is created.
    if (!ini::WithValue(QByteArray(), section, key, value))
        return ProfileWriteResult::Failed(
            QStringLiteral("the value holds characters that the file cannot keep"));
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return ProfileWriteResult::Failed(QStringLiteral("its folder %1 cannot be made").arg(folder));
    if (IsReadOnly(m_filePath))
        return ProfileWriteResult::Failed(QStringLiteral("the file is read-only"));

    // Read, change and replace as one step among all processes that write this file: without the
    // lock, two writers that read the same old file would each drop the other's key. The wait is
    // short, since the caller may be the window: a write holds the lock for a moment only, and one
    // held longer belongs to a program that hangs or to another machine sharing this folder. A lock
    // left by a dead process of this machine is taken over; age alone never makes a lock stale, since
    // a lock of another machine cannot be checked.
    const QString lockPath = m_filePath + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(m_lockWait)) {
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            return ProfileWriteResult::Failed(LockHeldReason(lock, lockPath));
        case QLockFile::PermissionError:
            return ProfileWriteResult::Failed(
                QStringLiteral("its folder is closed to writing (the lock file %1 cannot be made)")
                    .arg(lockPath));
        default:
            return ProfileWriteResult::Failed(
                QStringLiteral("its lock file %1 cannot be made").arg(lockPath));
        }
    }

    QString reason;
    const std::optional<QByteArray> text = ReadWholeFile(m_filePath, &reason);
    if (!text)
        return ProfileWriteResult::Failed(QStringLiteral("it cannot be read: %1").arg(reason));
    const std::optional<QByteArray> updated = ini::WithValue(*text, section, key, value);
    if (!updated)
        return ProfileWriteResult::Failed(QStringLiteral("the value would not read back from it as written"));
    if (*updated == *text && QFileInfo::exists(m_filePath))
        return ProfileWriteResult::Written();

    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(*updated) != updated->size() || !file.commit()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return ProfileWriteResult::Failed(error);
    }
    return ProfileWriteResult::Written();
}

QString CIniProfileStore::FilePath() const {
    return m_filePath;
}
