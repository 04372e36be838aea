#include "controls/menu/menu_template.h"

#include "tests/support/menu_template.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <vector>

// A failed comparison shows the items as a tree.
static void PrintTo(const MenuTemplateItem& item, std::ostream* os) {
    *os << "{0x" << std::hex << item.flags << std::dec << ", " << item.id << ", ";
    PrintTo(item.text, os);
    *os << ", {";
    for (const MenuTemplateItem& child : item.children)
        PrintTo(child, os);
    *os << "}}";
}

namespace {

using Items = std::vector<MenuTemplateItem>;

// `levels` popups, each the only item of the one above, around one command.
QByteArray Nested(int levels) {
    MenuTemplateWriter writer;
    for (int level = 0; level < levels; ++level)
        writer.Popup(MenuEnd, "&Deeper");
    return writer.Item(MenuEnd, 7, "&Bottom").Bytes();
}

// The depth of the deepest item.
int Depth(const Items& items) {
    int depth = 0;
    for (const MenuTemplateItem& item : items)
        depth = std::max(depth, item.children.empty() ? 1 : 1 + Depth(item.children));
    return depth;
}

TEST(MenuTemplate, ReadsTheItemsTreeWithoutTheEndFlag) {
    // Three bytes of padding after the header, which its offset skips.
    const QByteArray bytes = MenuTemplateWriter(0, 3)
                                 .Popup(MenuGrayed, "&File")
                                 .Item(0, 101, "&Open\tCtrl+O")
                                 .Item(0, 0, "")
                                 .Popup(MenuEnd, "&Recent")
                                 .Item(MenuChecked | MenuEnd, 201, QStringLiteral("&1 r\u00e9sum\u00e9.pdf"))
                                 .Item(MenuEnd, 0xFFFF, "&Help")
                                 .Bytes() +
                             QByteArray("after the end");
    const Items expected = {
        {MenuGrayed | MenuPopup,
         0,
         "&File",
         {{0, 101, "&Open\tCtrl+O", {}},
          {0, 0, "", {}},
          {MenuPopup, 0, "&Recent", {{MenuChecked, 201, QStringLiteral("&1 r\u00e9sum\u00e9.pdf"), {}}}}}},
        {0, 0xFFFF, "&Help", {}},
    };
    const std::optional<Items> items = ParseMenuTemplate(bytes);
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(*items, expected);
}

TEST(MenuTemplate, NestsPopupsUpToTheLimitAndRefusesDeeper) {
    const std::optional<Items> deepest = ParseMenuTemplate(Nested(kMaxMenuTemplateDepth - 1));
    ASSERT_TRUE(deepest.has_value());
    EXPECT_EQ(Depth(*deepest), kMaxMenuTemplateDepth);
    EXPECT_FALSE(ParseMenuTemplate(Nested(kMaxMenuTemplateDepth)).has_value());
}

} // namespace
