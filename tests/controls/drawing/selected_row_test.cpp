#include "controls/drawing/selected_row.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(SelectedRow, AFailedStatusReadsOnTheListAndOnTheSelectedFillAfterItsMark) {
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(QColor(90, 90, 90), QColor(90, 90, 90)), 1.0);
    // Light lists with the usual highlight colours, selected and not.
    for (const QColor highlight : {QColor(49, 106, 197), QColor(51, 153, 255), QColor(0, 120, 215),
                                   QColor(10, 36, 106), QColor(128, 128, 128), QColor(48, 140, 198)}) {
        SCOPED_TRACE(highlight.name().toStdString());
        const QColor fill = SelectedRowFill(highlight);
        const QColor text = FailedTextColor(Qt::white, fill);
        EXPECT_GE(ContrastRatio(text, Qt::white), 4.5);
        EXPECT_GE(ContrastRatio(text, fill), 4.5);
    }
    // A dark list takes the light red.
    EXPECT_EQ(FailedTextColor(QColor(30, 30, 30), QColor(60, 60, 90)), QColor(255, 140, 140));
    EXPECT_EQ(FailedMarkRect(QRect(10, 0, 100, 20), 16), QRect(10, 4, 12, 12));
    EXPECT_EQ(FailedTextRect(QRect(10, 0, 100, 20), 16), QRect(26, 0, 84, 20));
}

} // namespace
