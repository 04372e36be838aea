#include "controls/link_label.h"

#include "controls/drawing/label_geometry.h"
#include "controls/link_opener.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

CLinkLabel::CLinkLabel(const CLinkOpener& links, const QString& text, QWidget* parent)
    : QLabel(text, parent), m_links(links) {
    setTextFormat(Qt::PlainText);
    // A link keeps its top edge when it is fitted to its text.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Not a tab stop: the label takes the focus from a press (HLS_FOCUSONCLICK).
    setFocusPolicy(Qt::NoFocus);
}

void CLinkLabel::Bind() {
    if (m_strAddress.isEmpty())
        m_strAddress = text();
    if (text().isEmpty())
        setText(m_strAddress);
    ApplyLinkFont();
    FitToText();
    if (!(m_dwLinkStyle & HLS_NOHANDCURSOR))
        setCursor(Qt::PointingHandCursor);
    setToolTip(m_strAddress);
    m_bBound = true;
}

bool CLinkLabel::ChangeLinkStyle(std::uint32_t remove, std::uint32_t add, bool apply) {
    if (remove & add)
        return false;
    m_dwLinkStyle = (m_dwLinkStyle & ~remove) | add;
    if (apply && m_bBound) {
        if ((add | remove) & HLS_UNDERLINE) {
            hide();
            ApplyLinkFont();
            FitToText();
            show();
        }
        if (add & HLS_AUTOSIZE)
            FitToText();
        if (remove & HLS_HOVER)
            update();
    }
    return true;
}

void CLinkLabel::ApplyLinkFont() {
    QFont linkFont = font();
    linkFont.setUnderline((m_dwLinkStyle & HLS_UNDERLINE) != 0);
    setFont(linkFont);
}

void CLinkLabel::FitToText() {
    if (!(m_dwLinkStyle & HLS_AUTOSIZE))
        return;
    const QFontMetrics metrics(font());
    const QSize textSize(metrics.horizontalAdvance(text()), metrics.height());
    const QSize border = size() - contentsRect().size();
    setGeometry(FitLabelToText(geometry(), border, textSize, alignment()));
    update();
}

void CLinkLabel::OpenLink() {
    if (!m_links.OpenLink(m_strAddress))
        return;
    m_bFollowed = true;
    update();
}

ColorRef CLinkLabel::TextColor() const {
    if (m_bPointerOver && (m_dwLinkStyle & HLS_HOVER))
        return s_crHover;
    if ((m_dwLinkStyle & HLS_NOACTIVECOLOR) || !m_bActive)
        return m_bFollowed ? s_crFollowed : s_crLink;
    return s_crActive;
}

void CLinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(ToQColor(TextColor()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

// Hover follows the enter and leave events: no pointer grab, which would keep a message box opened
// from the label from being clicked.
void CLinkLabel::enterEvent(QEnterEvent*) {
    m_bPointerOver = true;
    update();
}

void CLinkLabel::leaveEvent(QEvent*) {
    m_bPointerOver = false;
    update();
}

void CLinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (m_dwLinkStyle & HLS_FOCUSONCLICK)
        setFocus(Qt::MouseFocusReason);
    if (m_dwLinkStyle & HLS_DOWNCLICK)
        OpenLink();
    m_bActive = true;
    update();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // A press on the label followed by a release elsewhere opens nothing.
    if (m_bActive && !(m_dwLinkStyle & HLS_DOWNCLICK) && rect().contains(event->position().toPoint()))
        OpenLink();
}

void CLinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QLabel::keyPressEvent(event);
        return;
    }
    // Holding the key down opens the link once, not once per repeat.
    if (!event->isAutoRepeat())
        OpenLink();
    event->accept();
}

void CLinkLabel::focusInEvent(QFocusEvent*) {
    m_bActive = true;
    update();
}

void CLinkLabel::focusOutEvent(QFocusEvent*) {
    m_bPointerOver = false;
    m_bActive = false;
    update();
}
