#include "controls/drawing/dialog_units.h"

#include <gtest/gtest.h>

#include <QFont>
#include <vector>

namespace {

TEST(DialogUnits, ConvertEachEdgeWithTheBaseUnits) {
    struct Case {
        QRect units;
        QSizeF base;
        QRect pixels;
    };
    const std::vector<Case> cases = {
        {{0, 0, 341, 237}, {6, 13}, {0, 0, 512, 385}}, // the main window: 341*6/4, 237*13/8
        {{7, 51, 327, 146}, {6, 13}, {11, 83, 490, 237}},
        {{282, 18, 49, 26}, {8, 16}, {564, 36, 98, 52}},
        {{1, 1, 1, 1}, {6, 13}, {2, 2, 1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialogUnitsToPixels(c.units, c.base), c.pixels)
            << c.units.x() << "," << c.units.y() << " " << c.units.width() << "x" << c.units.height();
}

TEST(DialogUnits, AdjacentControlsStayAdjacent) {
    // Add ends at 58 units and Remove starts at 59; Remove ends where Clear starts minus one unit.
    const QSizeF base(7, 15);
    const QRect add = DialogUnitsToPixels({11, 18, 47, 26}, base);
    const QRect remove = DialogUnitsToPixels({59, 18, 57, 26}, base);
    EXPECT_LE(add.x() + add.width(), remove.x());
    EXPECT_EQ(DialogUnitsToPixels({11, 18, 48, 26}, base).right() + 1, remove.x());
}

TEST(DialogUnits, BaseUnitsGrowWithTheFont) {
    QFont small;
    small.setPointSize(8);
    QFont large = small;
    large.setPointSize(16);
    const QSizeF s = DialogBaseUnits(small);
    const QSizeF l = DialogBaseUnits(large);
    EXPECT_GT(s.width(), 0);
    EXPECT_GT(s.height(), 0);
    EXPECT_GT(l.width(), s.width());
    EXPECT_GT(l.height(), s.height());
}

TEST(DialogUnits, PixelWidthsScaleWithTheBaseUnitsButNotBelowTheirContent) {
    struct Case {
        int original;
        QSizeF base;
        int minimum;
        int scaled;
    };
    const std::vector<Case> cases = {
        {60, {6, 13}, 0, 60},                          // the original font
        {60, {7, 15}, 0, 70},   {35, {7, 15}, 0, 41},  // 40.8, rounded
        {245, {9, 18}, 0, 368}, {60, {7, 15}, 74, 74}, // the content needs more
        {60, {5, 10}, 0, 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaledPixelWidth(c.original, c.base, c.minimum), c.scaled)
            << c.original << " at " << c.base.width();
}

} // namespace
