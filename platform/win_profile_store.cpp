#include "platform/win_profile_store.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
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

bool CWinProfileStore::WriteString(const QString& section, const QString& key, const QString& value) {
    return WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), kFileName) != FALSE;
}
