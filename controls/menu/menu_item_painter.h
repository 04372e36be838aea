#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;
struct MenuImageList;

// The state of an item being drawn.
enum MenuItemState : unsigned {
    ItemSelected = 0x1,
    ItemGrayed = 0x2,
    ItemDisabled = 0x4,
    ItemChecked = 0x8,
};

// One owner-drawn item, as it is painted.
struct MenuItemPaint {
    QRect rect;
    unsigned state = 0;     // MenuItemState
    unsigned menuFlags = 0; // the item's MenuItemFlag: a separator, a radio item
    QString text;           // the label, then a tab and the accelerator, if any
    QSize imageSize;        // the menu's
    // The item's image, and the lighter and the shadow copy of the flat look; null when it has none.
    QImage image;
    QImage lighter;
    QImage shadow;
    // For a checked item without an image: the menu's check marks (unselected, selected), when it
    // has them; otherwise a tick or a dot is drawn.
    const MenuImageList* checkMarks = nullptr;
    bool checkPresent = false;
    bool selectedCheckPresent = false;
};

// Paints `item` in the menu font, in the look that ChooseMenuLook gives for the painter's device,
// the system's version class and theme and the look switches, with the system's menu colours; the
// rectangles and colours come from the drawing layer (controls/drawing/menu_drawing.h). A disabled
// item of the flat look is drawn off-screen and copied in one step. Draws inside the item's
// rectangle only. Leaves the painter as it was.
void PaintMenuItem(QPainter& painter, const MenuItemPaint& item);
