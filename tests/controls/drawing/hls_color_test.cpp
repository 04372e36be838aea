#include "controls/drawing/hls_color.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Triple {
    int a, b, c;
};

TEST(HlsColor, SelectedRowFillOfTheReferenceHighlightColours) {
    struct Case {
        Triple highlight;
        Triple fill;
    };
    const std::vector<Case> cases = {
        {{49, 106, 197}, {202, 218, 241}},  {{51, 153, 255}, {203, 229, 255}},
        {{0, 120, 215}, {181, 222, 255}},   {{10, 36, 106}, {163, 186, 246}},
        {{128, 128, 128}, {223, 223, 223}}, {{0, 0, 0}, {191, 191, 191}},
        {{255, 255, 255}, {255, 255, 255}},
    };
    for (const Case& c : cases) {
        const ColorRef fill = AdjustHlsColor(Rgb(c.highlight.a, c.highlight.b, c.highlight.c), 75, 0);
        EXPECT_EQ(fill, Rgb(c.fill.a, c.fill.b, c.fill.c))
            << c.highlight.a << "," << c.highlight.b << "," << c.highlight.c << " gave " << RedOf(fill) << ","
            << GreenOf(fill) << "," << BlueOf(fill);
    }
}

TEST(HlsColor, ConversionBothWays) {
    // Colour (red, green, blue) and its packed HLS bytes (hue, lightness, saturation).
    struct Case {
        Triple rgb;
        Triple hls;
    };
    const std::vector<Case> cases = {
        {{255, 0, 0}, {255, 127, 255}}, // red's hue comes out as 360 degrees, which stays 360
        {{255, 0, 1}, {254, 127, 255}}, {{0, 255, 0}, {85, 127, 255}}, // 120 degrees
        {{0, 0, 255}, {170, 127, 255}},                                // 240 degrees
        {{0, 0, 0}, {0, 0, 0}},                                        // grey: no hue, no saturation
        {{255, 255, 255}, {0, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rgb.a << "," << c.rgb.b << "," << c.rgb.c);
        EXPECT_EQ(ColorToHls(Rgb(c.rgb.a, c.rgb.b, c.rgb.c)), Hls(c.hls.a, c.hls.b, c.hls.c));
    }
    // Grey comes back without arithmetic: every channel is the lightness byte.
    EXPECT_EQ(HlsToColor(Hls(200, 77, 0)), Rgb(77, 77, 77));
    EXPECT_EQ(HlsToColor(Hls(0, 128, 255)), Rgb(255, 1, 1));
    EXPECT_EQ(HlsToColor(Hls(170, 128, 255)), Rgb(1, 1, 255));
}

TEST(HlsColor, ChannelOverTheHueCircle) {
    struct Case {
        float hue;
        int channel;
    };
    // m1 = 0, m2 = 1: a ramp up to 60 degrees, flat to 180, down to 240, then m1.
    const std::vector<Case> cases = {
        {0, 0},      {30, 127},  {59.9f, 254}, {60, 255}, {179, 255},
        {180, 255},  {210, 127}, {240, 0},     {359, 0},  {390, 127}, // one turn too far: 30 degrees
        {-330, 127},                                                  // one turn too short: 30 degrees
        {360, 0},                                                     // exactly 360 stays 360
    };
    for (const Case& c : cases)
        EXPECT_EQ(HlsChannel(0.0f, 1.0f, c.hue), c.channel) << c.hue;
}

TEST(HlsColor, AdjustMovesLightnessAndSaturationByPercent) {
    // Lightness of (128, 128, 128) is byte 128: +50% goes half way to 255, -50% half way to 0.
    EXPECT_EQ(AdjustHlsColor(Rgb(128, 128, 128), 50, 0), Rgb(191, 191, 191));
    EXPECT_EQ(AdjustHlsColor(Rgb(128, 128, 128), -50, 0), Rgb(64, 64, 64));
    EXPECT_EQ(AdjustHlsColor(Rgb(128, 128, 128), 0, 0), Rgb(128, 128, 128));
}

} // namespace
