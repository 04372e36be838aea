#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

// The temporaries that text files are written under before they are renamed into place: their
// names, what a signal does with them, and what a later run does with those a killed process left.
//
// A name is ".pagewright-HOST-PID-SALT-N.tmp": HOST is 12 hex digits hashed from the host's name
// and machine id, PID the process, SALT a random number of the process, N a counter. So a later run
// can tell a temporary of a process of this host that has ended from one that another machine
// sharing the folder is still writing.

namespace pagewright::io {

// A name that no other writer picks.
std::string TemporaryName();

// The named temporaries of this process, shared by every thread that makes one and by the handler
// of SIGINT, SIGTERM and SIGHUP. This class holds every rule they share:
//
// - A name is made and recorded in one step (MakeNamed) with those signals blocked in the calling
//   thread, so the handler never runs in the middle of it on that thread, and waits for it on any
//   other: every name that exists when the handler looks is recorded.
// - Once a signal has come, no new name is made: a thread that would make one waits for the end.
// - The handler (async-signal-safe: atomics and unlinkat only) removes every recorded name, then
//   lets the signal end the process with the status 128 + signal.
//
// A name is forgotten (Forget) after the file has been renamed or removed; removing a name that is
// gone already is harmless, since no other file ever has it. Nothing is recorded on Windows, where
// these signals do not stop a run.
class NamedTemporaries {
public:
    // Makes a name in the folder `folderFd`: `make` is called with a fresh name until it returns
    // something else than EEXIST (at most 100 times). On success (0) `name` holds the name and
    // `ticket` the record to Forget. Returns make's errno value. Once a signal has come, the calling
    // thread waits for the end of the process instead.
    static int MakeNamed(int folderFd, const std::function<int(const std::string& name)>& make,
                         std::string& name, int& ticket);
    static void Forget(int ticket);

    // Installs the handler of SIGINT, SIGTERM and SIGHUP (a signal that the process was started
    // with ignored stays ignored). POSIX only; once per process, before any thread is started.
    static void RemoveOnSignals();
};

// Removes from `folder` the temporaries that a process of this program left there when it was
// killed: names of the pattern above, of this host, of a process that no longer runs, regular
// files owned by this user. Returns how many were removed. Never touches another host's, a live
// process's or another user's file.
std::size_t RemoveStaleTemporaries(const std::filesystem::path& folder);

} // namespace pagewright::io
