#include "controls/drawing/shading.h"

#include <algorithm>
#include <functional>

namespace {

ColorRef Derive(ColorRef color, DerivedImage kind) {
    return kind == DerivedImage::Darker ? DarkerColor(color) : GreyColor(color);
}

QRgb WithRgb(QRgb pixel, ColorRef color) {
    return qRgba(RedOf(color), GreenOf(color), BlueOf(color), qAlpha(pixel));
}

// A copy in a format with a straight alpha channel, each pixel passed through `change`.
QImage MapPixels(const QImage& image, const std::function<QRgb(QRgb)>& change) {
    QImage copy = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x)
            line[x] = change(line[x]);
    }
    return copy;
}

ColorRef RgbOf(QRgb pixel) {
    return Rgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

// Parts of an image that the disabled look keeps: opaque enough, and darker than a light grey.
bool IsEmbossed(QRgb pixel) {
    return qAlpha(pixel) >= 128 && qGray(pixel) < 192;
}

} // namespace

ColorRef ShadeColor(ColorRef color, int shade) {
    const int channels[] = {RedOf(color), GreenOf(color), BlueOf(color)};
    int shift = shade;
    for (const int c : channels) {
        if (shade > 0)
            shift = std::min(shift, 255 - c);
        else
            shift = std::max(shift, -c);
    }
    return Rgb(channels[0] + shift, channels[1] + shift, channels[2] + shift);
}

ColorRef DarkerColor(ColorRef color) {
    const auto darker = [](int c) { return static_cast<int>(c - 0.25 * c); };
    return Rgb(darker(RedOf(color)), darker(GreenOf(color)), darker(BlueOf(color)));
}

ColorRef GreyColor(ColorRef color) {
    const int grey = static_cast<int>(0.299 * RedOf(color) + 0.587 * GreenOf(color) + 0.114 * BlueOf(color));
    return Rgb(grey, grey, grey);
}

QImage DeriveBitmap(const QImage& bitmap, DerivedImage kind, ColorRef transparent) {
    return MapPixels(bitmap, [&](QRgb p) {
        const ColorRef c = RgbOf(p);
        return c == transparent ? p : WithRgb(p, Derive(c, kind));
    });
}

QImage DeriveIcon(const QImage& icon, DerivedImage kind) {
    return MapPixels(icon, [&](QRgb p) {
        const ColorRef c = RgbOf(p);
        return c == Rgb(0, 0, 0) ? p : WithRgb(p, Derive(c, kind));
    });
}

QImage ApplyTransparentColor(const QImage& bitmap, ColorRef transparent) {
    if (bitmap.isNull())
        return {};
    return MapPixels(bitmap.convertToFormat(QImage::Format_RGB32),
                     [&](QRgb p) { return RgbOf(p) == transparent ? qRgba(0, 0, 0, 0) : (p | 0xFF000000u); });
}

QImage EmbossImage(const QImage& image, const QColor& highlight, const QColor& shadow) {
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.width() + 1, source.height() + 1, QImage::Format_ARGB32);
    result.setDevicePixelRatio(source.devicePixelRatio());
    result.fill(Qt::transparent);
    const QRgb light = highlight.rgba();
    const QRgb dark = shadow.rgba();
    for (int y = 0; y < source.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x)
            if (IsEmbossed(line[x]))
                result.setPixel(x + 1, y + 1, light);
    }
    for (int y = 0; y < source.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x)
            if (IsEmbossed(line[x]))
                result.setPixel(x, y, dark);
    }
    return result;
}
