#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "engine/file_io.h"
#include "engine/pdf_text_extractor.h"

#include <QFileInfo>
#include <QSet>

#include <memory>
#include <string>

void ConvertThreadProc(IWorkerWindow& window, std::atomic<bool>& stopRequested) {
    window.SetProgressRange(1, 100);
    const QString outputDirectory = window.OutputDirectory();
    const auto engine = std::make_unique<CPdfTextExtractor>();
    // Every source of the run, by file identity: no row's text may replace the PDF of another.
    pagewright::io::FileSet sources;
    const QStringList names = window.ColumnTexts(kColumnName);
    for (const QString& path : names)
        sources.Insert(ToFileSystemPath(path));
    const QSet<QString> known(names.begin(), names.end());

    if (window.RowCount() > 0) {
        for (int row = 0;; ++row) {
            if (stopRequested.load())
                break;
            window.SelectRow(row, true);
            const QString source = window.CellText(row, kColumnName);
            window.SetStatus(row, kStatusConverting, {});
            const QString target = TargetPathFor(source, outputDirectory);
            // A row that appeared during the run is a source of it too.
            if (!known.contains(source))
                sources.Insert(ToFileSystemPath(source));
            std::string reason;
            // A PDF without text is complete all the same; the tooltip says why its text is empty.
            if (engine->ConvertFile(ToFileSystemPath(source), ToFileSystemPath(target), &reason, &sources))
                window.SetStatus(row, kStatusComplete, QString::fromStdString(reason));
            else
                window.SetStatus(row, kStatusFailed, QString::fromStdString(reason));
            if (row + 1 >= window.RowCount())
                break;
        }
    }

    // A folder that has gone (and so made every row fail) is not shown.
    if (!stopRequested.exchange(false) && QFileInfo(outputDirectory).isDir())
        window.OpenFolder(outputDirectory);

    ApplyStateChange(window, StateChange::RunEnded);
}
