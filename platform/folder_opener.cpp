#include "platform/folder_opener.h"

#include "platform/prompts.h"

#include <QCoreApplication>
#include <QDir>

bool CFolderOpener::Open(const QString& folder) {
    if (IsLaunched(m_opener.Open(CDesktopOpener::Target::Folder, folder)))
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
