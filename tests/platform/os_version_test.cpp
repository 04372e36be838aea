#include "platform/os_version.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(OsVersion, VersionClassesAndTheClassicTheme) {
    const struct {
        bool nt;
        int major;
        int minor;
        VersionClass expected;
    } versions[] = {
        {false, 3, 10, kVersionWin32s}, {false, 4, 0, kVersionWin95},  {false, 4, 3, kVersionWin95},
        {false, 4, 10, kVersionWin98},  {false, 4, 90, kVersionWinMe}, {false, 5, 0, kVersionWin95},
        {true, 3, 51, kVersionNT},      {true, 4, 0, kVersionNT4},     {true, 5, 0, kVersionWin2000},
        {true, 5, 1, kVersionWinXP},    {true, 5, 2, kVersionNT},      {true, 10, 0, kVersionNT},
    };
    for (const auto& v : versions)
        EXPECT_EQ(VersionClassOf({v.nt, v.major, v.minor}), v.expected)
            << v.nt << " " << v.major << "." << v.minor;
#ifndef Q_OS_WIN
    EXPECT_EQ(RunningVersionClass(), kVersionNotWindows);
    EXPECT_EQ(CurrentThemeFile(), std::nullopt);
#endif

    const struct {
        const char* theme;
        bool classic;
    } themes[] = {
        {"C:\\WINDOWS\\Resources\\Themes\\Windows Classic.theme", true},
        {"c:\\windows\\resources\\themes\\WINDOWS CLASSIC.THEME", true},
        {"C:\\WINDOWS\\Resources\\Themes\\Luna.theme", false},
        {"Windows Classic.theme.bak", false},
        {"", false},
    };
    for (const auto& t : themes)
        EXPECT_EQ(IsClassicThemeFile(QString::fromUtf8(t.theme)), t.classic) << t.theme;
}

} // namespace
