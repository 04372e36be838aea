#include "platform/widgets/system_menu.h"

#ifdef Q_OS_WIN
#include <QWidget>

#include <windows.h>

void AppendToSystemMenu(QWidget* window, unsigned command, const QString& text) {
    if (text.isEmpty())
        return;
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE);
    if (!menu)
        return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, command, reinterpret_cast<const wchar_t*>(text.utf16()));
}

bool IsSystemCommand(const QByteArray& eventType, void* message, unsigned command) {
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == command;
}
#endif
