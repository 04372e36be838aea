#include "app/job_list_adapter.h"

#include "app/job_list_delegate.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeWidget>

#include <memory>

namespace {

// A row of the job list. Its number and the Name cell's tooltip are answered when asked, not stored:
// numbering rows on every insert or removal would rewrite, and repaint, every row below.
class CJobRowItem : public QTreeWidgetItem {
public:
    QVariant data(int column, int role) const override {
        if (column == kColumnNumber && role == Qt::DisplayRole)
            return QString::number(Row() + 1);
        if (column == kColumnName && role == Qt::ToolTipRole) {
            // The whole path, which the cell may cut, then why the row failed, if it did.
            const QString reason = QTreeWidgetItem::data(column, role).toString();
            const QString path = text(kColumnName);
            return reason.isEmpty() ? path : path + QStringLiteral("\n\n") + reason;
        }
        return QTreeWidgetItem::data(column, role);
    }

private:
    // The list is asked for the rows on screen only, mostly in order: checking the last answer
    // first keeps this constant time for them.
    int Row() const {
        const QTreeWidget* list = treeWidget();
        if (!list)
            return m_rowGuess;
        if (list->topLevelItem(m_rowGuess) != this)
            m_rowGuess = list->indexOfTopLevelItem(const_cast<CJobRowItem*>(this));
        return m_rowGuess;
    }

    mutable int m_rowGuess = 0;
};

} // namespace

void CJobListAdapter::AttachJobList(QTreeWidget* list) {
    m_list = list;
    m_list->setColumnCount(kJobColumnCount);
    QStringList headings;
    for (const JobColumnTemplate& c : kJobColumns)
        headings << QString::fromUtf8(c.heading);
    m_list->setHeaderLabels(headings);
    for (int column = 0; column < kJobColumnCount; ++column)
        m_list->setColumnWidth(column, JobColumnWidth(column, m_list->font()));
    m_list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setSortingEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->setUniformRowHeights(true);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setItemDelegate(new CJobListDelegate(m_list));
}

int CJobListAdapter::RowCount() const {
    return m_list->topLevelItemCount();
}

QString CJobListAdapter::CellText(int row, int column) const {
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

QStringList CJobListAdapter::ColumnTexts(int column) const {
    QStringList texts;
    texts.reserve(m_list->topLevelItemCount());
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        texts << m_list->topLevelItem(row)->text(column);
    return texts;
}

void CJobListAdapter::SetCellText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = m_list->topLevelItem(row))
        item->setText(column, text);
}

void CJobListAdapter::SetStatus(int row, const QString& status, const QString& toolTip) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    item->setText(kColumnStatus, status);
    if (item->toolTip(0) == toolTip)
        return;
    for (int column = 0; column < kJobColumnCount; ++column)
        item->setToolTip(column, toolTip);
}

void CJobListAdapter::InsertRow(int row) {
    m_list->insertTopLevelItem(row, new CJobRowItem());
}

void CJobListAdapter::DeleteRow(int row) {
    const std::unique_ptr<QTreeWidgetItem> removed(m_list->takeTopLevelItem(row));
}

void CJobListAdapter::DeleteAllRows() {
    m_list->clear();
}

bool CJobListAdapter::IsRowSelected(int row) const {
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item && item->isSelected();
}

void CJobListAdapter::SelectRow(int row, bool ensureVisible) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    // Added one range per row, the selection would grow to thousands of ranges that every repaint
    // walks.
    const QAbstractItemModel* model = m_list->model();
    const QModelIndex first = model->index(row, 0);
    const QModelIndex last = model->index(row, kJobColumnCount - 1);
    QItemSelectionModel* selectionModel = m_list->selectionModel();
    if (!selectionModel->isRowSelected(row, QModelIndex())) {
        QItemSelection selection = selectionModel->selection();
        bool grown = false;
        for (QItemSelectionRange& range : selection) {
            if (range.bottom() == row - 1 && range.left() == 0 && range.right() == kJobColumnCount - 1) {
                range = QItemSelectionRange(range.topLeft(), last);
                grown = true;
                break;
            }
            if (range.top() == row + 1 && range.left() == 0 && range.right() == kJobColumnCount - 1) {
                range = QItemSelectionRange(first, range.bottomRight());
                grown = true;
                break;
            }
        }
        if (grown)
            selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
        else
            selectionModel->select(QItemSelection(first, last), QItemSelectionModel::Select);
    }
    if (ensureVisible)
        m_list->scrollToItem(item);
}

void CJobListAdapter::FocusList() {
    m_list->setFocus();
}
