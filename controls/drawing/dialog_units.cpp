#include "controls/drawing/dialog_units.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

QSizeF DialogBaseUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Rounded to whole pixels the way the dialog manager rounds them.
    const int width = (static_cast<int>(alphabet) / 26 + 1) / 2;
    return QSizeF(width, std::ceil(metrics.height()));
}

QRect DialogUnitsToPixels(const QRect& units, const QSizeF& baseUnits) {
    // Each edge is converted on its own, so neighbouring controls that share an edge in dialog
    // units share it in pixels too.
    const auto x = [&](int v) { return static_cast<int>(std::lround(v * baseUnits.width() / 4.0)); };
    const auto y = [&](int v) { return static_cast<int>(std::lround(v * baseUnits.height() / 8.0)); };
    const int left = x(units.x());
    const int top = y(units.y());
    const int right = x(units.x() + units.width());
    const int bottom = y(units.y() + units.height());
    return QRect(left, top, right - left, bottom - top);
}

int ScaledPixelWidth(int originalPixels, const QSizeF& baseUnits, int minimum) {
    const auto scaled =
        static_cast<int>(std::lround(originalPixels * baseUnits.width() / kOriginalDialogBaseUnits.width()));
    return std::max(scaled, minimum);
}
