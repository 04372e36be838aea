#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "engine/pdf_text_extractor.h"

#include <memory>
#include <string>

void ConvertThreadProc(IWorkerWindow& window, std::atomic<bool>& stopRequested) {
    window.SetProgressRange(1, 100);
    const QString outputDirectory = window.OutputDirectory();
    const auto engine = std::make_unique<CPdfTextExtractor>();

    if (window.RowCount() > 0) {
        for (int row = 0;; ++row) {
            if (stopRequested.load())
                break;
            window.SelectRow(row, true);
            const QString source = window.CellText(row, kColumnName);
            window.SetStatus(row, kStatusConverting, {});
            const QString target = TargetPathFor(source, outputDirectory);
            std::string reason;
            if (engine->ConvertFile(ToFileSystemPath(source), ToFileSystemPath(target), &reason))
                window.SetStatus(row, kStatusComplete, {});
            else
                window.SetStatus(row, kStatusFailed, QString::fromStdString(reason));
            if (row + 1 >= window.RowCount())
                break;
        }
    }

    if (!stopRequested.exchange(false))
        window.OpenFolder(outputDirectory);

    ApplyStateChange(window, StateChange::RunEnded);
}
