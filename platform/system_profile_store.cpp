#include "platform/system_profile_store.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "platform/win_profile_store.h"
#else
#include "platform/ini_profile_store.h"
#include "platform/locations.h"
#endif

std::unique_ptr<IProfileStore> MakeSystemProfileStore() {
#ifdef Q_OS_WIN
    return std::make_unique<CWinProfileStore>();
#else
    return std::make_unique<CIniProfileStore>(SettingsFilePath());
#endif
}
