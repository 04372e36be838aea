#include "engine/temporary_files.h"

#include "engine/os_path.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pagewright::io {

namespace {

constexpr char kPrefix[] = ".pagewright-";
constexpr char kSuffix[] = ".tmp";
constexpr std::size_t kHostDigits = 12;

std::uint64_t Fnv1a(const std::string& text, std::uint64_t hash = 14695981039346656037ull) {
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// Asked once: every temporary of the process carries it.
unsigned long ProcessId() {
#ifdef _WIN32
    static const unsigned long pid = static_cast<unsigned long>(_getpid());
#else
    static const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
    return pid;
}

// The host's name and, where there is one, its machine id: two machines that share a folder differ
// in one of them (containers of one image share the id, not the name).
const std::string& HostToken() {
    static const std::string token = [] {
        std::string host;
#ifdef _WIN32
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        if (GetComputerNameW(name, &size))
            host = PathToUtf8(std::filesystem::path(std::wstring(name, size)));
#else
        char name[256] = {};
        if (gethostname(name, sizeof name - 1) == 0)
            host = name;
        std::ifstream id("/etc/machine-id");
        std::string machine;
        std::getline(id, machine);
        host += "/" + machine;
#endif
        static const char digits[] = "0123456789abcdef";
        std::uint64_t hash = Fnv1a(host);
        std::string hex(kHostDigits, '0');
        for (std::size_t i = kHostDigits; i-- > 0; hash >>= 4)
            hex[i] = digits[hash & 15];
        return hex;
    }();
    return token;
}

// The process of a temporary's name when it is one of this host's, or 0.
unsigned long ProcessOfName(const std::string& name) {
    const std::string& host = HostToken();
    const std::size_t prefix = sizeof kPrefix - 1;
    const std::size_t suffix = sizeof kSuffix - 1;
    if (name.size() <= prefix + host.size() + suffix || name.compare(0, prefix, kPrefix) != 0 ||
        name.compare(prefix, host.size(), host) != 0 || name[prefix + host.size()] != '-' ||
        name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return 0;
    // PID-SALT-N: three runs of digits.
    unsigned long pid = 0;
    int field = 0;
    bool digit = false;
    for (std::size_t i = prefix + host.size() + 1; i < name.size() - suffix; ++i) {
        const char c = name[i];
        if (c >= '0' && c <= '9') {
            if (field == 0) {
                if (pid > 100000000ul)
                    return 0;
                pid = pid * 10 + static_cast<unsigned long>(c - '0');
            }
            digit = true;
        } else if (c == '-' && digit) {
            ++field;
            digit = false;
        } else {
            return 0;
        }
    }
    return field == 2 && digit ? pid : 0;
}

} // namespace

std::string TemporaryName() {
    static const unsigned salt = std::random_device{}();
    static std::atomic<unsigned> counter{0};
    return kPrefix + HostToken() + "-" + std::to_string(ProcessId()) + "-" + std::to_string(salt) + "-" +
           std::to_string(counter.fetch_add(1)) + kSuffix;
}

#ifndef _WIN32

namespace {

// Names recorded for the signal handler: enough for every file a run holds open at once (the
// runner keeps at most a few dozen); a name made past that is simply not recorded.
constexpr std::size_t kSlots = 1024;
constexpr std::size_t kNameBytes = 96;

enum SlotState : int { kFree, kFilling, kRecorded };

struct Slot {
    std::atomic<int> state{kFree};
    int folder = -1;
    char name[kNameBytes] = {};
};

Slot g_slots[kSlots];
std::atomic<bool> g_installed{false};
std::atomic<bool> g_signalled{false};
std::atomic<int> g_naming{0}; // threads between making a name and recording it

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t HandledSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kSignals)
        sigaddset(&set, sig);
    return set;
}

extern "C" void RemoveAndDie(int sig) {
    const int savedErrno = errno;
    g_signalled.store(true);
    // Threads making a name have these signals blocked, so none of them is this one: wait for them
    // to record what they made.
    while (g_naming.load() != 0) {
    }
    for (Slot& slot : g_slots)
        if (slot.state.load() == kRecorded)
            unlinkat(slot.folder, slot.name, 0);
    // Back to the default (SA_RESETHAND did so on entry; said again for runtimes that stand between
    // the system and this handler), and the signal, blocked until the handler returns, then ends
    // the process as it would have without a handler.
    signal(sig, SIG_DFL);
    raise(sig);
    errno = savedErrno;
}

} // namespace

int NamedTemporaries::MakeNamed(int folderFd, const std::function<int(const std::string& name)>& make,
                                std::string& name, int& ticket) {
    ticket = -1;
    const bool guarded = g_installed.load(std::memory_order_relaxed);
    sigset_t old;
    if (guarded) {
        const sigset_t set = HandledSignals();
        pthread_sigmask(SIG_BLOCK, &set, &old);
    }
    g_naming.fetch_add(1);
    if (g_signalled.load()) {
        // The process is ending: this thread waits for the end instead of failing a file on it.
        g_naming.fetch_sub(1);
        for (;;)
            pause();
    }
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName();
        error = make(name);
        if (error != EEXIST)
            break;
    }
    if (error == 0 && name.size() < kNameBytes) {
        for (std::size_t i = 0; i < kSlots; ++i) {
            int expected = kFree;
            if (g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
                g_slots[i].folder = folderFd;
                std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
                g_slots[i].state.store(kRecorded);
                ticket = static_cast<int>(i);
                break;
            }
        }
    }
    g_naming.fetch_sub(1);
    if (guarded)
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return error;
}

void NamedTemporaries::Forget(int ticket) {
    if (ticket >= 0 && static_cast<std::size_t>(ticket) < kSlots)
        g_slots[ticket].state.store(kFree);
}

void NamedTemporaries::RemoveOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveAndDie;
    action.sa_mask = HandledSignals();
    action.sa_flags = SA_RESETHAND;
    g_installed.store(true);
    for (const int sig : kSignals) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue; // started ignored (nohup): stays so
        sigaction(sig, &action, nullptr);
    }
}

std::size_t RemoveStaleTemporaries(const std::filesystem::path& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return 0;
    const int fd = dirfd(dir);
    const uid_t self = geteuid();
    std::size_t removed = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            continue;
        const unsigned long pid = ProcessOfName(entry->d_name);
        if (pid == 0 || pid == ProcessId())
            continue;
        // A process that runs (or that this user may not even ask about) keeps its file.
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat st;
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != self)
            continue;
        if (unlinkat(fd, entry->d_name, 0) == 0)
            ++removed;
    }
    closedir(dir);
    return removed;
}

#else // _WIN32

int NamedTemporaries::MakeNamed(int, const std::function<int(const std::string& name)>& make,
                                std::string& name, int& ticket) {
    ticket = -1;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        name = TemporaryName();
        error = make(name);
    }
    return error;
}

void NamedTemporaries::Forget(int) {}

void NamedTemporaries::RemoveOnSignals() {}

std::size_t RemoveStaleTemporaries(const std::filesystem::path& folder) {
    std::error_code ec;
    std::size_t removed = 0;
    for (std::filesystem::directory_iterator it(OsPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = PathToUtf8(it->path().filename());
        const unsigned long pid = ProcessOfName(name);
        if (pid == 0 || pid == ProcessId())
            continue;
        // A process that can be opened, or that this user may not open, still runs.
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
        if (process) {
            CloseHandle(process);
            continue;
        }
        if (GetLastError() != ERROR_INVALID_PARAMETER)
            continue;
        std::error_code removeError;
        if (it->is_regular_file(removeError) && std::filesystem::remove(it->path(), removeError))
            ++removed;
    }
    return removed;
}

#endif

} // namespace pagewright::io
