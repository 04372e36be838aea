#pragma once

#include "batch/job_window.h"

#include <QStyledItemDelegate>

// The job list's columns: headings, and widths in pixels as chosen for the original dialog font.
struct JobColumnTemplate {
    const char* heading;
    int width;
};
inline constexpr JobColumnTemplate kJobColumns[kJobColumnCount] = {
    {"NO.", 35}, {"Name", 245}, {"Size", 75}, {"Target", 60}, {"Status", 60}};

// The width in pixels of a job-list column for the list's `font`: the original width scaled by the
// ratio of the font's dialog base units to the original font's, and never so narrow that a status
// text or a row number up to 99,999 is cut.
int JobColumnWidth(int column, const QFont& font);

// Draws the job list's cells. The first column shows the row's position, counted from 1, so the
// numbers stay consecutive whatever rows are added above others or removed; the number is drawn,
// not stored, so painting never changes the list.
//
// A selected row (the one being converted included) is drawn as one rectangle over the whole row,
// less its two leftmost pixels: a one-pixel border in the highlight colour, filled with a light tint
// of it (SelectedRowFill), and each cell's text over it kCellTextInset pixels in, on one line,
// vertically centred, cut with an ellipsis. The text keeps the list's normal text colour, which
// stays readable on the light tint. Other rows get the style's background and focus, with their text
// at the same place, so it does not move when a row is selected.
class CJobListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text shown for a cell.
    static QString CellText(const QModelIndex& index);

    // Paints on the view's painter and leaves it as it was given: its state restored, still active.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
