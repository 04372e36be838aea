#include "controls/menu/menu_popup.h"

#include "controls/menu/menu_shared_state.h"
#include "controls/menu/owner_draw_menu.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// The frame the system draws around a menu, and the room it gives an item beyond what the item
// asked for: the width of a check mark less one, which every owner-drawn item gets.
constexpr int kFrame = 3;
constexpr int kCheckMarkRoom = 12;
// Plain items, which the system draws: their text starts here and leaves this much at the right.
constexpr int kPlainTextLeft = 20;
constexpr int kPlainRight = 20;

} // namespace

CMenuPopup::CMenuPopup(COwnerDrawMenu& menu, IMenuOwner* owner, QWidget* parent)
    : QWidget(parent, Qt::Popup), m_menu(menu), m_owner(owner) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFont(MenuFont());
    LayOut();
}

void CMenuPopup::LayOut() {
    const QFontMetrics metrics(MenuFont());
    std::vector<QSize> sizes;
    int width = 0;
    for (int i = 0; i < m_menu.ItemCount(); ++i) {
        QSize size;
        const unsigned flags = m_menu.ItemFlags(i);
        if (flags & MenuOwnerDraw) {
            MeasureItemRecord record{&m_menu, m_menu.ItemData(i)};
            if (!m_owner || !m_owner->MeasureMenuItem(record))
                m_menu.MeasureItem(record);
            size = QSize(record.itemWidth + kCheckMarkRoom, record.itemHeight);
        } else if (flags & MenuSeparator) {
            size = QSize(0, MenuLineHeight(metrics) / 2);
        } else {
            size = QSize(kPlainTextLeft + MenuTextWidth(metrics, m_menu.ItemText(i)) + kPlainRight,
                         MenuLineHeight(metrics));
        }
        width = std::max(width, size.width());
        sizes.push_back(size);
    }
    int top = kFrame;
    m_items.clear();
    for (const QSize& size : sizes) {
        m_items.emplace_back(kFrame, top, width, size.height());
        top += size.height();
    }
    m_size = QSize(width + 2 * kFrame, top + kFrame);
    resize(m_size);
}

QSize CMenuPopup::sizeHint() const {
    return m_size;
}

QRect CMenuPopup::ItemRect(int position) const {
    return position >= 0 && position < static_cast<int>(m_items.size())
               ? m_items[static_cast<size_t>(position)]
               : QRect();
}

unsigned CMenuPopup::Exec(QPoint at) {
    m_result = 0;
    move(at);
    show();
    setFocus(Qt::PopupFocusReason);
    QEventLoop loop;
    m_loop = &loop;
    // Hiding ends the wait; a popup that could not be shown ends it at once.
    if (isVisible())
        loop.exec();
    m_loop = nullptr;
    return m_result;
}

void CMenuPopup::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_loop)
        m_loop->quit();
}

void CMenuPopup::Finish(unsigned command) {
    m_result = command;
    hide();
}

int CMenuPopup::ItemAt(QPoint at) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].contains(at))
            return static_cast<int>(i);
    return -1;
}

bool CMenuPopup::IsSelectable(int position) const {
    return position >= 0 && position < m_menu.ItemCount() && !(m_menu.ItemFlags(position) & MenuSeparator);
}

void CMenuPopup::Select(int position) {
    const int selected = IsSelectable(position) ? position : -1;
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void CMenuPopup::MoveSelection(int step) {
    const int count = m_menu.ItemCount();
    int position = m_selected;
    for (int tries = 0; tries < count; ++tries) {
        position = position < 0 ? (step > 0 ? 0 : count - 1) : (position + step + count) % count;
        if (IsSelectable(position)) {
            Select(position);
            return;
        }
    }
}

void CMenuPopup::Choose(int position) {
    if (!IsSelectable(position))
        return;
    Select(position);
    const unsigned flags = m_menu.ItemFlags(position);
    if (COwnerDrawMenu* submenu = m_menu.GetSubMenu(position)) {
        CMenuPopup child(*submenu, m_owner, this);
        const unsigned command =
            child.Exec(mapToGlobal(ItemRect(position).topRight() + QPoint(kFrame, -kFrame)));
        if (command != 0)
            Finish(command);
        return;
    }
    if (flags & (MenuGrayed | MenuDisabled))
        return;
    Finish(m_menu.ItemId(position));
}

void CMenuPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const MenuColors colors = MenuSystemColors();
    painter.fillRect(rect(), ToQColor(colors.menu));
    // The raised frame of a menu window.
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_FrameMenu, &frame, &painter, this);

    const QFontMetrics metrics(font());
    for (int i = 0; i < m_menu.ItemCount(); ++i) {
        const QRect item = ItemRect(i);
        const unsigned flags = m_menu.ItemFlags(i);
        unsigned state = 0;
        if (i == m_selected)
            state |= ItemSelected;
        if (flags & MenuGrayed)
            state |= ItemGrayed;
        if (flags & MenuDisabled)
            state |= ItemDisabled;
        if (flags & MenuChecked)
            state |= ItemChecked;
        if (flags & MenuOwnerDraw) {
            m_menu.DrawItem({&painter, item, state, m_menu.ItemData(i)});
        } else if (flags & MenuSeparator) {
            const int middle = item.center().y();
            painter.fillRect(QRect(item.left() + 1, middle, item.width() - 2, 1), ToQColor(colors.shadow));
            painter.fillRect(QRect(item.left() + 1, middle + 1, item.width() - 2, 1), ToQColor(colors.light));
        } else {
            const bool selected = state & ItemSelected;
            if (selected)
                painter.fillRect(item, ToQColor(colors.highlight));
            painter.setPen(ToQColor((flags & (MenuGrayed | MenuDisabled)) ? colors.grayText
                                    : selected                            ? colors.highlightText
                                                                          : colors.menuText));
            const QRect text = item.adjusted(kPlainTextLeft, 0, -kPlainRight, 0);
            painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                             MenuLabel(m_menu.ItemText(i)));
            painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter | Qt::TextShowMnemonic,
                             MenuAccelerator(m_menu.ItemText(i)));
        }
        // The system adds the arrow of a popup item, drawn or not.
        if (flags & MenuPopup) {
            QStyleOption arrow;
            arrow.initFrom(this);
            const int side = std::min(item.height(), kCheckMarkRoom);
            arrow.rect = QRect(item.right() - side, item.top() + (item.height() - side) / 2, side, side);
            arrow.palette.setColor(QPalette::ButtonText,
                                   ToQColor((state & ItemSelected) && !(flags & MenuOwnerDraw)
                                                ? colors.highlightText
                                                : colors.menuText));
            style()->drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, &painter, this);
        }
    }
}

void CMenuPopup::mouseMoveEvent(QMouseEvent* event) {
    Select(ItemAt(event->position().toPoint()));
}

void CMenuPopup::leaveEvent(QEvent*) {
    Select(-1);
}

void CMenuPopup::mouseReleaseEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        Finish(0);
        return;
    }
    Choose(ItemAt(event->position().toPoint()));
}

void CMenuPopup::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Left:
        Finish(0);
        return;
    case Qt::Key_Up:
        MoveSelection(-1);
        return;
    case Qt::Key_Down:
        MoveSelection(1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose(m_selected);
        return;
    case Qt::Key_Right:
        if (m_menu.GetSubMenu(m_selected))
            Choose(m_selected);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text[0].isPrint() || !m_owner)
        return;
    // The owner answers the character; without an answer the system has no item to offer.
    const MenuCharResult answer = m_owner->MenuChar(text[0], MenuPopup, &m_menu);
    switch (answer.action) {
    case MenuCharAction::Execute:
        Choose(answer.position);
        break;
    case MenuCharAction::Select:
        Select(answer.position);
        break;
    case MenuCharAction::Close:
        Finish(0);
        break;
    case MenuCharAction::Default:
        break;
    }
}
