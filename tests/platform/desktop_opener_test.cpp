#include "platform/desktop_opener.h"

#include "tests/fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

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

} // namespace
