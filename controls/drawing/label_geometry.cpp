#include "controls/drawing/label_geometry.h"

QRect FitLabelToText(const QRect& window, const QSize& border, const QSize& text, Qt::Alignment alignment) {
    // Edges as exclusive coordinates, so widths are plain differences.
    int left = window.left();
    int top = window.top();
    int right = left + window.width();
    int bottom = top + window.height();
    if (alignment & Qt::AlignVCenter) {
        const int shrink = (window.height() - text.height()) / 2;
        top += shrink;
        bottom -= shrink;
    } else {
        bottom = top + text.height();
    }
    if (alignment & Qt::AlignHCenter) {
        const int shrink = (window.width() - text.width()) / 2;
        left += shrink;
        right -= shrink;
    } else if (alignment & Qt::AlignRight) {
        left = right - text.width();
    } else {
        right = left + text.width();
    }
    return QRect(left, top, right - left + border.width(), bottom - top + border.height());
}
