#include "platform/desktop_opener.h"

#include "tests/fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "platform/folder_opener.h"
#include "platform/os_browser_launcher.h"
#include "platform/widgets/qt_desktop_shell.h"
#include "tests/platform/fake_openers.h"
#include "tests/support/scoped_env.h"

#include <algorithm>
#include <string>
#include <utility>
#endif

namespace {

TEST(DesktopOpener, ShellFirstThenTheFallbackOfTheTargetsKind) {
    using Target = CDesktopOpener::Target;
    struct Case {
        const char* what;
        Target kind;
        bool shellOpens;
        std::optional<int> fallback; // empty: nothing to try
        int code;
    };
    const std::vector<Case> cases = {
        {"the shell opens an address", Target::Address, true, 2, 33},
        {"the browser opens it", Target::Address, false, 40, 40},
        {"the browser fails", Target::Address, false, 32, 32},
        {"no browser to try", Target::Address, false, std::nullopt, kNoAssociation},
        {"the shell opens a folder", Target::Folder, true, 2, 33},
        {"the file browser opens it", Target::Folder, false, 33, 33},
        {"the file browser is not found", Target::Folder, false, 2, 2},
        {"no file browser to try", Target::Folder, false, std::nullopt, kNoAssociation},
    };
    const QString target = "/home/me/a b$(id)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeShell shell;
        FakeBrowserLauncher launcher;
        shell.succeed = c.shellOpens;
        launcher.result = launcher.folderResult = c.fallback;
        const int code = CDesktopOpener(shell, launcher).Open(c.kind, target);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(IsLaunched(code), c.code > 32);
        const bool address = c.kind == Target::Address;
        EXPECT_EQ(shell.openedAddresses, address ? QStringList{target} : QStringList());
        EXPECT_EQ(shell.openedFolders, address ? QStringList() : QStringList{target});
        const QStringList fallback = c.shellOpens ? QStringList() : QStringList{target};
        EXPECT_EQ(launcher.launched, address ? fallback : QStringList());
        EXPECT_EQ(launcher.launchedFolders, address ? QStringList() : fallback);
    }
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// The desktop's own shell and launcher, with openers that are scripts on a PATH of the test's.
TEST(DesktopOpener, AnOpenerThatGivesUpHandsTheTargetOnToTheNextThenTheUserIsTold) {
    using Ending = FakeOpeners::Ending;
    struct Case {
        const char* what;
        std::optional<Ending> xdgOpen; // empty: not installed
        std::optional<Ending> browser; // the one browser of $BROWSER; empty: $BROWSER unset
        std::vector<std::pair<std::string, Ending>> fileBrowsers;
        int addressCode;
        std::vector<std::string> addressTries;
        bool folderShown;
        std::vector<std::string> folderTries;
    };
    const std::vector<Case> cases = {
        {"xdg-open opens both",
         Ending::Opens,
         Ending::Opens,
         {{"gio", Ending::Opens}},
         33,
         {"xdg-open"},
         true,
         {"xdg-open"}},
        {"xdg-open gives up, the next ones open",
         Ending::GivesUp,
         Ending::Opens,
         {{"gio", Ending::GivesUp}, {"nautilus", Ending::Opens}},
         33,
         {"xdg-open", "browser"},
         true,
         {"xdg-open", "gio", "nautilus"}},
        {"xdg-open gives up, nothing else is there",
         Ending::GivesUp,
         std::nullopt,
         {},
         kNoAssociation,
         {"xdg-open"},
         false,
         {"xdg-open"}},
        {"xdg-open gives up, so do the others",
         Ending::GivesUp,
         Ending::GivesUp,
         {{"gio", Ending::GivesUp}},
         kNoAssociation,
         {"xdg-open", "browser"},
         false,
         {"xdg-open", "gio"}},
        {"no xdg-open, the next one stays",
         std::nullopt,
         Ending::Opens,
         {{"gio", Ending::Stays}},
         33,
         {"browser"},
         true,
         {"gio"}},
    };
    const QString folder = "/srv/texts";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeOpeners openers;
        if (c.xdgOpen)
            openers.Add("xdg-open", *c.xdgOpen);
        if (c.browser)
            openers.Add("browser", *c.browser);
        for (const auto& [name, ending] : c.fileBrowsers)
            openers.Add(name, ending);
        const ScopedEnv path("PATH", openers.Path());
        const ScopedEnv browser = c.browser ? ScopedEnv("BROWSER", "browser") : ScopedEnv::Unset("BROWSER");
        CQtDesktopShell shell;
        COsBrowserLauncher launcher;
        FakePrompts prompts;
        const auto tries = [&] {
            std::vector<std::string> names;
            for (const std::string& call : openers.Calls())
                names.push_back(call.substr(0, call.find('|')));
            openers.ClearCalls();
            return names;
        };

        EXPECT_EQ(
            CDesktopOpener(shell, launcher).Open(CDesktopOpener::Target::Address, "https://example.org/"),
            c.addressCode);
        EXPECT_EQ(tries(), c.addressTries);

        CFolderOpener folders(shell, launcher, prompts);
        EXPECT_EQ(folders.Open(folder), c.folderShown);
        if (std::any_of(c.fileBrowsers.begin(), c.fileBrowsers.end(),
                        [](const auto& opener) { return opener.second == Ending::Stays; }))
            openers.WaitForStayingPid(); // it logs its call as it starts
        EXPECT_EQ(tries(), c.folderTries);
        if (c.folderShown) {
            EXPECT_TRUE(prompts.shown.empty());
            continue;
        }
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, CFolderOpener::WhereText(folder));
    }
}
#endif

} // namespace
