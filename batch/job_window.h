#pragma once

#include <QString>

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

// The commands whose enabled state follows the batch.
enum class Command { Add, Remove, Clear, Convert, Stop, Quit };

// What the batch needs of the main window: its job list (which is the only store of the batch),
// the output directory, the command buttons, and the desktop. The window implements it on the UI
// thread; the worker reaches it through BlockingWindowProxy.
class IJobWindow {
public:
    virtual ~IJobWindow() = default;

    virtual int RowCount() const = 0;
    virtual QString CellText(int row, int column) const = 0;
    virtual void SetCellText(int row, int column, const QString& text) = 0;
    // The row's tooltip; empty removes it.
    virtual void SetRowToolTip(int row, const QString& text) = 0;
    // Inserts an empty row at `row`; the rows from there on move down by one.
    virtual void InsertRow(int row) = 0;
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual bool IsRowSelected(int row) const = 0;
    // Adds the row to the selection (other rows keep theirs) without making it the current row;
    // with `ensureVisible` the list scrolls until the row is fully visible.
    virtual void SelectRow(int row, bool ensureVisible) = 0;
    virtual void FocusList() = 0;

    // The text of the output-directory box.
    virtual QString OutputDirectory() const = 0;
    virtual void EnableCommand(Command command, bool enabled) = 0;
    virtual void SetProgressRange(int low, int high) = 0;
    // Asks the desktop to show the folder in its file browser.
    virtual void OpenFolder(const QString& path) = 0;
};
