#include "platform/folder_opener.h"

#include "tests/fakes/fake_platform.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

TEST(FolderOpener, ShellThenFileBrowserThenWhereTheFolderIsOnce) {
    struct Case {
        const char* what;
        bool shellOpens;
        std::optional<int> launcher; // empty: no file browser to try
        bool opened;
    };
    const std::vector<Case> cases = {
        {"the shell opens it", true, 2, true},
        {"a file browser opens it", false, 33, true},
        {"no file browser", false, std::nullopt, false},
        {"the file browser cannot be started", false, 2, false},
    };
    const QString folder = "/home/me/text harvest";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeShell shell;
        FakeBrowserLauncher launcher;
        FakePrompts prompts;
        shell.succeed = c.shellOpens;
        launcher.folderResult = c.launcher;
        CFolderOpener opener(shell, launcher, prompts);
        EXPECT_EQ(opener.Open(folder), c.opened);
        EXPECT_EQ(opener.Open(folder), c.opened);
        EXPECT_EQ(shell.openedFolders, QStringList({folder, folder}));
        EXPECT_EQ(launcher.launchedFolders, c.shellOpens ? QStringList() : QStringList({folder, folder}));
        EXPECT_TRUE(launcher.launched.isEmpty());
        if (c.opened) {
            EXPECT_TRUE(prompts.shown.empty());
            continue;
        }
        ASSERT_EQ(prompts.shown.size(), 1u) << "told once";
        EXPECT_EQ(prompts.shown[0].text,
                  "No file browser could be started to show the folder.\n\nThe text files are saved in:\n" +
                      folder);
        EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);
    }
}

} // namespace
