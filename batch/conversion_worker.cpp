#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "batch/rows_ahead.h"
#include "engine/file_io.h"
#include "engine/pdf_text_extractor.h"

#include <QFileInfo>

#include <filesystem>
#include <memory>
#include <string>

void ConvertThreadProc(IWorkerWindow& window, std::atomic<bool>& stopRequested) {
    window.SetProgressRange(1, 100);
    const QString outputDirectory = window.OutputDirectory();
    const std::filesystem::path outputPath = ToFileSystemPath(outputDirectory);
    const auto engine = std::make_unique<CPdfTextExtractor>();
    // Every source of the run, by file identity: no row's text may replace the PDF of another.
    pagewright::io::FileSet sources;
    const QStringList names = window.ColumnTexts(kColumnName);
    sources.InsertAll(static_cast<std::size_t>(names.size()),
                      [&](std::size_t i) { return ToFileSystemPath(names[static_cast<qsizetype>(i)]); });

    CRowsAhead rowsAhead(*engine, names);
    if (window.RowCount() > 0) {
        for (int row = 0;; ++row) {
            if (stopRequested.load())
                break;
            window.SelectRow(row, true);
            const QString source = window.CellText(row, kColumnName);
            window.SetStatus(row, kStatusConverting, {});
            CPdfTextExtractor::TargetTurn turn;
            turn.ahead = rowsAhead.Find(row, source);
            std::filesystem::path ownPath;
            const std::filesystem::path& sourcePath =
                turn.ahead ? turn.ahead->source : (ownPath = ToFileSystemPath(source));
            // A row that appeared during the run is a source of it too.
            if (row >= names.size() || names[row] != source)
                sources.Insert(sourcePath);
            // The text file is looked at only once the row shows "Converting". Until then the rows
            // after it are read: the next one in any case, more while the window has yet to show it.
            turn.waitForTurn = [&] {
                if (rowsAhead.ReadNext(window, row))
                    while (!window.IsShown() && rowsAhead.ReadNext(window, row)) {
                    }
                window.WaitUntilShown();
            };
            std::string reason;
            const bool done = engine->ConvertFile(sourcePath, TargetFileSystemPath(sourcePath, outputPath),
                                                  &reason, &sources, &turn);
            rowsAhead.DropThrough(row);
            // Whatever the window did on seeing this row (a stop request among it) counts before the
            // next one.
            window.WaitUntilShown();
            // A PDF without text is complete all the same; the tooltip says why its text is empty.
            window.SetStatus(row, done ? kStatusComplete : kStatusFailed, QString::fromStdString(reason));
            if (row + 1 >= window.RowCount())
                break;
        }
    }

    // A folder that has gone (and so made every row fail) is not shown.
    if (!stopRequested.exchange(false) && QFileInfo(outputDirectory).isDir())
        window.OpenFolder(outputDirectory);

    ApplyStateChange(window, StateChange::RunEnded);
}
