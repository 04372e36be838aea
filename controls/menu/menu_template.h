#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The flags of a menu item, as menu templates and live menus carry them.
enum MenuItemFlag : unsigned {
    MenuString = 0x0,
    MenuGrayed = 0x1,
    MenuDisabled = 0x2,
    MenuChecked = 0x8,
    MenuPopup = 0x10,
    MenuEnd = 0x80, // in a template: the last item of its level
    MenuOwnerDraw = 0x100,
    MenuRadioCheck = 0x200, // checked with a dot instead of a tick
    MenuByPosition = 0x400,
    MenuSeparator = 0x800,
};

// One item of a menu template.
struct MenuTemplateItem {
    unsigned flags = 0; // MenuItemFlag, without MenuEnd
    unsigned id = 0;    // 0 for a popup
    QString text;
    std::vector<MenuTemplateItem> children; // of a popup, in order

    bool operator==(const MenuTemplateItem&) const = default;
};

// Popups nested deeper than this are taken for a damaged template.
inline constexpr int kMaxMenuTemplateDepth = 32;

// Reads a menu template in the standard binary layout: a header of two little-endian words (version
// 0, then the offset of the first item counted from the end of the header), then the items, each a
// flags word, a command word unless it opens a popup, and its text as zero-terminated UTF-16; a
// popup's items follow it at once, and MenuEnd marks the last item of a level. The top level, in
// order; nothing when the template is of another version, ends early, or nests popups
// kMaxMenuTemplateDepth deep. Bytes after the top level's last item are ignored. Reads nothing
// outside `bytes` and keeps no reference to them.
std::optional<std::vector<MenuTemplateItem>> ParseMenuTemplate(QByteArrayView bytes);
