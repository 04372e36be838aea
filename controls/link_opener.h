#pragma once

#include "platform/desktop_opener.h"

#include <QString>

class IPrompts;

// Opens web addresses for the link controls by the desktop opener's rule (the shell, then the
// fallback browser); when neither can, it beeps and says why in a message box "Can't open link:" with the
// reason. The services outlive the opener.
class CLinkOpener {
public:
    CLinkOpener(IDesktopShell& shell, IBrowserLauncher& browser, IPrompts& prompts)
        : m_opener(shell, browser), m_prompts(prompts) {}

    // Tries the shell, then the fallback browser. Returns a launch code: above 32 when the address
    // was opened; otherwise the fallback's code when it ran and failed, or the shell's (31, no
    // application for the address) when there was no fallback to try.
    int LaunchAddress(const QString& address) const;

    // LaunchAddress, and on failure the beep and the message. True when the address was opened.
    bool OpenLink(const QString& address) const;

    // The text of the failure message for a launch code.
    static QString FailureText(int code);

private:
    CDesktopOpener m_opener;
    IPrompts& m_prompts;
};
