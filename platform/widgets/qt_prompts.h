#pragma once

#include "platform/prompts.h"

// The prompts as Qt dialogs, each modal to the application's active window.
//
// A Yes/No box can be answered only with its two buttons: Escape and the close box do nothing, so
// that no answer but an explicit No cancels, and no keystroke quietly means Yes either. A question
// of a series is the exception: there they decline.
class CQtPrompts : public IPrompts {
public:
    PromptAnswer AskYesNo(const QString& text, const QString& caption, PromptIcon icon) override;
    PromptAnswer AskYesNoInSeries(const QString& text, const QString& caption, PromptIcon icon,
                                  bool moreFollow) override;
    void ShowMessage(const QString& text, const QString& caption, PromptIcon icon) override;
    void Beep(PromptIcon icon) override;
    QStringList PickPdfFiles() override;
    QString PickFolder(const QString& title, const QString& startFolder) override;
};
