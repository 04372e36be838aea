#include "platform/ini_profile_store.h"

#include "platform/ini_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <utility>

namespace {

// The Windows functions read into 260 units, the last of them the terminator.
constexpr qsizetype kMaxValueLength = 259;

QString CutForReading(const QString& value) {
    if (value.size() <= kMaxValueLength)
        return value;
    // Never leave half of a surrogate pair behind.
    const qsizetype length =
        value[kMaxValueLength - 1].isHighSurrogate() ? kMaxValueLength - 1 : kMaxValueLength;
    return value.left(length);
}

// The whole file; empty for a missing file; nothing when the file exists but cannot be read.
std::optional<QByteArray> ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
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
    const std::optional<QByteArray> text = ReadWholeFile(m_filePath);
    if (!text)
        return false;
    const std::optional<QByteArray> updated = ini::WithValue(*text, section, key, value);
    if (!updated)
        return false;
    if (*updated == *text && QFileInfo::exists(m_filePath))
        return true;

    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*updated) != updated->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
