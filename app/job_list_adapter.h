#pragma once

#include "batch/job_window.h"

class QTreeWidget;

// The job list as the batch sees it, over the window's QTreeWidget, whose items are the batch's only
// store: reading and writing the rows, their status and tooltip, their selection, and scrolling to
// them. The rest of IJobWindow (the output directory, the commands, the progress bar and the
// desktop) is the window's own, so the window derives from this class and supplies those.
class CJobListAdapter : public IJobWindow {
public:
    int RowCount() const override;
    QString CellText(int row, int column) const override;
    QStringList ColumnTexts(int column) const override;
    void SetStatus(int row, const QString& status, const QString& toolTip) override;
    // A run selects every row it converts: the selection grows the range of a neighbouring row
    // instead of adding a range per row, so it stays a few ranges long however many rows are run.
    void SelectRow(int row, bool ensureVisible) override;
    void SetCellText(int row, int column, const QString& text) override;
    void InsertRow(int row) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    bool IsRowSelected(int row) const override;
    void FocusList() override;

protected:
    // Sets `list` up as the job list (the five columns at their widths for its font, no root
    // decoration, whole rows selected, several at once, the row drawing) and works on it from then
    // on. The list outlives the adapter's use of it.
    void AttachJobList(QTreeWidget* list);

private:
    QTreeWidget* m_list = nullptr;
};
