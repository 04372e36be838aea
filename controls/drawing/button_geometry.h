#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>

// What an image button shows in each state, and where its image and caption go. Plain functions of
// the button's state and options, so they are tested without a window.

// The six colours of an image button.
enum ColorSlot : std::uint8_t {
    BackHot = 0,    // background while hot (pointer over, or pressed)
    TextHot = 1,    // caption while hot
    BackNormal = 2, // background at rest
    TextNormal = 3, // caption at rest
    BackFocus = 4,  // background while focused and not hot
    TextFocus = 5,  // caption while focused and not hot
    ColorSlotCount = 6,
};

// Where the image stands relative to the caption.
enum class ImagePlacement : std::uint8_t { Left = 0, Above = 1, Right = 2 };

struct ButtonOptions {
    bool flat = true;               // no frame at rest, raised while hot
    bool drawFrame = true;          // flat mode draws its raised and sunken frames
    bool focusRectWhenFlat = false; // flat mode also draws the focus rectangle
    bool checkMode = false;         // behaves as a check box: pressed look while checked, no press offset
    ImagePlacement placement = ImagePlacement::Left;
    int marginX = 3; // between the edge and the image
    int marginY = 3; // above the image when it stands above the caption
    QPoint pressOffset{1, 1};
};

struct ImageButtonState {
    bool hot = false;          // the pointer is over the button
    bool down = false;         // pressed (in check mode also: checked)
    bool focused = false;      // has the keyboard focus
    bool disabled = false;     //
    bool isDefault = false;    // the dialog's default button
    bool keyboardCues = false; // the keyboard has moved the focus in the button's window
};

enum class ButtonFrame {
    None,
    Raised,     // flat, hot: one-pixel light top and left, shadow bottom and right
    Sunken,     // flat, pressed: the same with the colours swapped
    Edge,       // not flat, at rest or hot: the two-pixel raised edge of a push button
    PressedEdge // not flat, pressed: a one-pixel shadow frame
};

struct ButtonLook {
    ButtonFrame frame = ButtonFrame::None;
    bool blackBorder = false; // not flat: the one-pixel black frame of a focused or default button
    ColorSlot background = BackNormal;
    ColorSlot text = TextNormal;
    bool hotImage = false;  // the hot image, else the normal one (or the hot one when none is set)
    QPoint contentOffset;   // how far image and caption move while pressed
    bool focusRect = false; // a dotted focus rectangle 3 pixels inside the edge (FocusRectDots)
    bool embossed = false;  // disabled: image and caption drawn embossed
};

// A flat button shows the focus rectangle when it has the focus and its window shows keyboard cues
// (or focusRectWhenFlat is set), so the pointer alone never brings one up; a framed button shows it
// whenever it has the focus.
ButtonLook ButtonLookFor(const ImageButtonState& state, const ButtonOptions& options);

// The pixels of a dotted rectangle along the inside of `rect`, drawn by inverting them: every other
// pixel of its four sides, those where x + y is even, so the dots keep one pattern round the corners.
QList<QPoint> FocusRectDots(const QRect& rect);

// The rectangle of an image of `imageSize` on a button whose client area is `item`. With a caption,
// the image stands beside it (or above it) and `caption` gives up the image's room; without one the
// image is centred. Pressed outside check mode, the image moves by the press offset. Halvings
// truncate.
QRect ImageRect(bool hasCaption, const QRect& item, QRect& caption, const QSize& imageSize, bool pressed,
                const ButtonOptions& options);

// A text block of `measured` size centred in `space`, halvings truncated; it overhangs evenly when it
// is larger.
QRect CenterTextBlock(const QRect& space, const QSize& measured);
