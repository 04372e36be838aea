#include "platform/opener_process.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// How often a watched opener is asked whether it has ended: it is seen to end at most this late.
constexpr std::chrono::milliseconds kPollStep{5};

// Openers that outlived their watch: still our children, to be reaped once they end.
std::mutex g_runningMutex;
std::vector<pid_t> g_running;

void ReapEnded() {
    const std::lock_guard lock(g_runningMutex);
    std::erase_if(g_running, [](pid_t pid) {
        const pid_t ended = waitpid(pid, nullptr, WNOHANG);
        // -1: no longer ours to wait for (ECHILD), so nothing is left to reap either.
        return ended == pid || (ended < 0 && errno != EINTR);
    });
}

// The spawn attributes of an opener: a session of its own, no blocked signals and every signal's
// default action, whatever Pagewright ignores or handles.
class OpenerAttributes {
public:
    OpenerAttributes() {
        posix_spawnattr_init(&m_attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
        flags |= POSIX_SPAWN_SETSID;
#else
        // Without a new session, at least out of Pagewright's process group.
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&m_attributes, 0);
#endif
        posix_spawnattr_setflags(&m_attributes, flags);
    }
    ~OpenerAttributes() {
        posix_spawnattr_destroy(&m_attributes);
    }
    OpenerAttributes(const OpenerAttributes&) = delete;
    OpenerAttributes& operator=(const OpenerAttributes&) = delete;

    const posix_spawnattr_t* Get() const {
        return &m_attributes;
    }

private:
    posix_spawnattr_t m_attributes;
};

} // namespace

OpenerStart StartOpener(const QStringList& command) {
    ReapEnded();
    if (command.isEmpty() || command.first().isEmpty())
        return OpenerStart::NotStarted;
    QString program = command.first();
    if (!program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    if (program.isEmpty())
        return OpenerStart::NotStarted;

    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> arguments;
    for (const QString& argument : command)
        arguments.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const OpenerAttributes attributes;
    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), nullptr, attributes.Get(), argv.data(), environ) != 0)
        return OpenerStart::NotStarted;

    const auto end = std::chrono::steady_clock::now() + kOpenerWatch;
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? OpenerStart::Opened : OpenerStart::Failed;
        // Reaped by someone else: it started, and how it ended cannot be known.
        if (ended < 0 && errno != EINTR)
            return OpenerStart::Opened;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            const std::lock_guard lock(g_runningMutex);
            g_running.push_back(pid);
            return OpenerStart::Opened;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kPollStep, end - now));
    }
}
