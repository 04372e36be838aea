#include "platform/os_version.h"

#include <QOperatingSystemVersion>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

VersionClass VersionClassOf(const WindowsVersionReport& report) {
    if (!report.ntFamily) {
        if (report.major < 4)
            return kVersionWin32s;
        if (report.major == 4 && report.minor == 10)
            return kVersionWin98;
        if (report.major == 4 && report.minor == 90)
            return kVersionWinMe;
        return kVersionWin95;
    }
    if (report.major == 4)
        return kVersionNT4;
    if (report.major == 5 && report.minor == 0)
        return kVersionWin2000;
    if (report.major == 5 && report.minor == 1)
        return kVersionWinXP;
    return kVersionNT;
}

std::optional<WindowsVersionReport> RunningWindowsVersion() {
    const QOperatingSystemVersion running = QOperatingSystemVersion::current();
    if (running.type() != QOperatingSystemVersion::Windows)
        return std::nullopt;
    // Qt runs only on the NT family.
    return WindowsVersionReport{true, running.majorVersion(), running.minorVersion()};
}

VersionClass RunningVersionClass() {
    const std::optional<WindowsVersionReport> report = RunningWindowsVersion();
    return report ? VersionClassOf(*report) : kVersionNotWindows;
}

bool IsClassicThemeFile(const QString& currentTheme) {
    return currentTheme.endsWith(QStringLiteral("Windows Classic.theme"), Qt::CaseInsensitive);
}

std::optional<QString> CurrentThemeFile() {
#ifdef Q_OS_WIN
    // The key's default value, read into 260 units like every other string of the program.
    wchar_t buffer[260] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Plus!\\Themes\\Current", nullptr,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return QString::fromWCharArray(buffer);
#else
    return std::nullopt;
#endif
}
