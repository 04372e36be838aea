#include "app/converter_app.h"

#include "app/converter_dlg.h"
#include "app/instance_channel.h"
#include "app/user_guide_file.h"
#include "platform/os_browser_launcher.h"
#include "platform/os_directories.h"
#include "platform/system_profile_store.h"
#include "platform/widgets/qt_desktop_shell.h"
#include "platform/widgets/qt_prompts.h"

#include <QCoreApplication>
#include <QTimer>

int CConverterApp::InitInstance() {
    CInstanceChannel channel(CInstanceChannel::DefaultName());
    if (channel.HandOverOrListen(m_files) == CInstanceChannel::Start::HandedOver)
        return 0;

    CQtPrompts prompts;
    CQtDesktopShell shell;
    COsBrowserLauncher browser;
    const auto profile = MakeSystemProfileStore();
    COsDirectories directories;
    const QString userGuide = UserGuideFile(QCoreApplication::applicationDirPath());
    const PlatformServices services{prompts, shell, browser, *profile, directories, userGuide};

    CConverterDlg dialog(services);
    QObject::connect(&channel, &CInstanceChannel::FilesArrived, &dialog, &CConverterDlg::AddFromAnotherStart);
    // Once the window shows, so that the questions and the message stand over it.
    if (!m_files.isEmpty())
        QTimer::singleShot(0, &dialog, [&dialog, this] { dialog.AddFromDesktop(m_files); });
    dialog.exec();
    return 0;
}
