#include "tests/controls/controls_fixture.h"

#include <optional>
#include <vector>

namespace {

using LinkOpener = ControlsTest;

TEST_F(LinkOpener, ShellFirstThenTheBrowserThenABeepAndTheReason) {
    struct Case {
        const char* what;
        bool shellOpens;
        std::optional<int> browser; // empty: no browser to try
        bool opened;
        QString message; // empty: none
    };
    const std::vector<Case> cases = {
        {"the shell opens it", true, 2, true, {}},
        {"the browser opens it", false, 33, true, {}},
        {"no browser: the shell's refusal", false, std::nullopt, false,
         "Can't open link:\n\nThere is no application associated\nwith the given filename extension."},
        {"the browser fails with 32", false, 32, false,
         "Can't open link:\n\nThe specified dynamic-link library was not found."},
        {"the browser fails with 4", false, 4, false, "Can't open link:\n\nUnknown Error (4) occurred."},
        {"the browser is not found", false, 2, false,
         "Can't open link:\n\nThe specified file was not found."},
    };
    const QString address = "https://example.org/a b?x=1&y=$(id)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeShell shell;
        FakeBrowserLauncher browser;
        FakePrompts prompts;
        shell.succeed = c.shellOpens;
        browser.result = c.browser;
        const CLinkOpener links(shell, browser, prompts);
        EXPECT_EQ(links.OpenLink(address), c.opened);
        EXPECT_EQ(shell.openedAddresses, QStringList{address});
        EXPECT_EQ(browser.launched, c.shellOpens ? QStringList() : QStringList{address});
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompts.shown.empty());
            EXPECT_TRUE(prompts.beeps.empty());
            continue;
        }
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, c.message);
        EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompts.beepsBeforeShown, std::vector<size_t>{1}) << "the beep comes first";
    }
}

} // namespace
