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

// A cell's text, kCellTextInset pixels in, on one line, vertically centred, cut with an ellipsis. A
// failed row's status follows its mark, in the failed colour.
void DrawCellText(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                  const QString& text) {
    QRect textRect = SelectedCellTextRect(option.rect);
    painter->setFont(option.font);
    QColor color = option.palette.color(QPalette::Active, QPalette::Text);
    if (index.column() == kColumnStatus && text == kStatusFailed) {
        color = FailedTextColor(option.palette.color(QPalette::Active, QPalette::Base),
                                SelectedRowFill(option.palette.color(QPalette::Active, QPalette::Highlight)));
        const int line = option.fontMetrics.height();
        const QRect mark = FailedMarkRect(textRect, line);
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawEllipse(mark);
        // The exclamation mark, cut out of the circle in the colour behind it.
        const QColor behind =
            option.state & QStyle::State_Selected
                ? SelectedRowFill(option.palette.color(QPalette::Active, QPalette::Highlight))
                : option.palette.color(QPalette::Active, QPalette::Base);
        const qreal stroke = std::max<qreal>(1.0, mark.width() / 7.0);
        const QPointF centre = QRectF(mark).center();
        const qreal h = mark.height();
        painter->setBrush(behind);
        painter->drawRect(QRectF(centre.x() - stroke / 2, mark.top() + h * 0.2, stroke, h * 0.4));
        painter->drawRect(QRectF(centre.x() - stroke / 2, mark.top() + h * 0.7, stroke, stroke));
        painter->setBrush(Qt::NoBrush);
        textRect = FailedTextRect(textRect, line);
    }
    painter->setPen(color);
    const QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace

int JobColumnWidth(int column, const QFont& font) {
    const QFontMetricsF metrics(font);
    int minimum = 0;
    if (column == kColumnNumber)
        minimum = CellWidthFor(metrics, WidestRowNumbers());
    else if (column == kColumnStatus) {
        const int line = static_cast<int>(std::ceil(metrics.height()));
        const int markRoom = FailedTextRect(QRect(0, 0, 1000, line), line).left();
        minimum = std::max(CellWidthFor(metrics, {kStatusReady, kStatusConverting, kStatusComplete}),
                           CellWidthFor(metrics, {kStatusFailed}) + markRoom);
    }
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
        DrawCellText(painter, cell, index, CellText(index));
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
    DrawCellText(painter, option, index, CellText(index));
    painter->restore();
}
