// Throughput of the main window, measured on the real window (offscreen) with a scripted picker:
//   - adding many files through the picker (the duplicate check must not make Add quadratic);
//   - a conversion run over many small PDFs: its time against pagewright-cli's conversion of the
//     same files one at a time (ConvertAll with one job, in this process) and against the engine
//     alone, and the longest stall of the UI thread's event loop while the run goes on.
// Usage: window_bench [FILES_TO_ADD [PDFS_TO_CONVERT [LIST]]]   (defaults 10000 and 2000)
//   LIST: convert the PDFs named in this file (one path a line) instead of generated small ones;
//   PDFS_TO_CONVERT is then ignored.

#include "app/converter_dlg.h"
#include "batch/job_batch.h"
#include "cli/conversion_runner.h"
#include "engine/pdf_text_extractor.h"
#include "tests/fakes/fake_platform.h"
#include "tools/pdf_builder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

QStringList MakePdfs(const QString& dir, int count, const std::string& pdf) {
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString path = dir + QStringLiteral("/doc%1.pdf").arg(i, 5, 10, QLatin1Char('0'));
        if (!pagewright::pdfgen::WriteFile(path.toStdString(), pdf)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        paths << path;
    }
    return paths;
}

struct Window {
    FakePrompts prompts;
    FakeShell shell;
    FakeBrowserLauncher browser;
    FakeProfileStore profile;
    FakeDirectories directories;
    std::unique_ptr<CConverterDlg> dialog;

    explicit Window(const QString& outDir) {
        profile.values.insert(FakeProfileStore::Key("Settings", "Out Path"), outDir);
        directories.existing.insert(outDir);
        dialog =
            std::make_unique<CConverterDlg>(PlatformServices{prompts, shell, browser, profile, directories});
        dialog->show();
        QApplication::processEvents();
    }
};

// Milliseconds to add `paths` with one click of Add, including the repaint that follows.
double TimeAdd(Window& window, const QStringList& paths) {
    window.prompts.pdfSelections.push_back(paths);
    QElapsedTimer timer;
    timer.start();
    window.dialog->OnAdd();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int toAdd = argc > 1 ? std::atoi(argv[1]) : 10000;
    int toConvert = argc > 2 ? std::atoi(argv[2]) : 2000;
    QStringList listed;
    if (argc > 3) {
        QFile list(QString::fromLocal8Bit(argv[3]));
        if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "cannot read %s\n", argv[3]);
            return 2;
        }
        while (!list.atEnd()) {
            const QString line = QString::fromUtf8(list.readLine()).trimmed();
            if (!line.isEmpty())
                listed << line;
        }
        toConvert = static_cast<int>(listed.size());
    }

    QTemporaryDir work;
    const QString inDir = work.filePath(QStringLiteral("in"));
    const QString outDir = work.filePath(QStringLiteral("out"));
    QDir().mkpath(inDir);
    QDir().mkpath(outDir);
    const std::string pdf = pagewright::pdfgen::MakePdf({pagewright::pdfgen::LinesContent(
        {"A small page of text.", "Its second line.", "And a third one."})});

    // Add: one click with all files, then the same number again on a full list (every path checked
    // against every row), which is where a linear duplicate check per file would show.
    {
        const QStringList paths = MakePdfs(inDir, toAdd, pdf);
        Window window(outDir);
        const double first = TimeAdd(window, paths);
        QStringList more;
        for (const QString& p : paths)
            more << p + QStringLiteral(".b.pdf");
        const double second = TimeAdd(window, more);
        std::printf("add %d files to an empty list:          %8.1f ms (%d rows)\n", toAdd, first,
                    window.dialog->JobList()->topLevelItemCount() - toAdd);
        std::printf("add %d more to a list of %d:        %8.1f ms (%d rows)\n", toAdd, toAdd, second,
                    window.dialog->JobList()->topLevelItemCount());
        window.dialog->OnClear();
        QDir(inDir).removeRecursively();
        QDir().mkpath(inDir);
    }

    // Run: the engine alone over the files, the command-line tool's runner with one job, then the
    // window over the same files while a timer on the UI thread records the longest gap between
    // its ticks. Each writes into a fresh folder of its own, so all pay the same for creating the
    // text files.
    const QStringList paths = listed.isEmpty() ? MakePdfs(inDir, toConvert, pdf) : listed;
    const QString engineOut = work.filePath(QStringLiteral("engine-out"));
    const QString cliOut = work.filePath(QStringLiteral("cli-out"));
    const QString windowOut = work.filePath(QStringLiteral("window-out"));
    QDir().mkpath(engineOut);
    QDir().mkpath(cliOut);
    QDir().mkpath(windowOut);
    const CPdfTextExtractor engine;
    QElapsedTimer timer;
    timer.start();
    for (const QString& p : paths) {
        const QString target =
            engineOut + QStringLiteral("/") + QFileInfo(p).completeBaseName() + QStringLiteral(".txt");
        engine.ConvertFile(p.toStdString(), target.toStdString());
    }
    const double engineMs = timer.nsecsElapsed() / 1e6;

    std::vector<std::string> sources;
    for (const QString& p : paths)
        sources.push_back(p.toStdString());
    timer.restart();
    const auto cliRun = pagewright::cli::ConvertAll(sources, cliOut.toStdString(), 1);
    const double cliMs = timer.nsecsElapsed() / 1e6;
    const auto cliConverted = std::count_if(cliRun.files.begin(), cliRun.files.end(),
                                            [](const pagewright::cli::FileResult& r) { return r.converted; });

    Window window(windowOut);
    TimeAdd(window, paths);
    QElapsedTimer sinceTick;
    double longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    timer.restart();
    sinceTick.start();
    ticker.start();
    // The run's own event loop, as the window's: processEvents in a loop would keep this thread
    // busy and take a core from the worker.
    QEventLoop loop;
    QObject::connect(&window.dialog->Batch(), &CJobBatch::RunFinished, &loop, &QEventLoop::quit);
    window.dialog->OnConvert();
    if (window.dialog->Batch().IsRunning())
        loop.exec();
    const double runMs = timer.nsecsElapsed() / 1e6;
    ticker.stop();

    int complete = 0;
    for (int row = 0; row < window.dialog->JobList()->topLevelItemCount(); ++row)
        complete += window.dialog->JobList()->topLevelItem(row)->text(4) == QStringLiteral("Complete");
    const char* what = listed.isEmpty() ? "small PDFs" : "listed PDFs";
    std::printf("engine alone, %d %s:               %8.1f ms\n", toConvert, what, engineMs);
    std::printf("pagewright-cli -j1 runner, %d %s:  %8.1f ms (%d converted)\n", toConvert, what, cliMs,
                static_cast<int>(cliConverted));
    std::printf("window run, %d %s:                 %8.1f ms (%d complete)\n", toConvert, what, runMs,
                complete);
    std::printf("window run / pagewright-cli -j1:            %8.2f x\n", runMs / cliMs);
    std::printf("overhead per row over the engine:           %8.3f ms\n", (runMs - engineMs) / toConvert);
    std::printf("longest UI stall during the run:            %8.1f ms\n", longestGap);
    return complete == cliConverted ? 0 : 1;
}
