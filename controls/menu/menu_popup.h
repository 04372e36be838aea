#pragma once

#include <QRect>
#include <QWidget>

#include <vector>

class COwnerDrawMenu;
class IMenuOwner;
class QEventLoop;

// A popup that shows a COwnerDrawMenu the way the system shows a menu: it asks the owner to measure
// the owner-drawn items (the menu measures those the owner leaves), has the menu draw them, lets the
// pointer and the arrow keys select, and asks the owner what a typed character means. Enter or a click
// on a command chooses it; on a popup item it opens that item's menu beside it. Escape, Left and a
// click elsewhere close it.
class CMenuPopup : public QWidget {
    Q_OBJECT

public:
    // `menu` and `owner` (which may be null) outlive the popup.
    CMenuPopup(COwnerDrawMenu& menu, IMenuOwner* owner, QWidget* parent = nullptr);

    // Shows the popup with its top-left corner at `at` (global coordinates) and waits until it closes.
    // The chosen command, or 0.
    unsigned Exec(QPoint at);

    // The item under the selection, or -1; where an item lies.
    int Selected() const { return m_selected; }
    QRect ItemRect(int position) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void LayOut();
    int ItemAt(QPoint at) const;
    bool IsSelectable(int position) const;
    void Select(int position);
    void MoveSelection(int step);
    // Carries out the item: a command closes the popup with its id, a popup item opens its menu.
    void Choose(int position);
    void Finish(unsigned command);

    COwnerDrawMenu& m_menu;
    IMenuOwner* m_owner;
    std::vector<QRect> m_items;
    QSize m_size;
    int m_selected = -1;
    unsigned m_result = 0;
    QEventLoop* m_loop = nullptr; // while Exec waits
};
