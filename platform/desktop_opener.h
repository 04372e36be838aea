#pragma once

#include <QString>

class IBrowserLauncher;
class IDesktopShell;

// Launch codes, as the desktop reports the start of a program: above kLastLaunchFailure the program
// was started; at or below it, the number says why not.
inline constexpr int kLastLaunchFailure = 32;
// A refusal of the shell with no fallback to try: no application is associated with the target.
inline constexpr int kNoAssociation = 31;

inline bool IsLaunched(int code) {
    return code > kLastLaunchFailure;
}

// The program's one rule for showing something on the desktop: the shell first, then the launcher's
// fallback (a web browser for an address, a file browser for a folder), which gets the target as its
// one argument. What a failure means to the user is the caller's business. The services outlive the
// opener.
class CDesktopOpener {
public:
    enum class Target { Address, Folder };

    CDesktopOpener(IDesktopShell& shell, IBrowserLauncher& launcher) : m_shell(shell), m_launcher(launcher) {}

    // A launch code: kLastLaunchFailure + 1 when the shell opened `target`; otherwise the
    // fallback's code when it ran, or kNoAssociation when there was no fallback to try.
    int Open(Target kind, const QString& target) const;

private:
    IDesktopShell& m_shell;
    IBrowserLauncher& m_launcher;
};
