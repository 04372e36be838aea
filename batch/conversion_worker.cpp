#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "engine/pdf_text_extractor.h"

#include <memory>
#include <string>

int ConvertThreadProc(IJobWindow& window, std::atomic<bool>& stopRequested) {
    window.SetProgressRange(1, 100);
    const QString outputDirectory = window.OutputDirectory();
    const auto engine = std::make_unique<CPdfTextExtractor>();

    if (window.RowCount() > 0) {
        for (int row = 0;; ++row) {
            if (stopRequested.load())
                break;
            window.SelectRow(row, true);
            const QString source = window.CellText(row, kColumnName);
            window.SetCellText(row, kColumnStatus, kStatusConverting);
            window.SetRowToolTip(row, {});
            const QString target = TargetPathFor(source, outputDirectory);
            std::string reason;
            if (engine->ConvertFile(ToFileSystemPath(source), ToFileSystemPath(target), &reason)) {
                window.SetCellText(row, kColumnStatus, kStatusComplete);
            } else {
                window.SetCellText(row, kColumnStatus, kStatusFailed);
                window.SetRowToolTip(row, QString::fromStdString(reason));
            }
            if (row + 1 >= window.RowCount())
                break;
        }
    }

    if (!stopRequested.exchange(false))
        window.OpenFolder(outputDirectory);

    window.EnableCommand(Command::Convert, true);
    window.EnableCommand(Command::Clear, true);
    window.EnableCommand(Command::Remove, true);
    window.EnableCommand(Command::Stop, false);
    window.EnableCommand(Command::Add, true);
    window.EnableCommand(Command::Quit, true);
    return 1;
}
