#include "controls/drawing/button_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ButtonGeometry, ImageRectAndTheRoomLeftForTheCaption) {
    struct Case {
        const char* what;
        bool caption;
        bool pressed;
        ImagePlacement placement;
        bool checkMode;
        QRect image;
        QRect captionRect;
    };
    const QRect item(0, 0, 50, 40);
    const std::vector<Case> cases = {
        {"centred without caption", false, false, ImagePlacement::Left, false, {7, 2, 36, 36}, item},
        {"left of the caption", true, false, ImagePlacement::Left, false, {3, 2, 36, 36}, {39, 0, 11, 40}},
        {"pressed: moved by (1, 1)",
         true,
         true,
         ImagePlacement::Left,
         false,
         {4, 3, 36, 36},
         {39, 0, 11, 40}},
        {"pressed, no caption", false, true, ImagePlacement::Left, false, {8, 3, 36, 36}, item},
        {"check mode: no press offset",
         true,
         true,
         ImagePlacement::Left,
         true,
         {3, 2, 36, 36},
         {39, 0, 11, 40}},
        {"above the caption", true, false, ImagePlacement::Above, false, {7, 3, 36, 36}, {0, 39, 50, 1}},
        {"right of the caption", true, false, ImagePlacement::Right, false, {11, 2, 36, 36}, {0, 0, 11, 40}},
    };
    for (const Case& c : cases) {
        ButtonOptions options;
        options.placement = c.placement;
        options.checkMode = c.checkMode;
        QRect caption = item;
        EXPECT_EQ(ImageRect(c.caption, item, caption, QSize(36, 36), c.pressed, options), c.image) << c.what;
        EXPECT_EQ(caption, c.captionRect) << c.what;
    }
}

TEST(ButtonGeometry, TextBlockCentredWithTruncatedHalves) {
    EXPECT_EQ(CenterTextBlock(QRect(39, 0, 11, 40), QSize(5, 13)), QRect(42, 13, 5, 13));
    EXPECT_EQ(CenterTextBlock(QRect(10, 10, 20, 20), QSize(20, 20)), QRect(10, 10, 20, 20));
    EXPECT_EQ(CenterTextBlock(QRect(0, 0, 10, 10), QSize(15, 4)), QRect(-2, 3, 15, 4)) << "overhangs evenly";
}

TEST(ButtonGeometry, LookOfEachState) {
    struct Case {
        const char* what;
        ImageButtonState state;
        bool flat;
        ButtonFrame frame;
        ColorSlot background;
        ColorSlot text;
        bool hotImage;
        QPoint offset;
        bool focusRect = false;
    };
    const QPoint none;
    const QPoint press(1, 1);
    const std::vector<Case> cases = {
        {"at rest", {}, true, ButtonFrame::None, BackNormal, TextNormal, false, none},
        {"hot", {.hot = true}, true, ButtonFrame::Raised, BackHot, TextHot, true, none},
        {"pressed", {.hot = true, .down = true}, true, ButtonFrame::Sunken, BackHot, TextHot, true, press},
        {"focused", {.focused = true}, true, ButtonFrame::None, BackFocus, TextFocus, false, none},
        {"focused, the keyboard has moved the focus in the window",
         {.focused = true, .keyboardCues = true},
         true,
         ButtonFrame::None,
         BackFocus,
         TextFocus,
         false,
         none,
         true},
        {"not focused, the keyboard has moved the focus in the window",
         {.keyboardCues = true},
         true,
         ButtonFrame::None,
         BackNormal,
         TextNormal,
         false,
         none},
        {"focused and hot",
         {.hot = true, .focused = true},
         true,
         ButtonFrame::Raised,
         BackHot,
         TextHot,
         true,
         none},
        {"disabled", {.disabled = true}, true, ButtonFrame::None, BackNormal, TextNormal, false, none},
        {"not flat", {}, false, ButtonFrame::Edge, BackNormal, TextNormal, false, none},
        {"not flat, pressed", {.down = true}, false, ButtonFrame::PressedEdge, BackHot, TextHot, true, press},
    };
    for (const Case& c : cases) {
        ButtonOptions options;
        options.flat = c.flat;
        const ButtonLook look = ButtonLookFor(c.state, options);
        EXPECT_EQ(look.frame, c.frame) << c.what;
        EXPECT_EQ(look.background, c.background) << c.what;
        EXPECT_EQ(look.text, c.text) << c.what;
        EXPECT_EQ(look.hotImage, c.hotImage) << c.what;
        EXPECT_EQ(look.contentOffset, c.offset) << c.what;
        EXPECT_EQ(look.embossed, c.state.disabled) << c.what;
        EXPECT_EQ(look.focusRect, c.focusRect) << c.what;
    }
    // Check mode: a checked button looks pressed, does not move, and shows its hot image only then.
    ButtonOptions check;
    check.checkMode = true;
    EXPECT_EQ(ButtonLookFor({.hot = true}, check).hotImage, false);
    EXPECT_EQ(ButtonLookFor({.down = true}, check).contentOffset, none);
    // Not flat: a focused or default button gets the black frame and a focused one the focus rectangle.
    ButtonOptions framed;
    framed.flat = false;
    EXPECT_TRUE(ButtonLookFor({.isDefault = true}, framed).blackBorder);
    EXPECT_TRUE(ButtonLookFor({.focused = true}, framed).focusRect);
}

} // namespace
