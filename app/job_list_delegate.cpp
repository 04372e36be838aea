#include "app/job_list_delegate.h"

#include "batch/job_window.h"

QString CJobListDelegate::CellText(const QModelIndex& index) {
    if (index.column() == kColumnNumber)
        return QString::number(index.row() + 1);
    return index.data(Qt::DisplayRole).toString();
}

void CJobListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == kColumnNumber) {
        option->text = CellText(index);
        option->features |= QStyleOptionViewItem::HasDisplay;
    }
}
