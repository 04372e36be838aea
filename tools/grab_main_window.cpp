// Draws the main window offscreen, as a user sees it after converting the sample PDFs, and saves
// it as a PNG. Usage: grab_main_window SAMPLES_DIR OUTPUT_PNG
// Settings and output go to a temporary folder; nothing of the user's is touched.

#include "app/converter_dlg.h"
#include "batch/job_batch.h"
#include "tests/fakes/fake_platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

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
    FakeProfileStore profile;
    profile.values.insert(FakeProfileStore::Key("Settings", "Out Path"), out);

    QStringList samples;
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        samples << dir.absoluteFilePath(name);
    // The picker chooses the samples; every question is answered Yes.
    FakePrompts prompts;
    prompts.pdfSelections.push_back(samples);
    FakeShell shell;
    FakeBrowserLauncher browser;
    FakeDirectories directories;
    directories.existing.insert(out);

    CConverterDlg dialog(PlatformServices{prompts, shell, browser, profile, directories});
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
