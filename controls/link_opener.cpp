#include "controls/link_opener.h"

#include "platform/prompts.h"

#include <QGuiApplication>

namespace {

QString ReasonFor(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                              "were being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

} // namespace

int CLinkOpener::LaunchAddress(const QString& address) const {
    return m_opener.Open(CDesktopOpener::Target::Address, address);
}

bool CLinkOpener::OpenLink(const QString& address) const {
    const int code = LaunchAddress(address);
    if (IsLaunched(code))
        return true;
    m_prompts.Beep(PromptIcon::Exclamation);
    m_prompts.ShowMessage(FailureText(code), QGuiApplication::applicationDisplayName(),
                          PromptIcon::Exclamation);
    return false;
}

QString CLinkOpener::FailureText(int code) {
    return QStringLiteral("Can't open link:\n\n") + ReasonFor(code);
}
