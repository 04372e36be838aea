#include "controls/drawing/selected_row.h"

#include "controls/drawing/hls_color.h"

#include <algorithm>
#include <cmath>

QRect SelectedRowFrame(const QRect& rowBounds) {
    return rowBounds.adjusted(2, 0, 0, 0);
}

QRect SelectedCellTextRect(const QRect& cell) {
    return cell.adjusted(kCellTextInset, 0, 0, 0);
}

QColor SelectedRowFill(const QColor& highlight) {
    return ToQColor(AdjustHlsColor(ToColorRef(highlight), 75, 0));
}

namespace {

// The relative luminance of an sRGB colour.
double Luminance(const QColor& c) {
    const auto channel = [](int value) {
        const double v = value / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor FailedTextColor(const QColor& background, const QColor& selectedFill) {
    const QColor dark(140, 0, 0);
    const QColor light(255, 140, 140);
    const auto weakest = [&](const QColor& text) {
        return std::min(ContrastRatio(text, background), ContrastRatio(text, selectedFill));
    };
    return weakest(dark) >= weakest(light) ? dark : light;
}

QRect FailedMarkRect(const QRect& textRect, int lineHeight) {
    const int side = std::max(1, lineHeight * 3 / 4);
    return QRect(textRect.left(), textRect.top() + (textRect.height() - side) / 2, side, side);
}

QRect FailedTextRect(const QRect& textRect, int lineHeight) {
    const QRect mark = FailedMarkRect(textRect, lineHeight);
    return textRect.adjusted(mark.width() + std::max(1, lineHeight / 4), 0, 0, 0);
}
