#include "platform/folder_opener.h"

#include "platform/browser_launcher.h"
#include "platform/desktop_shell.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// Launch codes above this one mean the program was started.
constexpr int kLastFailureCode = 32;

} // namespace

bool CFolderOpener::Open(const QString& folder) {
    if (m_shell.OpenFolder(folder) || m_launcher.LaunchFileBrowser(folder).value_or(0) > kLastFailureCode)
        return true;
    if (!m_toldWhere) {
        m_toldWhere = true;
        m_prompts.ShowMessage(WhereText(folder), QCoreApplication::applicationName(),
                              PromptIcon::Information);
    }
    return false;
}

QString CFolderOpener::WhereText(const QString& folder) {
    return QStringLiteral(
               "No file browser could be started to show the folder.\n\nThe text files are saved in:\n") +
           QDir::toNativeSeparators(folder);
}
