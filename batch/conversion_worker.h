#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

class RowEventQueue;

// What a run takes from the window when it starts. The list cannot change during a run: Add, Remove
// and Clear are disabled until its end.
struct RunRows {
    QList<int> rows;     // the rows to convert, from the top down
    QStringList sources; // their Name column
    QString outputDirectory;
};

// One conversion run over the rows, on every core, reported into `events`. Rows are taken from the
// top down: before each, the stop request is looked at; the row is selected and marked
// "Converting", and once that shows, its text file is put in place and the row marked "Complete"
// (or "Failed", with the reason as the row's tooltip). The PDFs of the rows below are converted
// meanwhile; what was made ahead of a stop is dropped and their text files stay untouched. No file
// of the list is ever written as another row's text: that row fails. A failed row leaves its text
// file as it was. A PDF without text is "Complete" with kNoTextFound as its tooltip. At the end, a
// run in which rows failed says how many in one message; then a stop request is cleared, or, when
// there was none, the output directory is opened if it exists; then the commands return to the
// Ready state.
//
// Runs on the worker thread. Never throws.
void ConvertThreadProc(const RunRows& rows, RowEventQueue& events, std::atomic<bool>& stopRequested);

// The message at the end of a run in which `failed` of `rows` rows failed, counting the PDFs that
// gave no text too; empty when none failed.
QString FailureSummary(int failed, int rows, int withoutText);
