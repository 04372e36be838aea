#include "controls/drawing/label_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(LabelGeometry, FitToTheText) {
    struct Case {
        const char* what;
        QRect window;
        QSize border;
        QSize text;
        Qt::Alignment alignment;
        QRect fitted;
    };
    const std::vector<Case> cases = {
        {"left: 100 wide, text 80", {10, 20, 100, 16}, {0, 0}, {80, 13}, Qt::AlignLeft, {10, 20, 80, 13}},
        {"left, with a border of 2 a side",
         {10, 20, 100, 16},
         {4, 4},
         {80, 13},
         Qt::AlignLeft,
         {10, 20, 84, 17}},
        {"grows to a longer text", {0, 0, 50, 10}, {0, 0}, {120, 13}, Qt::AlignLeft, {0, 0, 120, 13}},
        {"right keeps its right edge", {10, 20, 100, 16}, {0, 0}, {80, 13}, Qt::AlignRight, {30, 20, 80, 13}},
        {"centred", {10, 20, 100, 16}, {0, 0}, {81, 13}, Qt::AlignHCenter, {19, 20, 82, 13}},
        {"vertically centred",
         {10, 20, 100, 17},
         {0, 0},
         {80, 13},
         Qt::AlignLeft | Qt::AlignVCenter,
         {10, 22, 80, 13}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitLabelToText(c.window, c.border, c.text, c.alignment), c.fitted) << c.what;
}

} // namespace
