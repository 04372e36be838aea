#pragma once

#include "batch/button_states.h"

#include <QString>
#include <QStringList>

// The job list's columns and status texts.
enum JobColumn : int {
    kColumnNumber = 0, // "NO.": the row's position, drawn by the list
    kColumnName = 1,   // "Name": the full source path, the key of the duplicate check
    kColumnSize = 2,   // "Size": bytes / 1000, truncated, then "kb"
    kColumnTarget = 3, // "Target": always "txt"
    kColumnStatus = 4, // "Status"
};
inline constexpr int kJobColumnCount = 5;

inline const QString kStatusReady = QStringLiteral("Ready");
inline const QString kStatusConverting = QStringLiteral("Converting");
inline const QString kStatusComplete = QStringLiteral("Complete");
inline const QString kStatusFailed = QStringLiteral("Failed");

// What a conversion run writes into the main window, and nothing more: each row's selection and
// status, the command buttons and the desktop. The window implements it on the UI thread; a run's
// worker reaches it through RowEventQueue, which carries the writes out there.
class IWorkerWindow {
public:
    virtual ~IWorkerWindow() = default;

    // Writes the Status column and the row's tooltip (empty removes it).
    virtual void SetStatus(int row, const QString& status, const QString& toolTip) = 0;
    // Adds the row to the selection (other rows keep theirs) without making it the current row;
    // with `ensureVisible` the list scrolls until the row is fully visible.
    virtual void SelectRow(int row, bool ensureVisible) = 0;
    virtual void EnableCommand(Command command, bool enabled) = 0;
    // Asks the desktop to show the folder in its file browser.
    virtual void OpenFolder(const QString& path) = 0;
};

// The main window as the batch's commands see it on the UI thread: a run's writes, the job list
// (which is the only store of the batch) read row by row, the edits of it that only Add, Remove and
// Clear make, and the output directory.
class IJobWindow : public IWorkerWindow {
public:
    virtual int RowCount() const = 0;
    virtual QString CellText(int row, int column) const = 0;
    // The text of one column in every row, in row order (one call for the whole list).
    virtual QStringList ColumnTexts(int column) const = 0;
    // The text of the output-directory box.
    virtual QString OutputDirectory() const = 0;
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetCellText(int row, int column, const QString& text) = 0;
    // Inserts an empty row at `row`; the rows from there on move down by one.
    virtual void InsertRow(int row) = 0;
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual bool IsRowSelected(int row) const = 0;
    virtual void FocusList() = 0;
};
