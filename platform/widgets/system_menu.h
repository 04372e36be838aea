#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// The window's system menu, where the platform has one (Windows).

// The command number of the About item in the system menu.
inline constexpr unsigned kAboutSystemCommand = 0x0010;

#ifdef Q_OS_WIN
// Appends a separator and an item with `command` and `text` to the window's system menu. Nothing
// happens when the window has no system menu or the text is empty.
void AppendToSystemMenu(QWidget* window, unsigned command, const QString& text);

// True when the native message is the system-menu command `command` (its low four bits ignored).
bool IsSystemCommand(const QByteArray& eventType, void* message, unsigned command);
#endif
