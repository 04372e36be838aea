#pragma once

#include "controls/drawing/button_geometry.h"
#include "controls/drawing/color_ref.h"
#include "controls/menu/owner_draw_menu.h"

#include <QImage>
#include <QPushButton>

#include <array>
#include <cstdint>

class CLinkOpener;

// Result codes of the image and colour operations.
enum class ImageButtonResult {
    Ok = 0,
    BadImage = 1,   // an image could not be loaded or read
    MaskFailed = 2, // a bitmap's transparency could not be made
    BadSlot = 3,    // colour slot 6 or above
    BadValue = 5,   // shade outside -255..255
};

// Special ids for a normal image: none, or a copy made from the hot image.
enum SpecialImage : int { NoImage = 0, AutoGrey = -2, AutoDarker = -3 };

// An image handed to the button: a resource to load (SVG or any format Qt reads), an image in hand,
// or, for the normal image only, one of the special ids.
struct ImageSource {
    ImageSource(const QString& resourcePath) : resource(resourcePath) {}
    ImageSource(const char* resourcePath) : resource(QString::fromUtf8(resourcePath)) {}
    ImageSource(const QImage& imageInHand) : image(imageInHand) {}
    ImageSource(SpecialImage id) : special(id) {}

    QString resource;
    QImage image;
    SpecialImage special = NoImage;
};

// A push button painted by us: flat (no frame at rest, raised while the pointer is over it, sunken
// while pressed), with an image beside a centred, word-wrapped caption, six colour slots, an
// embossed disabled look, a tooltip, and optionally a web address that a click opens.
//
// The button is hot while the pointer is over it; a pointer that arrives with the left button held
// does not make it hot. It leaves the hot state when the pointer leaves, when it loses the focus,
// when its window is deactivated and when it is disabled. Disabling the focused button moves the
// focus to the next tab stop; disabling any other leaves the focus where it is. A double click counts
// as two clicks. Enter on a focused button clicks it; the default button (setDefault) takes Enter
// elsewhere in its dialog. A change of the palette sets every colour slot back to the palette's.
//
// The focused button shows a dotted focus rectangle 3 pixels inside its edge once the keyboard (Tab,
// Shift+Tab, an arrow key, a mnemonic) has moved the focus in its window, and from then on for that
// window's life, whatever moves the focus; while only the pointer has, it shows none.
//
// Every button embeds a drop-down menu, which stays empty unless its owner fills it. With a menu, a
// click shows the menu's first popup under the button instead of opening the link, the button looks
// pressed while it is open, and a chosen command comes back as MenuCommand. The button answers the
// menu's measuring and mnemonic questions by passing them on to the menu.
class CImageButton : public QPushButton, public IMenuOwner {
    Q_OBJECT

public:
    // `links` opens the link address (SetLinkURL) and reports a failure; it outlives the button.
    CImageButton(const CLinkOpener& links, const QString& text, QWidget* parent = nullptr);

    // The images for the hot state (pointer over, or pressed) and the normal state. A resource is
    // drawn at the given size in pixels (its own size when that is empty); an image in hand keeps
    // its own. The normal image may be NoImage, AutoDarker or AutoGrey; without one, or when it
    // cannot be had, the hot image serves both states. Earlier images are released first.
    // BadImage, with no images left, when the hot image cannot be had; an empty hot source sets none.
    ImageButtonResult SetIconImages(const ImageSource& hot, int hotWidth, int hotHeight,
                                    const ImageSource& normal, int normalWidth, int normalHeight);

    // Bitmaps drawn at their own size, each with the pixels of its transparent colour left out. A
    // derived normal image (AutoDarker, AutoGrey) keeps the hot image's transparent colour; a normal
    // bitmap that cannot be had leaves the hot one serving both states. BadImage (the hot bitmap
    // cannot be had) or MaskFailed, with no images left, on failure.
    ImageButtonResult SetBitmapImages(const ImageSource& hot, ColorRef hotTransparent,
                                      const ImageSource& normal, ColorRef normalTransparent);

    // Slots 0..5 (ColorSlot); BadSlot for any other. Repaints when `repaint` is set.
    ImageButtonResult SetSlotColor(std::uint8_t slot, ColorRef color, bool repaint = true);
    // Adds one common shift to the slot's three channels (ShadeColor). BadSlot; BadValue for a shade
    // outside -255..255. Nothing changes on failure.
    ImageButtonResult ShadeSlotColor(std::uint8_t slot, std::int16_t shade, bool repaint = true);
    ColorRef SlotColor(ColorSlot slot) const { return m_colors[slot]; }

    // The tooltip's text, shown when `activate` is set. A null text changes nothing.
    void SetTipText(const QString& text, bool activate = true);

    // The address a click opens, at most 259 bytes of it in UTF-8 (never half a character); an
    // empty address opens nothing. Always Ok.
    ImageButtonResult SetLinkURL(const QString& address);
    QString LinkURL() const { return m_linkAddress; }

    // Check-box mode: a click toggles the check state, and a checked button looks pressed.
    void SetCheckMode(bool on);
    bool IsCheckMode() const { return m_options.checkMode; }
    // In check mode, 1 or 2 checks the button and any other value unchecks it; outside it, nothing.
    void SetCheck(int state);
    int GetCheck() const { return m_options.checkMode && isChecked() ? 1 : 0; }

    // Where the image stands; left of the caption unless changed.
    void SetImagePlacement(ImagePlacement placement);
    // Flat look (the default) or a framed push button.
    void SetFlat(bool flat);

    // The drop-down menu: attached once it exists (loaded from a template, or made and given items).
    COwnerDrawMenu& Menu() { return m_menu; }
    bool IsMenuShown() const { return m_bMenuShown; }
    // The owner-drawn items of a COwnerDrawMenu are measured by it; anything else is not handled.
    bool MeasureMenuItem(MeasureItemRecord& record) override;
    // Characters typed in a COwnerDrawMenu go to FindMnemonic; in any other menu the system decides.
    MenuCharResult MenuChar(QChar typed, unsigned menuFlags, COwnerDrawMenu* menu) override;

    bool IsHot() const { return m_bHot; }
    // What a paint in the current state shows.
    ButtonLook Look() const;
    ImageButtonState State() const;

signals:
    // A command chosen from the drop-down menu, its low 16 bits; delivered after the menu has closed.
    void MenuCommand(unsigned command);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct ImageRecord {
        QImage image; // transparency applied; device pixels
        QSize size;   // in pixels of the layout
        ColorRef transparent = 0;
    };
    // The hot (0) and normal (1) images: icons and bitmaps, released as one block.
    struct ImageBlock {
        std::array<ImageRecord, 2> icons;
        std::array<ImageRecord, 2> bitmaps;
    };

    void OnClicked();
    void ShowMenu();
    void SetHot(bool hot);
    void ResetColors();
    void ReleaseImages();
    QImage Render(const QString& resource, QSize size) const;
    const ImageRecord& Choose(const std::array<ImageRecord, 2>& records, const ButtonLook& look) const;
    void DrawFrame(QPainter& painter, const QRect& rect, ButtonFrame frame) const;
    void DrawImage(QPainter& painter, const ImageRecord& record, const QRect& imageRect, bool disabled) const;
    void DrawCaption(QPainter& painter, const QRect& captionRect, const ButtonLook& look) const;

    const CLinkOpener& m_links;
    ButtonOptions m_options;
    bool m_bHot = false;
    bool m_bEmbossDisabledBitmap = true;
    std::array<ColorRef, ColorSlotCount> m_colors{};
    ImageBlock m_images;
    QString m_tipText;
    QString m_linkAddress;
    COwnerDrawMenu m_menu;
    bool m_bMenuShown = false;
};
