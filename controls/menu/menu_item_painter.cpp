#include "controls/menu/menu_item_painter.h"

#include "controls/drawing/menu_drawing.h"
#include "controls/drawing/shading.h"
#include "controls/menu/memory_dc.h"
#include "controls/menu/menu_images.h"
#include "controls/menu/menu_shared_state.h"
#include "controls/menu/menu_template.h"
#include "platform/os_version.h"

#include <QPainter>

#include <optional>

namespace {

void FillRect(QPainter& painter, const QRect& rect, ColorRef color) {
    painter.fillRect(rect, ToQColor(color));
}

// A one-pixel frame: `topLeft` along the top and left, `bottomRight` along the bottom and right.
void Frame3d(QPainter& painter, const QRect& r, ColorRef topLeft, ColorRef bottomRight) {
    FillRect(painter, QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    FillRect(painter, QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    FillRect(painter, QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    FillRect(painter, QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

void FrameRect(QPainter& painter, const QRect& r, ColorRef color) {
    Frame3d(painter, r, color, color);
}

// An etched line from `left` to `right` (exclusive) through the middle of `item`.
void EtchedLine(QPainter& painter, const QRect& item, int left, int right, const MenuColors& colors) {
    const int middle = item.top() + item.height() / 2 - 1;
    FillRect(painter, QRect(left, middle, right - left, 1), colors.shadow);
    FillRect(painter, QRect(left, middle + 1, right - left, 1), colors.light);
}

constexpr int kLabelFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
constexpr int kAcceleratorFlags =
    Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;

// The label in `text`, and the accelerator right-aligned against `acceleratorRight`.
void DrawItemText(QPainter& painter, const QString& itemText, const QRect& text, int acceleratorRight,
                  ColorRef color, QPoint offset = {}) {
    painter.setPen(ToQColor(color));
    painter.drawText(text.translated(offset), kLabelFlags, MenuLabel(itemText));
    const QString accelerator = MenuAccelerator(itemText);
    if (!accelerator.isEmpty()) {
        const QRect space(text.left(), text.top(), acceleratorRight - text.left(), text.height());
        painter.drawText(space.translated(offset), kAcceleratorFlags, accelerator);
    }
}

void DrawMark(QPainter& painter, bool dot, QPoint dotOrigin, QPoint tickOrigin, ColorRef color) {
    if (dot) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(color));
        painter.drawEllipse(DotRect(dotOrigin));
        painter.restore();
        return;
    }
    for (const QRect& stroke : TickStrokes(tickOrigin))
        FillRect(painter, stroke, color);
}

bool HasCheckMarks(const MenuItemPaint& item) {
    return item.checkMarks && item.checkPresent;
}

void DrawCheckedWithoutImage(QPainter& painter, const QRect& square, QPoint dot, QPoint tick, bool selected,
                             const MenuItemPaint& item) {
    if (HasCheckMarks(item) && !item.checkMarks->images.empty()) {
        const bool useSelected = selected && item.selectedCheckPresent && item.checkMarks->images.size() > 1;
        const QImage& mark = item.checkMarks->images[useSelected ? 1 : 0];
        painter.drawImage(square.topLeft() + QPoint((square.width() - mark.width()) / 2,
                                                    (square.height() - mark.height()) / 2),
                          mark);
        return;
    }
    DrawMark(painter, item.menuFlags & MenuRadioCheck, dot, tick, MenuSystemColors().menuText);
}

void PaintFlat(QPainter& target, const MenuItemPaint& item) {
    const MenuColors colors = MenuSystemColors();
    const bool xp = MenuXpVisualStyle();
    const bool threeD = MenuSwitches().threeDImages;
    const int extra = MenuExtraSpace(MenuLook::Flat, threeD);
    const QRect& rect = item.rect;
    const FlatItemLayout layout = LayOutFlatItem(rect, item.imageSize, extra);
    const ColorRef band = xp ? colors.face : LightenColor(colors.face, 0.25);

    const bool disabled = item.state & (ItemGrayed | ItemDisabled);
    const bool checked = item.state & ItemChecked;
    const bool selected = (item.state & ItemSelected) && !(disabled && !MenuSwitches().highlightDisabledFlat);
    // A disabled item is drawn off-screen and copied in one step, so that it does not flicker.
    std::optional<CMemoryDC> memory;
    if (disabled)
        memory.emplace(target, rect);
    QPainter& painter = memory ? memory->Painter() : target;
    painter.setFont(MenuFont());

    if (item.menuFlags & MenuSeparator) {
        FillRect(painter, rect, colors.window);
        FillRect(painter, layout.band, band);
        EtchedLine(painter, rect, layout.separatorLeft, rect.left() + rect.width(), colors);
        return;
    }
    if (selected) {
        FillRect(painter, rect, LightenColor(colors.highlight, xp ? 0.7 : 0.85));
        FrameRect(painter, rect, colors.highlight);
    } else {
        FillRect(painter, rect, colors.window);
        FillRect(painter, layout.band, band);
    }

    if (!item.image.isNull()) {
        if (disabled) {
            painter.drawImage(layout.image.topLeft(),
                              EngraveMenuImage(item.image, colors.face, colors.light, colors.shadow));
        } else if (checked) {
            FillRect(painter, layout.imageBox, LightenColor(colors.highlight, 0.85));
            FrameRect(painter, layout.imageBox, colors.highlight);
            painter.drawImage(layout.image.topLeft(), item.image);
        } else if (threeD && selected && !item.shadow.isNull()) {
            painter.drawImage(layout.image.topLeft() + QPoint(1, 1), item.shadow);
            painter.drawImage(layout.image.topLeft() - QPoint(1, 1), item.image);
        } else {
            painter.drawImage(layout.image.topLeft(),
                              threeD && !item.lighter.isNull() ? item.lighter : item.image);
        }
    } else if (checked) {
        if (!HasCheckMarks(item)) {
            FillRect(painter, layout.checkSquare, LightenColor(colors.highlight, 0.85));
            FrameRect(painter, layout.checkSquare, colors.highlight);
        }
        DrawCheckedWithoutImage(painter, layout.checkSquare, layout.markOrigin, layout.markOrigin, selected,
                                item);
    }

    ColorRef text = colors.menuText;
    if (disabled)
        text = selected || xp ? colors.grayText : LightenColor(colors.grayText, 0.4);
    DrawItemText(painter, item.text, layout.text, layout.acceleratorRight, text);
}

void PaintClassic(QPainter& painter, const MenuItemPaint& item) {
    const MenuColors colors = MenuSystemColors();
    const bool xp = MenuXpVisualStyle();
    const bool framed = MenuVersionClass() >= kVersionWin95;
    const QRect& rect = item.rect;
    const ClassicItemLayout layout = LayOutClassicItem(rect, item.imageSize);
    const ColorRef background = xp ? colors.face : colors.menu;

    const bool disabled = item.state & (ItemGrayed | ItemDisabled);
    const bool checked = item.state & ItemChecked;
    const bool selected =
        (item.state & ItemSelected) && !(disabled && !MenuSwitches().highlightDisabledClassic);

    FillRect(painter, rect, background);
    if (item.menuFlags & MenuSeparator) {
        EtchedLine(painter, rect, rect.left(), rect.left() + rect.width(), colors);
        return;
    }
    if (selected)
        FillRect(painter, !item.image.isNull() || checked ? layout.selectionBeside : rect, colors.highlight);

    if (!item.image.isNull()) {
        if (framed) {
            if (selected)
                Frame3d(painter, layout.imageBox, checked ? colors.shadow : colors.light,
                        checked ? colors.light : colors.shadow);
            else if (checked) {
                FillRect(painter, layout.imageBox, LightenColor(colors.menu, 0.6));
                Frame3d(painter, layout.imageBox, colors.shadow, colors.light);
            }
        }
        painter.drawImage(layout.image.topLeft(),
                          disabled ? EngraveMenuImage(item.image, colors.face, colors.light, colors.shadow)
                                   : item.image);
    } else if (checked) {
        FillRect(painter, layout.checkBox, selected ? colors.menu : LightenColor(colors.menu, 0.6));
        if (framed)
            Frame3d(painter, layout.checkBox, colors.shadow, colors.light);
        DrawCheckedWithoutImage(painter, layout.checkBox, layout.dotOrigin, layout.tickOrigin, selected,
                                item);
    }

    if (disabled) {
        // Engraved: the light colour one pixel right and down, the grey text over it.
        DrawItemText(painter, item.text, layout.text, layout.acceleratorRight, colors.light, QPoint(1, 1));
        DrawItemText(painter, item.text, layout.text, layout.acceleratorRight, colors.grayText);
        return;
    }
    DrawItemText(painter, item.text, layout.text, layout.acceleratorRight,
                 selected ? colors.highlightText : colors.menuText);
}

} // namespace

void PaintMenuItem(QPainter& painter, const MenuItemPaint& item) {
    const bool palette = painter.device()->depth() <= 8;
    painter.save();
    // Nothing of an item reaches its neighbours: the engraved copy of a disabled accelerator, one
    // pixel right of the text, would stand past the item's right edge.
    painter.setClipRect(item.rect, Qt::IntersectClip);
    painter.setFont(MenuFont());
    if (ChooseMenuLook(palette, MenuVersionClass(), MenuClassicTheme(), MenuSwitches()) == MenuLook::Flat)
        PaintFlat(painter, item);
    else
        PaintClassic(painter, item);
    painter.restore();
}
