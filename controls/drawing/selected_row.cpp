#include "controls/drawing/selected_row.h"

#include "controls/drawing/hls_color.h"

QRect SelectedRowFrame(const QRect& rowBounds) {
    return rowBounds.adjusted(2, 0, 0, 0);
}

QRect SelectedCellTextRect(const QRect& cell) {
    return cell.adjusted(kCellTextInset, 0, 0, 0);
}

QColor SelectedRowFill(const QColor& highlight) {
    return ToQColor(AdjustHlsColor(ToColorRef(highlight), 75, 0));
}
