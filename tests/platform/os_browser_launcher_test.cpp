#include "platform/os_browser_launcher.h"

#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

TEST(OsBrowserLauncher, EachBrowserOfTheVariableGetsTheAddressAsOneArgument) {
    const QString address = "https://example.org/a b?x=1&y=$(id)";
    struct Case {
        QString variable;
        QList<QStringList> commands;
    };
    const std::vector<Case> cases = {
        {"firefox", {{"firefox", address}}},
        {"firefox --new-tab:chromium %s", {{"firefox", "--new-tab", address}, {"chromium", address}}},
        {"\"/opt/my browser/run\" --url=%s", {{"/opt/my browser/run", "--url=" + address}}},
        {"/opt/%s/browser", {{"/opt/%s/browser", address}}}, // only arguments take the address
        {"::", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(COsBrowserLauncher::BrowserCommands(c.variable, address), c.commands)
            << c.variable.toStdString();
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
TEST(OsBrowserLauncher, StartsTheBrowserWithoutACommandInterpreter) {
    TempDir dir;
    const auto script = dir / "browser";
    const auto record = dir / "arguments";
    const auto injected = dir / "injected";
    WriteBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"" + record.string() + ".tmp\"\nmv \"" +
                           record.string() + ".tmp\" \"" + record.string() + "\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string address =
        "https://example.org/a b;touch " + injected.string() + "&x=$(touch " + injected.string() + ")";

    COsBrowserLauncher launcher;
    {
        const ScopedEnv browser("BROWSER", QByteArray::fromStdString(script.string()));
        EXPECT_EQ(launcher.LaunchBrowser(QString::fromStdString(address)), 33);
    }
    for (int i = 0; i < 200 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadBytes(record), "1\n" + address + "\n");
    EXPECT_FALSE(std::filesystem::exists(injected));

    const ScopedEnv missing("BROWSER", QByteArray::fromStdString((dir / "no-such-browser").string()));
    EXPECT_EQ(launcher.LaunchBrowser("https://example.org/"), 2);
}

TEST(OsBrowserLauncher, FoldersGoToTheFirstOpenerFound) {
    TempDir dir;
    const auto bin = dir / "bin";
    std::filesystem::create_directory(bin);
    const auto record = dir / "arguments";
    // Only `gio` is installed: it is asked to open the folder.
    WriteBytes(bin / "gio", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record.string() + ".tmp\"\n/bin/mv \"" +
                                record.string() + ".tmp\" \"" + record.string() + "\"\n");
    std::filesystem::permissions(bin / "gio", std::filesystem::perms::owner_all);
    COsBrowserLauncher launcher;
    const ScopedEnv path("PATH", QByteArray::fromStdString(bin.string()));
    EXPECT_EQ(launcher.LaunchFileBrowser("/a folder;$(id)"), 33);
    for (int i = 0; i < 200 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadBytes(record), "open\n/a folder;$(id)\n");

    std::filesystem::remove(bin / "gio");
    EXPECT_EQ(launcher.LaunchFileBrowser("/a folder"), std::nullopt) << "nothing to try";
}
#endif

} // namespace
