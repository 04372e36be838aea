#pragma once

#include "platform/desktop_opener.h"

#include <QString>

class IPrompts;

// Opens folders in a file browser for the window (its Open button and the end of a run), by the
// desktop opener's rule: the shell, then the launcher's file browser. When neither can, the user is told
// once where the folder is, so the text files can still be found; later failures stay quiet. The
// services outlive the opener.
class CFolderOpener {
public:
    CFolderOpener(IDesktopShell& shell, IBrowserLauncher& launcher, IPrompts& prompts)
        : m_opener(shell, launcher), m_prompts(prompts) {}

    // True when a file browser was started on `folder`.
    bool Open(const QString& folder);

    // The text of the message that says where the folder is.
    static QString WhereText(const QString& folder);

private:
    CDesktopOpener m_opener;
    IPrompts& m_prompts;
    bool m_toldWhere = false;
};
