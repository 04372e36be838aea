#include "controls/drawing/hls_color.h"

#include <algorithm>

namespace {

// The constants are single-precision values, and they are multiplied, never divided by.
constexpr float kInv510 = 1.0f / 510.0f;
constexpr float kInv360 = 1.0f / 360.0f;
constexpr float kInv255 = 1.0f / 255.0f;
constexpr float kInv60 = 1.0f / 60.0f;

// A number as a byte: truncated toward zero, then kept within the byte.
int ToByte(double v) {
    return std::clamp(static_cast<int>(v), 0, 255);
}

// The percentage rule for one byte: towards 255 for a positive `percent`, towards 0 for a negative.
int AdjustByte(int v, int percent) {
    if (percent > 0)
        return v + (255 - v) * percent / 100;
    if (percent < 0)
        return v * (100 + percent) / 100;
    return v;
}

} // namespace

HlsValue ColorToHls(ColorRef color) {
    const int red = RedOf(color);
    const int green = GreenOf(color);
    const int blue = BlueOf(color);
    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    const float diff = static_cast<float>(max - min);
    const float sum = static_cast<float>(max + min);
    const float l = sum * kInv510;
    float s = 0.0f;
    double h = 0.0;
    if (max != min) {
        s = l <= 0.5f ? diff / sum : diff / (510.0f - sum);
        const double reciprocal = 1.0 / diff;
        const float r = static_cast<float>((max - red) * reciprocal);
        const float g = static_cast<float>((max - green) * reciprocal);
        const float b = static_cast<float>((max - blue) * reciprocal);
        // A later match replaces an earlier one: blue wins over green, green over red.
        if (red == max)
            h = (static_cast<double>(b) + 6 - g) * 60;
        if (green == max)
            h = (static_cast<double>(r) + 2 - b) * 60;
        if (blue == max)
            h = (static_cast<double>(g) + 4 - r) * 60;
        if (h > 360)
            h -= 360;
    }
    const int hue = ToByte(h * 255 * static_cast<double>(kInv360));
    const int lightness = ToByte(static_cast<double>(l) * 255);
    const int saturation = ToByte(static_cast<double>(s) * 255);
    return Hls(hue, lightness, saturation);
}

int HlsChannel(float m1, float m2, float hue) {
    if (hue > 360)
        hue -= 360;
    else if (hue < 0)
        hue += 360;
    const double low = m1;
    const double high = m2;
    const double step = static_cast<double>(kInv60);
    if (hue < 60)
        return ToByte((low + (high - low) * hue * step) * 255);
    if (hue < 180)
        return ToByte(high * 255);
    if (hue < 240)
        return ToByte((low + (high - low) * (240 - static_cast<double>(hue)) * step) * 255);
    return ToByte(low * 255);
}

ColorRef HlsToColor(HlsValue hls) {
    const int hueByte = RedOf(hls);
    const int lightnessByte = GreenOf(hls);
    const int saturationByte = BlueOf(hls);
    const float h = static_cast<float>(hueByte * 360 * static_cast<double>(kInv255));
    const double l = lightnessByte * static_cast<double>(kInv255);
    const double s = saturationByte * static_cast<double>(kInv255);
    if (s == 0)
        return Rgb(lightnessByte, lightnessByte, lightnessByte);
    const float m2 = static_cast<float>(l <= 0.5 ? (1 + s) * l : s + l - s * l);
    const float m1 = static_cast<float>(2 * l - m2);
    const int red = HlsChannel(m1, m2, static_cast<float>(h + 120.0));
    const int green = HlsChannel(m1, m2, h);
    const int blue = HlsChannel(m1, m2, static_cast<float>(h - 120.0));
    return Rgb(red, green, blue);
}

ColorRef AdjustHlsColor(ColorRef color, int lightnessPercent, int saturationPercent) {
    const HlsValue hls = ColorToHls(color);
    const int lightness = AdjustByte(GreenOf(hls), lightnessPercent);
    const int saturation = AdjustByte(BlueOf(hls), saturationPercent);
    return HlsToColor(Hls(RedOf(hls), lightness, saturation));
}
