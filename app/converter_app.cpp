#include "converter_app.h"

#include "converter_dlg.h"
#include "os_directories.h"
#include "qt_desktop_shell.h"
#include "qt_prompts.h"
#include "system_profile_store.h"

int CConverterApp::InitInstance() {
    CQtPrompts prompts;
    CQtDesktopShell shell;
    const auto profile = MakeSystemProfileStore();
    COsDirectories directories;
    const PlatformServices services{prompts, shell, *profile, directories};

    CConverterDlg dialog(services);
    dialog.exec();
    return 0;
}
