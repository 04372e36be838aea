#pragma once

// Tiny shell scripts that stand in for xdg-open, browsers and file managers on a PATH of their own.
// Each call of one is logged as a line "NAME|ARGUMENT|ARGUMENT...", and then the script opens
// (exits 0), gives up at once (exits 3, as xdg-open does without a handler) or stays (runs on past
// the watch, as a browser does).

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"

#include <QByteArray>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

class FakeOpeners {
public:
    enum class Ending { Opens, GivesUp, Stays };

    FakeOpeners() { std::filesystem::create_directory(Bin()); }
    ~FakeOpeners() {
        // No staying opener outlives the test; one already reaped is no longer ours to end.
        if (const pid_t pid = StayingPid(); pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0)
            kill(pid, SIGKILL);
    }
    FakeOpeners(const FakeOpeners&) = delete;
    FakeOpeners& operator=(const FakeOpeners&) = delete;

    // The folder to put on PATH.
    std::filesystem::path Bin() const { return m_dir / "bin"; }
    QByteArray Path() const { return QByteArray::fromStdString(Bin().string()); }

    void Add(const std::string& name, Ending ending) {
        const std::string log = (m_dir / "log").string();
        const std::string pidFile = (m_dir / "pid").string();
        std::string script =
            "#!/bin/sh\n{ printf '%s' \"${0##*/}\"; printf '|%s' \"$@\"; echo; } >> '" + log + "'\n";
        switch (ending) {
        case Ending::Opens:
            script += "exit 0\n";
            break;
        case Ending::GivesUp:
            script += "exit 3\n";
            break;
        case Ending::Stays:
            script += "echo $$ > '" + pidFile + ".tmp'\n/bin/mv '" + pidFile + ".tmp' '" + pidFile +
                      "'\nexec /bin/sleep 60 </dev/null >/dev/null 2>&1\n";
            break;
        }
        WriteBytes(Bin() / name, script);
        std::filesystem::permissions(Bin() / name, std::filesystem::perms::owner_all);
    }
    void Remove(const std::string& name) { std::filesystem::remove(Bin() / name); }

    // The calls so far, in order; each "NAME|ARGUMENT...".
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        std::istringstream lines(ReadBytes(m_dir / "log"));
        for (std::string line; std::getline(lines, line);)
            calls.push_back(line);
        return calls;
    }
    void ClearCalls() { std::filesystem::remove(m_dir / "log"); }

    // The process id of the opener that stays, once it has written it (it does so as it starts);
    // 0 while none has.
    pid_t StayingPid() const {
        const std::string text = ReadBytes(m_dir / "pid");
        return text.empty() ? 0 : static_cast<pid_t>(std::stol(text));
    }
    pid_t WaitForStayingPid() const {
        for (int i = 0; i < 400 && StayingPid() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return StayingPid();
    }

private:
    TempDir m_dir;
};
