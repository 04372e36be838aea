#include "platform/win_profile_store.h"

#include <windows.h>

namespace {

constexpr wchar_t kFileName[] = L"pagewright.ini";
constexpr DWORD kBufferLength = 260;

// Never null, so an empty string is never taken for the functions' "whole section" or "delete" forms.
LPCWSTR Wide(const QString& s) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return s.isNull() ? L"" : reinterpret_cast<LPCWSTR>(s.utf16());
}

} // namespace

QString CWinProfileStore::ReadString(const QString& section, const QString& key,
                                     const QString& defaultValue) const {
    wchar_t buffer[kBufferLength] = {};
    const DWORD length = GetPrivateProfileStringW(Wide(section), Wide(key), Wide(defaultValue), buffer,
                                                  kBufferLength, kFileName);
    return QString::fromWCharArray(buffer, static_cast<qsizetype>(length));
}

ProfileWriteResult CWinProfileStore::WriteString(const QString& section, const QString& key,
                                                 const QString& value) {
    if (WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), kFileName) != FALSE)
        return ProfileWriteResult::Written();
    const DWORD error = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed()
                            : QStringLiteral("error %1").arg(error);
    LocalFree(text);
    // The system's texts end with a full stop; the message that quotes the reason adds its own.
    if (reason.endsWith(u'.'))
        reason.chop(1);
    return ProfileWriteResult::Failed(reason);
}

QString CWinProfileStore::FilePath() const {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QString::fromWCharArray(kFileName);
    return QString::fromWCharArray(folder, static_cast<qsizetype>(length)) + u'\\' +
           QString::fromWCharArray(kFileName);
}
