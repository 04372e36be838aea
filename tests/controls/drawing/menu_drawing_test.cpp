#include "controls/drawing/menu_drawing.h"

#include "platform/os_version.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QFont>

namespace {

TEST(MenuDrawing, LookByDeviceSystemThemeAndSwitches) {
    MenuLookSwitches flatEverywhere;
    flatEverywhere.flatElsewhere = true;
    MenuLookSwitches classicOnXp;
    classicOnXp.flatOnXpVisualStyle = false;
    const struct {
        bool palette;
        int versionClass;
        bool classicTheme;
        MenuLookSwitches switches;
        MenuLook look;
    } cases[] = {
        {false, kVersionWinXP, false, {}, MenuLook::Flat},      // XP with a visual style
        {false, kVersionWinXP, true, {}, MenuLook::Classic},    // XP with the classic theme
        {true, kVersionWinXP, false, {}, MenuLook::Classic},    // a 256-colour display
        {false, kVersionWin2000, false, {}, MenuLook::Classic}, // every other system
        {false, kVersionNT, false, {}, MenuLook::Classic},      // after XP
        {false, kVersionNotWindows, false, {}, MenuLook::Classic},
        {false, kVersionWinXP, false, classicOnXp, MenuLook::Classic},
        {false, kVersionNotWindows, false, flatEverywhere, MenuLook::Flat},
        {false, kVersionWinXP, true, flatEverywhere, MenuLook::Flat},
        {true, kVersionNotWindows, false, flatEverywhere, MenuLook::Classic},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseMenuLook(c.palette, c.versionClass, c.classicTheme, c.switches), c.look)
            << c.palette << " " << c.versionClass << " " << c.classicTheme;
}

TEST(MenuDrawing, SeparatorAndItemSizes) {
    const QSize image(16, 15);
    const struct {
        MenuLook look;
        bool threeD;
        int textWidth; // -1: a separator
        int menuHeight;
        QSize size;
    } cases[] = {
        // The classic separator with a 15-pixel image: the larger of 9 and half the menu height.
        {MenuLook::Classic, true, -1, 19, {0, 9}},
        {MenuLook::Classic, true, -1, 24, {0, 12}},
        {MenuLook::Classic, false, -1, 10, {0, 9}},
        {MenuLook::Flat, true, -1, 19, {0, 11}}, // (7 + 15) / 2
        {MenuLook::Flat, false, -1, 19, {0, 9}},
        {MenuLook::Classic, true, 50, 19, {50 + 32 + 1, 19}},
        {MenuLook::Classic, true, 50, 17, {83, 19}}, // image height + 4
        {MenuLook::Flat, true, 50, 19, {50 + 16 + 7 + 8, 22}},
        {MenuLook::Flat, false, 50, 25, {50 + 16 + 4 + 8, 25}},
    };
    for (const auto& c : cases) {
        const QSize size = c.textWidth < 0
                               ? MeasureSeparator(c.look, c.threeD, image, c.menuHeight)
                               : MeasureTextItem(c.look, c.threeD, image, c.textWidth, c.menuHeight);
        EXPECT_EQ(size, c.size) << (c.look == MenuLook::Flat) << c.threeD << " " << c.textWidth << " "
                                << c.menuHeight;
    }

    // Accelerators line up: every label with a tab is padded with blanks to the widest label.
    const QFontMetrics metrics{QFont()};
    const QStringList aligned =
        AlignAccelerators({"&Open\tCtrl+O", "Convert &all files\tF5", "&Help", "E&xit\tAlt+F4"}, metrics);
    ASSERT_EQ(aligned.size(), 4);
    const int widest = metrics.horizontalAdvance("Convert &all files");
    const int blank = metrics.horizontalAdvance(' ');
    for (const int i : {0, 3}) {
        EXPECT_GE(metrics.horizontalAdvance(MenuLabel(aligned[i])), widest) << aligned[i].toStdString();
        EXPECT_LT(metrics.horizontalAdvance(MenuLabel(aligned[i])), widest + blank)
            << aligned[i].toStdString();
        EXPECT_EQ(MenuLabel(aligned[i]).trimmed(), i == 0 ? "&Open" : "E&xit");
    }
    EXPECT_EQ(MenuAccelerator(aligned[0]), "Ctrl+O");
    EXPECT_EQ(aligned[1], "Convert &all files\tF5");
    EXPECT_EQ(aligned[2], "&Help");
    // A tab measures as four blanks, not as the eighty pixels to the next tab stop.
    EXPECT_EQ(MenuTextWidth(metrics, "a\tb"), metrics.horizontalAdvance("a    b"));
}

TEST(MenuDrawing, WhereTheTextsOfAnItemGo) {
    // An item at (3, 5), 150 x 21, images of 16 x 15. The accelerator is right-aligned against
    // `acceleratorRight`: the item's right edge in the classic look, the image width left of it in the
    // flat one.
    const QRect item(3, 5, 150, 21);
    const QSize image(16, 15);
    const ClassicItemLayout classic = LayOutClassicItem(item, image);
    EXPECT_EQ(classic.text, QRect(28, 5, 125, 21)) << "image width + 9 from the item's left";
    EXPECT_EQ(classic.acceleratorRight, 153);
    const FlatItemLayout flat = LayOutFlatItem(item, image, 7);
    EXPECT_EQ(flat.text, QRect(34, 5, 119, 21)) << "8 right of a band 16 + 7 wide";
    EXPECT_EQ(flat.acceleratorRight, 137);
}

TEST(MenuDrawing, LighteningAndImageCopies) {
    const struct {
        ColorRef color;
        double factor;
        ColorRef lightened;
    } cases[] = {
        {Rgb(0, 0, 0), 0.5, Rgb(127, 127, 127)},
        {Rgb(100, 200, 255), 0.25, Rgb(138, 213, 255)}, // 100 + 38.75, 200 + 13.75, truncated
        {Rgb(10, 20, 30), 1.0, Rgb(255, 255, 255)},
        {Rgb(10, 20, 30), 0.0, Rgb(10, 20, 30)}, // outside 0 < f <= 1: unchanged
        {Rgb(10, 20, 30), 1.5, Rgb(10, 20, 30)},
        {Rgb(10, 20, 30), -0.3, Rgb(10, 20, 30)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LightenColor(c.color, c.factor), c.lightened) << c.factor;

    // Two pixels on the button face: a red one and a transparent one, which shows the face.
    const ColorRef face = Rgb(212, 208, 200);
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const QImage lighter = LighterMenuImage(image, face);
    EXPECT_EQ(lighter.pixel(0, 0), qRgb(255, 76, 76));
    EXPECT_EQ(qAlpha(lighter.pixel(1, 0)), 0);
    const QImage shadow = ShadowMenuImage(image, face, Rgb(128, 128, 128));
    EXPECT_EQ(shadow.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(qAlpha(shadow.pixel(1, 0)), 0);
    // Engraved: one pixel larger; the light copy one pixel right and down, the shadow in place.
    const QImage engraved = EngraveMenuImage(image, face, Rgb(255, 255, 255), Rgb(128, 128, 128));
    EXPECT_EQ(engraved.size(), QSize(3, 2));
    EXPECT_EQ(engraved.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(engraved.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(engraved.pixel(1, 0)), 0) << "the face is no part of the shape";
    EXPECT_EQ(qAlpha(engraved.pixel(2, 1)), 0);
}

} // namespace
