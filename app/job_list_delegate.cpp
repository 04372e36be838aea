#include "app/job_list_delegate.h"

#include "controls/drawing/dialog_units.h"
#include "controls/drawing/selected_row.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Row numbers are shown whole up to this one.
constexpr int kWidestRowNumber = 99999;

// The room a cell needs to show the widest of `texts` whole.
int CellWidthFor(const QFontMetricsF& metrics, const QStringList& texts) {
    qreal widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return static_cast<int>(std::ceil(widest)) + kCellTextInset;
}

// Row numbers as wide as any can be: each digit repeated.
QStringList WidestRowNumbers() {
    QStringList numbers;
    const auto digits = QString::number(kWidestRowNumber).size();
    for (char digit = '0'; digit <= '9'; ++digit)
        numbers << QString(digits, QLatin1Char(digit));
    return numbers;
}

// The row's bounds across all its columns, in the view's coordinates.
QRect RowBounds(const QStyleOptionViewItem& option, const QModelIndex& index) {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (!view)
        return option.rect;
    const int lastColumn = index.model()->columnCount(index.parent()) - 1;
    const QRect first = view->visualRect(index.siblingAtColumn(0));
    const QRect last = view->visualRect(index.siblingAtColumn(lastColumn));
    return QRect(QPoint(first.left(), option.rect.top()), QPoint(last.right(), option.rect.bottom()));
}

// A cell's text, kCellTextInset pixels in, on one line, vertically centred, cut with an ellipsis.
void DrawCellText(QPainter* painter, const QStyleOptionViewItem& option, const QString& text) {
    const QRect textRect = SelectedCellTextRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
    const QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace

int JobColumnWidth(int column, const QFont& font) {
    const QFontMetricsF metrics(font);
    int minimum = 0;
    if (column == kColumnNumber)
        minimum = CellWidthFor(metrics, WidestRowNumbers());
    else if (column == kColumnStatus)
        minimum = CellWidthFor(metrics, {kStatusReady, kStatusConverting, kStatusComplete, kStatusFailed});
    return ScaledPixelWidth(kJobColumns[column].width, DialogBaseUnits(font), minimum);
}

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

void CJobListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    // The painter belongs to the view: everything changed here is put back before returning.
    painter->save();
    if (!(option.state & QStyle::State_Selected)) {
        // The style draws the cell's background and focus; the text goes where a selected row has
        // it, so it stays in place when the row is selected.
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.text.clear();
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);
        DrawCellText(painter, cell, CellText(index));
        painter->restore();
        return;
    }
    const QColor highlight = option.palette.color(QPalette::Active, QPalette::Highlight);
    // Each cell paints its own part of the row's one rectangle.
    painter->setClipRect(option.rect, Qt::IntersectClip);
    const QRect frame = SelectedRowFrame(RowBounds(option, index));
    painter->fillRect(frame, SelectedRowFill(highlight));
    painter->setPen(QPen(highlight, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(frame.adjusted(0, 0, -1, -1));
    DrawCellText(painter, option, CellText(index));
    painter->restore();
}
