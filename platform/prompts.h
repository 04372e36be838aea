#pragma once

#include <QString>
#include <QStringList>

// Modal questions and pickers. The program never shows one of these directly, so a test can
// answer them. The real implementation parents each prompt to the active window.

enum class PromptIcon { Question, Exclamation, Information, Error };

// Only an explicit No cancels: a box closed another way, or one that could not be shown, answers
// Other, which callers treat like Yes. YesToAll and NoToAll answer a question of a series for the
// questions of it that follow too.
enum class PromptAnswer { Yes, No, Other, YesToAll, NoToAll };

class IPrompts {
public:
    virtual ~IPrompts() = default;

    // A message box with the buttons Yes and No.
    virtual PromptAnswer AskYesNo(const QString& text, const QString& caption, PromptIcon icon) = 0;

    // One question of a series (whether to overwrite each of several files): a message box with
    // the buttons Yes and No, and, when `moreFollow`, "Yes to All" and "No to All" too. Escape and
    // the close box decline: No, or NoToAll when it is offered, so a long series can be left at once.
    virtual PromptAnswer AskYesNoInSeries(const QString& text, const QString& caption, PromptIcon icon,
                                          bool moreFollow) = 0;

    // A message box with an OK button.
    virtual void ShowMessage(const QString& text, const QString& caption, PromptIcon icon) = 0;

    // The system's alert sound for a message of the kind `icon`.
    virtual void Beep(PromptIcon icon) = 0;

    // The multi-select open-file dialog with the single filter "pdf Files (*.pdf)", existing files
    // only; a name typed without an extension gets ".pdf". Returns full paths in the dialog's
    // order; empty when cancelled.
    virtual QStringList PickPdfFiles() = 0;

    // The folder picker with the given title, file-system folders only, opened at `startFolder`.
    // Returns the chosen folder's path; empty when cancelled or when the choice has no file-system
    // path.
    virtual QString PickFolder(const QString& title, const QString& startFolder) = 0;
};
