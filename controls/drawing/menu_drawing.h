#pragma once

#include "controls/drawing/color_ref.h"

#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

// The owner-drawn menu's rules: which of its two looks an item takes, how large an item is, where
// its band, image, check mark and texts go, its colours and its image copies. Plain functions, so
// they are tested without a window; the menu's paint code only calls them.

enum class MenuLook {
    Classic, // three-dimensional image boxes on the menu colour
    Flat,    // a tinted image band, a light selection with a frame
};

// The look switches that every menu of the process shares.
struct MenuLookSwitches {
    bool flatOnXpVisualStyle = true;      // flat look on Windows XP with a visual style
    bool flatElsewhere = false;           // flat look on every other system
    bool threeDImages = true;             // flat look: images raised over a shadow when selected
    bool highlightDisabledClassic = true; // classic look: a disabled item under the pointer is drawn selected
    bool highlightDisabledFlat = false;   // flat look: the same
};

// The system colours a menu is drawn with.
struct MenuColors {
    ColorRef menu;          // menu background
    ColorRef menuText;      // item text and check marks
    ColorRef highlight;     // selection
    ColorRef highlightText; // text on the classic selection
    ColorRef grayText;      // disabled text
    ColorRef face;          // button face
    ColorRef light;         // button highlight: the light edge of frames and engraved texts
    ColorRef shadow;        // button shadow
    ColorRef window;        // the flat look's item background
};

// Windows XP with a visual style: version class 7 (platform/os_version.h) without the classic theme.
bool IsXpVisualStyle(int versionClass, bool classicTheme);

// The look of an item drawn on a device. A palette device (256 colours or fewer) always gets the
// classic look; otherwise XP with a visual style gets the flat look when flatOnXpVisualStyle is on,
// and every other system (XP with the classic theme included) when flatElsewhere is on.
MenuLook ChooseMenuLook(bool paletteDevice, int versionClass, bool classicTheme,
                        const MenuLookSwitches& switches);

// The extra space around images: 7 in the flat look with three-dimensional images, else 4.
int MenuExtraSpace(MenuLook look, bool threeDImages);

// A separator: no width; as tall as the larger of (extra space + image height) / 2 and half the
// menu height, halvings truncated.
QSize MeasureSeparator(MenuLook look, bool threeDImages, QSize image, int menuHeight);

// An item with `textWidth` of text: in the flat look text + image width + extra space + 8 wide, in
// the classic look text + 2 image widths + 1; as tall as the larger of image height + extra space
// and the menu height.
QSize MeasureTextItem(MenuLook look, bool threeDImages, QSize image, int textWidth, int menuHeight);

// The width of an item's whole text: its label, then, for a tab, four blanks, then the accelerator.
// (Expanded to the next tab stop, a tab would be eighty pixels wide.) Ampersands count as text.
int MenuTextWidth(const QFontMetrics& metrics, const QString& text);

// The height of a line of a menu bar in `metrics`' font: its line height and 6 pixels of frame.
int MenuLineHeight(const QFontMetrics& metrics);

// The label of an item's text (before the first tab) and its accelerator (after it; empty when
// there is no tab).
QString MenuLabel(const QString& text);
QString MenuAccelerator(const QString& text);

// The texts with every label that has a tab padded with blanks until it is at least as wide as the
// widest label of `texts`; the tab and the accelerator follow unchanged, texts without a tab stay.
QStringList AlignAccelerators(const QStringList& texts, const QFontMetrics& metrics);

// Each of red, green and blue becomes c + f * (255 - c), truncated; unchanged unless 0 < f <= 1.
ColorRef LightenColor(ColorRef color, double factor);

// The check marks, drawn from an origin: the tick's seven strokes, one pixel wide and three high in
// consecutive columns, their tops 2, 3, 4, 3, 2, 1 and 0 pixels below the origin; the dot, a 6 by 6
// ellipse in this square.
std::array<QRect, 7> TickStrokes(QPoint origin);
QRect DotRect(QPoint origin);

// Where the parts of a flat item go in `item`, for images of `image` size and extra space `extra`.
struct FlatItemLayout {
    QRect band;           // the image band: image width + extra space wide, at the left
    QRect image;          // the image, centred in the band
    QRect imageBox;       // a checked image's box: the image and 2 pixels around it
    QRect checkSquare;    // 16 by 16, centred in the band
    QPoint markOrigin;    // of the dot or the tick: 5 right of and 4 below the square's corner
    QRect text;           // from 8 pixels right of the band to the item's right edge
    int acceleratorRight; // the accelerator's right edge: the item's, less the image width
    int separatorLeft;    // the separator line runs from here to the item's right edge
};
FlatItemLayout LayOutFlatItem(const QRect& item, QSize image, int extra);

// Where the parts of a classic item go.
struct ClassicItemLayout {
    QRect imageBox;        // 4 pixels larger than the image, at the item's left, vertically centred
    QRect image;           // in the middle of the box
    QRect checkBox;        // of the image's size, one pixel in from the left, vertically centred
    QPoint dotOrigin;      // 5 right of the check box's left edge, 4 below its top
    QPoint tickOrigin;     // 4 right, 4 below
    QRect selectionBeside; // the selection of an item with an image or a check mark: from 5 pixels
                           // right of the image box, where the text starts
    QRect text;            // from image width + 9 to the item's right edge
    int acceleratorRight;  // the accelerator's right edge: the item's
};
ClassicItemLayout LayOutClassicItem(const QRect& item, QSize image);

// The image copies of the flat look, made from `image` drawn on the button face `face`: every pixel
// that then differs from the face is lightened by 0.3, or painted in `shadow`; the face shows
// through (transparent) everywhere else.
QImage LighterMenuImage(const QImage& image, ColorRef face);
QImage ShadowMenuImage(const QImage& image, ColorRef face, ColorRef shadow);

// The disabled look of a menu image, one pixel larger each way: `image` is drawn on the button face,
// every pixel that is neither `face` nor `light` becomes part of a shape, and the shape is painted
// in `light` one pixel right and down, then in `shadow` in place. Everything else is transparent.
QImage EngraveMenuImage(const QImage& image, ColorRef face, ColorRef light, ColorRef shadow);
