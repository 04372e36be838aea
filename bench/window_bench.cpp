// Throughput of the main window, measured on the real window (offscreen) with a scripted picker:
//   - adding many files through the picker (the duplicate check must not make Add quadratic);
//   - a conversion run over many small PDFs (or the PDFs of a list): its time against
//     pagewright-cli's conversion of the same files on every core (ConvertAll in this process, and
//     the pagewright-cli program itself when it was built beside this one) and against the engine
//     alone on one thread, and the longest stall of the UI thread's event loop while the run goes on.
// Usage: [ROUNDS=N] window_bench [FILES_TO_ADD [PDFS_TO_CONVERT [LIST]]]   (defaults 10000 and 2000)
//   LIST: convert the PDFs named in this file (one path a line) instead of generated small ones;
//   PDFS_TO_CONVERT is then ignored. ROUNDS: how many times the runs are made (median; default 1).

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
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>

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

// CPU time of this thread or this process so far.
double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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
    const int rounds = std::max(1, qEnvironmentVariableIntValue("ROUNDS"));
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

    // Run: the engine alone over the files, the command-line tool's runner on every core, the
    // command-line tool itself (when it was built beside this program), then the window over the
    // same files while a timer on the UI thread records the longest gap between its ticks. Each
    // writes into a fresh folder of its own, so all pay the same for creating the text files. The
    // rounds alternate the ways, and each figure is the median of the rounds.
    const QStringList paths = listed.isEmpty() ? MakePdfs(inDir, toConvert, pdf) : listed;
    const QString listFile = work.filePath(QStringLiteral("list.txt"));
    {
        QFile list(listFile);
        if (!list.open(QIODevice::WriteOnly) ||
            list.write(paths.join(QLatin1Char('\n')).toUtf8() + "\n") < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(listFile));
            return 2;
        }
    }
    std::vector<std::string> sources;
    for (const QString& p : paths)
        sources.push_back(p.toStdString());
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/pagewright-cli");
    const bool haveCli = QFileInfo(cli).isExecutable();
    const char* what = listed.isEmpty() ? "small PDFs" : "listed PDFs";

    std::vector<double> engineMs, runnerMs, cliMs, windowMs, gapMs, uiCpuMs, workerCpuMs;
    int complete = 0;
    long long runnerConverted = 0;
    bool sameTexts = true;
    for (int round = 0; round < rounds; ++round) {
        const QString out = work.filePath(QStringLiteral("out%1").arg(round));
        const QString engineOut = out + QStringLiteral("/engine");
        const QString runnerOut = out + QStringLiteral("/runner");
        const QString cliOut = out + QStringLiteral("/cli");
        const QString windowOut = out + QStringLiteral("/window");
        for (const QString& dir : {engineOut, runnerOut, cliOut, windowOut})
            QDir().mkpath(dir);

        const CPdfTextExtractor engine;
        QElapsedTimer timer;
        timer.start();
        for (const QString& p : paths) {
            const QString target =
                engineOut + QStringLiteral("/") + QFileInfo(p).completeBaseName() + QStringLiteral(".txt");
            engine.ConvertFile(p.toStdString(), target.toStdString());
        }
        engineMs.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        const auto runnerRun = pagewright::cli::ConvertAll(sources, runnerOut.toStdString(), 0);
        runnerMs.push_back(timer.nsecsElapsed() / 1e6);
        runnerConverted = std::count_if(runnerRun.files.begin(), runnerRun.files.end(),
                                        [](const pagewright::cli::FileResult& r) { return r.converted; });

        if (haveCli) {
            QProcess process;
            timer.restart();
            process.start(cli, {QStringLiteral("-q"), QStringLiteral("-o"), cliOut,
                                QStringLiteral("--files-from"), listFile});
            if (!process.waitForFinished(-1) || process.exitCode() != 0) {
                std::fprintf(stderr, "pagewright-cli failed: %s\n",
                             process.readAllStandardError().constData());
                return 1;
            }
            cliMs.push_back(timer.nsecsElapsed() / 1e6);
        }

        Window window(windowOut);
        TimeAdd(window, paths);
        // The list settles (layout, the first paint of its rows) before the run is timed.
        {
            QEventLoop settle;
            QTimer::singleShot(100, &settle, &QEventLoop::quit);
            settle.exec();
        }
        QElapsedTimer sinceTick;
        double longestGap = 0;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        const double uiCpuBefore = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        const double cpuBefore = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
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
        windowMs.push_back(timer.nsecsElapsed() / 1e6);
        ticker.stop();
        const double uiCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - uiCpuBefore;
        uiCpuMs.push_back(uiCpu);
        workerCpuMs.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore - uiCpu);
        gapMs.push_back(longestGap);

        complete = 0;
        for (int row = 0; row < window.dialog->JobList()->topLevelItemCount(); ++row)
            complete += window.dialog->JobList()->topLevelItem(row)->text(4) == QStringLiteral("Complete");
        // The window must have written what the command-line tool wrote.
        const QStringList texts = QDir(runnerOut).entryList(QDir::Files);
        const QStringList windowTexts = QDir(windowOut).entryList(QDir::Files);
        sameTexts = sameTexts && texts.size() == windowTexts.size();
        for (const QString& name : texts) {
            QFile a(runnerOut + QStringLiteral("/") + name);
            QFile b(windowOut + QStringLiteral("/") + name);
            sameTexts = sameTexts && a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) &&
                        a.readAll() == b.readAll();
        }
        QDir(out).removeRecursively();
    }

    std::printf("%d rounds, medians:\n", rounds);
    std::printf("engine alone, %d %s:               %8.1f ms\n", toConvert, what, Median(engineMs));
    std::printf("pagewright-cli runner, %d %s:      %8.1f ms (%lld converted)\n", toConvert, what,
                Median(runnerMs), runnerConverted);
    if (haveCli)
        std::printf("pagewright-cli process, %d %s:     %8.1f ms\n", toConvert, what, Median(cliMs));
    std::printf("window run, %d %s:                 %8.1f ms (%d complete)\n", toConvert, what,
                Median(windowMs), complete);
    std::printf("window run / pagewright-cli runner:         %8.2f x\n", Median(windowMs) / Median(runnerMs));
    if (haveCli)
        std::printf("window run / pagewright-cli process:        %8.2f x\n",
                    Median(windowMs) / Median(cliMs));
    std::printf("CPU per row in the window run: UI thread %.1f us, workers %.1f us\n",
                Median(uiCpuMs) * 1000 / toConvert, Median(workerCpuMs) * 1000 / toConvert);
    std::printf("overhead per row over the engine:           %8.3f ms\n",
                (Median(windowMs) - Median(engineMs)) / toConvert);
    std::printf("longest UI stall during the runs:           %8.1f ms\n",
                *std::max_element(gapMs.begin(), gapMs.end()));
    std::printf("texts of the window and of the runner:      %s\n", sameTexts ? "the same" : "DIFFERENT");
    return complete == runnerConverted && sameTexts ? 0 : 1;
}
