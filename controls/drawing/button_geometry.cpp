#include "controls/drawing/button_geometry.h"

ButtonLook ButtonLookFor(const ImageButtonState& state, const ButtonOptions& options) {
    ButtonLook look;
    if (options.flat) {
        if (options.drawFrame && state.down)
            look.frame = ButtonFrame::Sunken;
        else if (options.drawFrame && state.hot)
            look.frame = ButtonFrame::Raised;
        look.focusRect = state.focused && (options.focusRectWhenFlat || state.keyboardCues);
    } else {
        look.frame = state.down ? ButtonFrame::PressedEdge : ButtonFrame::Edge;
        look.blackBorder = state.focused || state.isDefault;
        look.focusRect = state.focused;
    }
    if (state.hot || state.down) {
        look.background = BackHot;
        look.text = TextHot;
    } else if (state.focused) {
        look.background = BackFocus;
        look.text = TextFocus;
    }
    look.hotImage = options.checkMode ? state.down : (state.down || state.hot);
    if (state.down && !options.checkMode)
        look.contentOffset = options.pressOffset;
    look.embossed = state.disabled;
    return look;
}

QRect ImageRect(bool hasCaption, const QRect& item, QRect& caption, const QSize& imageSize, bool pressed,
                const ButtonOptions& options) {
    const int width = imageSize.width();
    const int height = imageSize.height();
    int left = item.left() + (item.width() - width) / 2;
    int top = item.top() + (item.height() - height) / 2;
    if (hasCaption) {
        switch (options.placement) {
        case ImagePlacement::Left:
            left = item.left() + options.marginX;
            caption.setLeft(caption.left() + width + options.marginX);
            break;
        case ImagePlacement::Above:
            top = item.top() + options.marginY;
            caption.setTop(caption.top() + height + options.marginY);
            break;
        case ImagePlacement::Right:
            left = item.left() + item.width() - options.marginX - width;
            caption.setRight(caption.right() - width - options.marginX);
            break;
        }
    }
    QRect image(left, top, width, height);
    if (pressed && !options.checkMode)
        image.translate(options.pressOffset);
    return image;
}

QRect CenterTextBlock(const QRect& space, const QSize& measured) {
    return QRect(space.left() + (space.width() - measured.width()) / 2,
                 space.top() + (space.height() - measured.height()) / 2, measured.width(), measured.height());
}

QList<QPoint> FocusRectDots(const QRect& rect) {
    QList<QPoint> dots;
    const auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            dots.append(QPoint(x, y));
    };
    if (rect.isEmpty())
        return dots;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        dot(x, rect.top());
        if (rect.bottom() != rect.top())
            dot(x, rect.bottom());
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        dot(rect.left(), y);
        if (rect.right() != rect.left())
            dot(rect.right(), y);
    }
    return dots;
}
