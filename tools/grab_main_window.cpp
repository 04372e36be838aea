// Draws the main window offscreen, as a user sees it after converting the sample PDFs, and saves
// it as a PNG. Usage: grab_main_window SAMPLES_DIR OUTPUT_PNG
// Settings and output go to a temporary folder; nothing of the user's is touched.

#include "converter_dlg.h"
#include "ini_profile_store.h"
#include "job_batch.h"
#include "os_directories.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

namespace {

// Picks the sample PDFs when asked for files; every other question is answered Yes.
class ScriptedPrompts : public IPrompts {
public:
    explicit ScriptedPrompts(QStringList files) : m_files(std::move(files)) {}
    PromptAnswer AskYesNo(const QString&, const QString&, PromptIcon) override { return PromptAnswer::Yes; }
    void ShowMessage(const QString&, const QString&, PromptIcon) override {}
    QStringList PickPdfFiles() override { return m_files; }
    QString PickFolder(const QString&) override { return {}; }

private:
    QStringList m_files;
};

class NoDesktop : public IDesktopShell {
public:
    bool OpenFolder(const QString&) override { return true; }
    bool OpenAddress(const QString&) override { return true; }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab_main_window SAMPLES_DIR OUTPUT_PNG\n");
        return 2;
    }
    QTemporaryDir work;
    const QString out = work.filePath(QStringLiteral("textharvest"));
    QDir().mkpath(out);
    CIniProfileStore profile(work.filePath(QStringLiteral("pagewright.ini")));
    profile.WriteString(QStringLiteral("Settings"), QStringLiteral("Out Path"), out);

    QStringList samples;
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        samples << dir.absoluteFilePath(name);
    ScriptedPrompts prompts(samples);
    NoDesktop shell;
    COsDirectories directories;

    CConverterDlg dialog(PlatformServices{prompts, shell, profile, directories});
    dialog.show();
    dialog.OnAdd();
    dialog.OnConvert();
    QElapsedTimer timer;
    timer.start();
    while (dialog.Batch().IsRunning() && timer.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    dialog.JobList()->clearSelection();
    dialog.JobList()->topLevelItem(0)->setSelected(true);
    QApplication::processEvents();

    if (!dialog.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "grab_main_window: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
