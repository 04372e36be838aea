#include "system_profile_store.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "win_profile_store.h"
#else
#include "ini_profile_store.h"
#include "locations.h"
#endif

std::unique_ptr<IProfileStore> MakeSystemProfileStore() {
#ifdef Q_OS_WIN
    return std::make_unique<CWinProfileStore>();
#else
    return std::make_unique<CIniProfileStore>(SettingsFilePath());
#endif
}
