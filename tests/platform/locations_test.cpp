#include "platform/locations.h"

#include "tests/support/qt_printers.h"
#include "tests/support/scoped_env.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

TEST(Locations, SettingsFileFollowsTheConfigHome) {
    QTemporaryDir home;
    QTemporaryDir config;
    const ScopedEnv homeEnv("HOME", home.path().toUtf8());
    struct Case {
        const char* name;
        std::optional<QByteArray> xdgConfigHome; // nothing: unset
        QString expected;
    };
    const std::vector<Case> cases = {
        {"unset", std::nullopt, home.path() + "/.config/pagewright.ini"},
        {"empty", QByteArray(""), home.path() + "/.config/pagewright.ini"},
        {"relative", QByteArray("relative/config"), home.path() + "/.config/pagewright.ini"},
        {"absolute", config.path().toUtf8(), config.path() + "/pagewright.ini"},
        {"absolute with a trailing slash", config.path().toUtf8() + "/", config.path() + "/pagewright.ini"},
    };
    for (const Case& c : cases) {
        const ScopedEnv xdg = c.xdgConfigHome ? ScopedEnv("XDG_CONFIG_HOME", *c.xdgConfigHome)
                                              : ScopedEnv::Unset("XDG_CONFIG_HOME");
        EXPECT_EQ(SettingsFilePath(), c.expected) << c.name;
    }
}

TEST(Locations, OutputFoldersLieInHome) {
    QTemporaryDir home;
    const ScopedEnv homeEnv("HOME", home.path().toUtf8());
    const ScopedEnv xdg("XDG_CONFIG_HOME", "/elsewhere");
    EXPECT_EQ(DefaultOutputDirectory(), home.path() + "/textharvest");
    EXPECT_EQ(FallbackOutputDirectory(), home.path() + "/textharvest");
    EXPECT_TRUE(QDir::isAbsolutePath(DefaultOutputDirectory()));

    const ScopedEnv rootHome("HOME", "/");
    EXPECT_EQ(DefaultOutputDirectory(), "/textharvest");
}

} // namespace
