#include "platform/os_browser_launcher.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <vector>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "tests/platform/fake_openers.h"
#include "tests/support/scoped_env.h"

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>
#endif

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
using Ending = FakeOpeners::Ending;

TEST(OsBrowserLauncher, BrowsersAreTriedInTurnUntilOneTakesTheAddress) {
    FakeOpeners openers;
    openers.Add("opens", Ending::Opens);
    openers.Add("gives-up", Ending::GivesUp);
    openers.Add("xdg-open", Ending::Opens); // the shell's: never a fallback of its own
    const TempDir scratch;
    const std::string injected = (scratch / "injected").string();
    const std::string address = "https://example.org/a b;touch " + injected + "&x=$(touch " + injected + ")";
    struct Case {
        const char* browser;
        std::optional<int> code;
        std::vector<std::string> tried;
    };
    const std::vector<Case> cases = {
        {"opens", 33, {"opens"}},
        {"gives-up", 31, {"gives-up"}},
        {"missing", 2, {}},
        {"gives-up:opens", 33, {"gives-up", "opens"}},
        {"missing:opens:gives-up", 33, {"opens"}},
        {"missing:gives-up", 31, {"gives-up"}},
        {"", std::nullopt, {}},
    };
    const ScopedEnv path("PATH", openers.Path());
    COsBrowserLauncher launcher;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.browser);
        openers.ClearCalls();
        const ScopedEnv browser("BROWSER", c.browser);
        EXPECT_EQ(launcher.LaunchBrowser(QString::fromStdString(address)), c.code);
        std::vector<std::string> calls;
        for (const std::string& name : c.tried)
            calls.push_back(name + "|" + address);
        EXPECT_EQ(openers.Calls(), calls);
    }
    EXPECT_FALSE(std::filesystem::exists(injected)) << "no command interpreter saw the address";
}

TEST(OsBrowserLauncher, FoldersGoToTheOpenersInstalledInTurn) {
    FakeOpeners openers;
    openers.Add("xdg-open", Ending::Opens); // the shell's: never a fallback of its own
    openers.Add("gio", Ending::GivesUp);
    openers.Add("thunar", Ending::Opens);
    const ScopedEnv path("PATH", openers.Path());
    const QString folder = "/a folder;$(id)";
    COsBrowserLauncher launcher;
    EXPECT_EQ(launcher.LaunchFileBrowser(folder), 33);
    EXPECT_EQ(openers.Calls(),
              (std::vector<std::string>{"gio|open|/a folder;$(id)", "thunar|/a folder;$(id)"}));

    openers.ClearCalls();
    openers.Remove("thunar");
    EXPECT_EQ(launcher.LaunchFileBrowser(folder), 31) << "gio ran and gave up";
    EXPECT_EQ(openers.Calls(), std::vector<std::string>{"gio|open|/a folder;$(id)"});

    openers.Remove("gio");
    EXPECT_EQ(launcher.LaunchFileBrowser(folder), std::nullopt) << "nothing to try";
}

// The state of a process from /proc: 'Z' for a zombie.
char ProcessState(pid_t pid) {
    const std::string stat = ReadBytes("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = stat.rfind(')');
    return end == std::string::npos || end + 2 >= stat.size() ? '?' : stat[end + 2];
}

TEST(OsBrowserLauncher, ABrowserThatStaysHasTakenTheAddressLivesOnItsOwnAndIsReapedLater) {
    FakeOpeners openers;
    openers.Add("stays", Ending::Stays);
    openers.Add("opens", Ending::Opens);
    const ScopedEnv path("PATH", openers.Path());
    COsBrowserLauncher launcher;
    {
        const ScopedEnv browser("BROWSER", "stays");
        EXPECT_EQ(launcher.LaunchBrowser("https://example.org/"), 33);
    }
    const pid_t pid = openers.WaitForStayingPid();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(kill(pid, 0), 0) << "left running";
    EXPECT_EQ(getsid(pid), pid) << "in a session of its own, out of reach of the terminal's signals";

    // Once it has ended, the next launch reaps it.
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    for (int i = 0; i < 400 && ProcessState(pid) != 'Z'; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_EQ(ProcessState(pid), 'Z');
    const ScopedEnv browser("BROWSER", "opens");
    EXPECT_EQ(launcher.LaunchBrowser("https://example.org/"), 33);
    const pid_t reaped = waitpid(pid, nullptr, WNOHANG);
    const int error = errno;
    EXPECT_EQ(reaped, -1) << "already reaped";
    EXPECT_EQ(error, ECHILD);
}
#endif

} // namespace
