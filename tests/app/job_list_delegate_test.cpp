#include "app/job_list_delegate.h"

#include "controls/drawing/dialog_units.h"
#include "controls/drawing/hls_color.h"
#include "controls/drawing/selected_row.h"
#include "tests/app/dialog_fixture.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <vector>

namespace {

TEST(JobColumns, ScaleWithTheFontAndShowEveryStatusAndRowNumberWhole) {
    // The widths chosen for the original font, whose base units are 6 pixels wide.
    const std::vector<int> original = {35, 245, 75, 60, 60};
    for (int points = 6; points <= 24; ++points) {
        SCOPED_TRACE(points);
        QFont font;
        font.setPointSize(points);
        const QSizeF base = DialogBaseUnits(font);
        const QFontMetricsF metrics(font);
        for (int c = 0; c < kJobColumnCount; ++c) {
            const int scaled = static_cast<int>(std::lround(original[c] * base.width() / 6));
            if (c == kColumnNumber || c == kColumnStatus)
                EXPECT_GE(JobColumnWidth(c, font), scaled) << c;
            else
                EXPECT_EQ(JobColumnWidth(c, font), scaled) << c;
        }
        for (const QString& status : {kStatusReady, kStatusConverting, kStatusComplete, kStatusFailed})
            EXPECT_LE(metrics.horizontalAdvance(status) + kCellTextInset,
                      JobColumnWidth(kColumnStatus, font));
        for (const char* number : {"10000", "88888", "99999"})
            EXPECT_LE(metrics.horizontalAdvance(number) + kCellTextInset,
                      JobColumnWidth(kColumnNumber, font));
    }
}

using JobListDrawing = DialogTest;

TEST_F(JobListDrawing, SelectedRowsAreFramedAndTintedWithReadableText) {
    Add({Pdf("first"), Pdf("second")});
    List()->clearSelection();
    List()->topLevelItem(0)->setSelected(true);
    m_dlg->Control(IDC_ADD)->setFocus();
    QApplication::processEvents();
    const QImage shot = List()->viewport()->grab().toImage();
    const QAbstractItemModel* model = List()->model();
    const QRect name = List()->visualRect(model->index(0, kColumnName));
    const QRect target = List()->visualRect(model->index(0, kColumnTarget));
    const QRect row = List()->visualRect(model->index(0, 0)).united(List()->visualRect(model->index(0, 4)));
    const int middle = row.center().y();

    const QColor highlight = List()->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor border = shot.pixelColor(row.left() + 2, middle);
    EXPECT_EQ(border, highlight);
    EXPECT_EQ(shot.pixelColor(row.left() + 2, row.top()), highlight);
    EXPECT_EQ(shot.pixelColor(row.right(), middle), highlight);
    EXPECT_NE(shot.pixelColor(row.left() + 1, middle), highlight) << "the two leftmost pixels stay clear";
    const QColor fill = shot.pixelColor(target.right() - 2, middle); // right of "txt"
    EXPECT_EQ(fill, SelectedRowFill(border));
    EXPECT_EQ(fill, ToQColor(AdjustHlsColor(ToColorRef(highlight), 75, 0)));

    // The text starts 6 pixels into its cell, in the same place on a row that is not selected, and
    // is dark on the light tint.
    const auto firstInk = [&](int rowIndex, const QColor& background) {
        const QRect cell = List()->visualRect(model->index(rowIndex, kColumnName));
        for (int x = cell.left(); x < cell.right(); ++x)
            for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
                if (qGray(shot.pixel(x, y)) < qGray(background.rgb()) - 60)
                    return x - cell.left();
        return -1;
    };
    const int selectedInset = firstInk(0, fill);
    EXPECT_GE(selectedInset, kCellTextInset);
    EXPECT_LE(selectedInset, kCellTextInset + 2);
    EXPECT_EQ(firstInk(1, List()->palette().color(QPalette::Base)), selectedInset);
    int darkest = 255;
    for (int x = name.left(); x < name.right(); ++x)
        darkest = std::min(darkest, qGray(shot.pixel(x, middle)));
    EXPECT_LT(darkest, 80) << "the list's text colour, not the pale selected-text colour";
}

TEST(JobListDelegate, AFailedRowsStatusShowsItsMarkSelectedOrNot) {
    QTreeWidget list;
    list.setColumnCount(kJobColumnCount);
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{"", "/a/b.pdf", "1kb", "txt", "Failed"}));
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{"", "/a/c.pdf", "1kb", "txt", "Complete"}));
    CJobListDelegate delegate;
    const QColor failed =
        FailedTextColor(list.palette().color(QPalette::Active, QPalette::Base),
                        SelectedRowFill(list.palette().color(QPalette::Active, QPalette::Highlight)));
    for (const QStyle::State state : {QStyle::State_Selected, QStyle::State_None}) {
        for (int row = 0; row < 2; ++row) {
            SCOPED_TRACE(std::to_string(row) + (state == QStyle::State_Selected ? " selected" : ""));
            QImage image(120, 24, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.initFrom(&list);
            option.widget = &list;
            option.rect = QRect(0, 0, 120, 24);
            option.state = state | QStyle::State_Enabled;
            delegate.paint(&painter, option, list.model()->index(row, kColumnStatus));
            painter.end();
            // The mark's middle, left of the text.
            const QRect mark = FailedMarkRect(SelectedCellTextRect(option.rect), option.fontMetrics.height());
            const QColor atMark = image.pixelColor(mark.center().x() - mark.width() / 4, mark.center().y());
            EXPECT_EQ(atMark == failed, row == 0) << atMark.name().toStdString();
        }
    }
}

TEST(JobListDelegate, LeavesTheViewsPainterAsItWasGiven) {
    QTreeWidget list;
    list.setColumnCount(kJobColumnCount);
    auto* item = new QTreeWidgetItem(QStringList{"", "/a/b.pdf", "1kb", "txt", "Ready"});
    list.addTopLevelItem(item);
    CJobListDelegate delegate;
    QImage image(300, 40, QImage::Format_ARGB32);
    QPainter painter(&image);
    QFont big = list.font();
    big.setPointSize(30);
    painter.setFont(big);
    painter.setPen(QColor(1, 2, 3));
    painter.setBrush(QColor(4, 5, 6));
    painter.setClipRect(0, 0, 250, 40);
    for (const QStyle::State state : {QStyle::State_Selected, QStyle::State_None}) {
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.widget = &list;
        option.rect = QRect(10, 5, 120, 20);
        option.state = state | QStyle::State_Enabled;
        delegate.paint(&painter, option, list.model()->index(0, kColumnName));
        EXPECT_TRUE(painter.isActive());
        EXPECT_EQ(painter.pen().color(), QColor(1, 2, 3));
        EXPECT_EQ(painter.brush().color(), QColor(4, 5, 6));
        EXPECT_EQ(painter.font().pointSize(), 30);
        EXPECT_EQ(painter.clipBoundingRect(), QRectF(0, 0, 250, 40));
    }
}

} // namespace
