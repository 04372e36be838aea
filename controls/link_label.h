#pragma once

#include "controls/drawing/color_ref.h"

#include <QLabel>

#include <cstdint>

class CLinkOpener;

// Link style bits of CLinkLabel.
enum LinkStyle : std::uint32_t {
    HLS_UNDERLINE = 0x01,     // the link font is underlined
    HLS_HOVER = 0x02,         // the hover colour shows while the pointer is over the label
    HLS_AUTOSIZE = 0x04,      // the label is fitted to its text
    HLS_DOWNCLICK = 0x08,     // the link opens on the button press instead of the release
    HLS_FOCUSONCLICK = 0x10,  // a button press gives the label the focus
    HLS_NOHANDCURSOR = 0x20,  // no hand cursor
    HLS_NOACTIVECOLOR = 0x40, // the active colour is never used
};
inline constexpr std::uint32_t kDefaultLinkStyle = HLS_UNDERLINE | HLS_AUTOSIZE | HLS_FOCUSONCLICK;

// A text label that acts as a link to a web address: coloured, optionally underlined, with a hand
// cursor and the address as its tooltip. A left click (the release over the label, or the press
// with HLS_DOWNCLICK) or Space while it has the focus opens the address through the link opener,
// which reports a failure; holding Space opens it once.
//
// Colours: blue until the label is active (focused, or pressed since it last lost the focus), teal
// while active, purple once an open has succeeded and the label is no longer active; red while the
// pointer is over it when HLS_HOVER is set.
//
// The owner sets m_strAddress, places the label, then calls Bind().
class CLinkLabel : public QLabel {
    Q_OBJECT

public:
    static constexpr ColorRef s_crLink = Rgb(0, 0, 255);
    static constexpr ColorRef s_crActive = Rgb(0, 128, 128);
    static constexpr ColorRef s_crFollowed = Rgb(128, 0, 128);
    static constexpr ColorRef s_crHover = Rgb(255, 0, 0);

    // `links` opens the address and reports a failure; it outlives the label.
    CLinkLabel(const CLinkOpener& links, const QString& text, QWidget* parent = nullptr);

    // The address to open; also the tooltip, as it stands when the label is bound.
    QString m_strAddress;

    // Makes the label a link: an empty address becomes the text and an empty text the address, the
    // font gets its underline from the style, the label is fitted to its text (HLS_AUTOSIZE), the
    // hand cursor and the tooltip are set.
    void Bind();

    // Removes the bits `remove` and then adds `add`; false, with nothing changed, when a bit is in
    // both. With `apply` on a bound label the change shows at once: a new font for HLS_UNDERLINE
    // (after which the label is shown), a refit for an added HLS_AUTOSIZE, a repaint for a removed
    // HLS_HOVER.
    bool ChangeLinkStyle(std::uint32_t remove, std::uint32_t add, bool apply);
    std::uint32_t LinkStyle() const { return m_dwLinkStyle; }

    // With HLS_AUTOSIZE: the label keeps its top-left corner (as its alignment says) and takes the
    // size of its text plus its border.
    void FitToText();

    // Opens the address; followed from the first success on.
    void OpenLink();

    ColorRef TextColor() const;
    bool IsActive() const { return m_bActive; }
    bool IsPointerOver() const { return m_bPointerOver; }
    bool IsFollowed() const { return m_bFollowed; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyLinkFont();

    const CLinkOpener& m_links;
    bool m_bActive = false;
    bool m_bPointerOver = false;
    bool m_bFollowed = false;
    bool m_bBound = false;
    std::uint32_t m_dwLinkStyle = kDefaultLinkStyle;
};
