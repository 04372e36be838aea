#include "controls/drawing/shading.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Shading, OneCommonShiftForAllThreeChannels) {
    struct Case {
        ColorRef color;
        int shade;
        ColorRef shaded;
    };
    const std::vector<Case> cases = {
        {Rgb(236, 233, 216), 30, Rgb(255, 252, 235)}, // red allows only 19
        {Rgb(10, 100, 200), -30, Rgb(0, 90, 190)},    // red allows only -10
        {Rgb(100, 100, 100), 30, Rgb(130, 130, 130)},
        {Rgb(255, 0, 0), 30, Rgb(255, 0, 0)}, // a full channel allows nothing
        {Rgb(0, 200, 0), -255, Rgb(0, 200, 0)},
        {Rgb(1, 2, 3), 0, Rgb(1, 2, 3)},
        {Rgb(0, 0, 0), 255, Rgb(255, 255, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShadeColor(c.color, c.shade), c.shaded) << c.shade;
}

TEST(Shading, DarkerAndGreyCopiesOfAColour) {
    EXPECT_EQ(DarkerColor(Rgb(200, 3, 4)), Rgb(150, 2, 3)); // c - 0.25c, truncated
    EXPECT_EQ(DarkerColor(Rgb(255, 255, 255)), Rgb(191, 191, 191));
    EXPECT_EQ(GreyColor(Rgb(255, 0, 0)), Rgb(76, 76, 76)); // 0.299 * 255
    EXPECT_EQ(GreyColor(Rgb(0, 255, 0)), Rgb(149, 149, 149));
    EXPECT_EQ(GreyColor(Rgb(0, 0, 255)), Rgb(29, 29, 29));
}

// A 3x1 image of the given pixels.
QImage Strip(std::initializer_list<QRgb> pixels) {
    QImage image(static_cast<int>(pixels.size()), 1, QImage::Format_ARGB32);
    int x = 0;
    for (const QRgb p : pixels)
        image.setPixel(x++, 0, p);
    return image;
}

TEST(Shading, DerivedImagesKeepTheirTransparentAndBlackPixels) {
    const QRgb magenta = qRgb(255, 0, 255);
    const QImage bitmap = Strip({magenta, qRgb(200, 100, 40), qRgb(0, 0, 0)});
    const QImage darker = DeriveBitmap(bitmap, DerivedImage::Darker, Rgb(255, 0, 255));
    EXPECT_EQ(darker.pixel(0, 0), magenta);
    EXPECT_EQ(darker.pixel(1, 0), qRgb(150, 75, 30));
    const QImage grey = DeriveBitmap(bitmap, DerivedImage::Grey, Rgb(255, 0, 255));
    EXPECT_EQ(grey.pixel(1, 0), qRgb(123, 123, 123));

    // Icons keep black and their alpha.
    const QImage icon = Strip({qRgba(0, 0, 0, 255), qRgba(200, 100, 40, 128), qRgba(255, 0, 255, 255)});
    const QImage greyIcon = DeriveIcon(icon, DerivedImage::Grey);
    EXPECT_EQ(greyIcon.pixel(0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(greyIcon.pixel(1, 0), qRgba(123, 123, 123, 128));
    EXPECT_EQ(greyIcon.pixel(2, 0), qRgba(105, 105, 105, 255));
}

TEST(Shading, TransparentColourBecomesTransparent) {
    const QImage bitmap = Strip({qRgb(255, 0, 255), qRgb(255, 255, 255), qRgb(254, 0, 255)});
    const QImage hot = ApplyTransparentColor(bitmap, Rgb(255, 0, 255));
    EXPECT_EQ(qAlpha(hot.pixel(0, 0)), 0);
    EXPECT_EQ(hot.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(hot.pixel(2, 0), qRgb(254, 0, 255)) << "only the exact colour";
    const QImage normal = ApplyTransparentColor(bitmap, Rgb(255, 255, 255));
    EXPECT_EQ(qAlpha(normal.pixel(1, 0)), 0);
    EXPECT_EQ(normal.pixel(0, 0), qRgb(255, 0, 255));
    EXPECT_TRUE(ApplyTransparentColor(QImage(), Rgb(0, 0, 0)).isNull());
}

TEST(Shading, EmbossKeepsTheDarkShapeOverItsLightCopy) {
    // Dark, light and transparent pixels.
    const QImage image = Strip({qRgb(20, 20, 20), qRgb(250, 250, 250), qRgba(20, 20, 20, 0)});
    const QImage embossed = EmbossImage(image, Qt::white, Qt::gray);
    ASSERT_EQ(embossed.size(), QSize(4, 2));
    EXPECT_EQ(embossed.pixel(0, 0), QColor(Qt::gray).rgba());
    EXPECT_EQ(embossed.pixel(1, 1), QColor(Qt::white).rgba()) << "the shape moved one pixel right and down";
    EXPECT_EQ(qAlpha(embossed.pixel(1, 0)), 0) << "light parts drop out";
    EXPECT_EQ(qAlpha(embossed.pixel(2, 0)), 0) << "transparent parts drop out";
}

} // namespace
