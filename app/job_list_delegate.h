#pragma once

#include <QStyledItemDelegate>

// Draws the job list's first column as the row's position, counted from 1, so the numbers stay
// consecutive whatever rows are added above others or removed. The number is drawn, not stored:
// painting never changes the list.
class CJobListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text shown for a cell.
    static QString CellText(const QModelIndex& index);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
