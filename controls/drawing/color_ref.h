#pragma once

#include <QColor>

#include <cstdint>

// A colour as the product stores it: 24-bit RGB packed into 32 bits, red in the lowest byte, green in
// the second, blue in the third, the top byte zero. RGB(0, 0, 255) is 0x00FF0000.
using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(int red, int green, int blue) {
    return static_cast<ColorRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColorRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor ToQColor(ColorRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
// The colour's red, green and blue; its alpha is dropped.
inline ColorRef ToColorRef(const QColor& c) {
    const QColor rgb = c.toRgb();
    return Rgb(rgb.red(), rgb.green(), rgb.blue());
}
