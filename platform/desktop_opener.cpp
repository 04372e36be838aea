#include "platform/desktop_opener.h"

#include "platform/browser_launcher.h"
#include "platform/desktop_shell.h"

#include <optional>

int CDesktopOpener::Open(Target kind, const QString& target) const {
    const bool shellOpened =
        kind == Target::Address ? m_shell.OpenAddress(target) : m_shell.OpenFolder(target);
    if (shellOpened)
        return kLastLaunchFailure + 1;
    const std::optional<int> fallback =
        kind == Target::Address ? m_launcher.LaunchBrowser(target) : m_launcher.LaunchFileBrowser(target);
    return fallback.value_or(kNoAssociation);
}
