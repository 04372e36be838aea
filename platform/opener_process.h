#pragma once

#include <QStringList>

#include <chrono>

// What became of an opener (a web browser, xdg-open, a file manager) in its first moments.
enum class OpenerStart {
    Opened,     // ended with status 0, or still running when the watch ended
    Failed,     // ended with another status, or by a signal, while watched ("no method available")
    NotStarted, // not found, or the system would not run it
};

// How long an opener is watched at most. xdg-open without a handler gives up only after looking for
// every browser it knows: 0.25 s for an address and up to 0.65 s for a folder on a busy two-core
// machine (a load of 10). One still running by then has taken the target:
// xdg-open stays for as long as the program it hands the target to, when that program does not
// detach, and so does a browser started for the first time. Three quarters of a second is still a
// pause that a click can afford; it is reached only when the opener stays, since the wait ends as
// soon as the opener does.
inline constexpr std::chrono::milliseconds kOpenerWatch{750};

// Starts `command` (the program, looked up on $PATH unless it names a path, then its arguments,
// each passed to it as it stands, never through a command interpreter) in a session of its own, so
// that it lives on after Pagewright quits and gets no signal meant for Pagewright's terminal. Then
// waits for as long as it runs, at most kOpenerWatch, and tells what became of it. An opener that
// outlives the watch is left running and is reaped by a later call once it has ended, so it stays a
// zombie at most until the next opener starts (or Pagewright quits). Unix only.
OpenerStart StartOpener(const QStringList& command);
