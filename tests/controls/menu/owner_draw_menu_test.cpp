#include "controls/menu/owner_draw_menu.h"

#include "controls/menu/menu_shared_state.h"
#include "platform/os_version.h"
#include "tests/support/menu_template.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <vector>

namespace {

using OwnerDrawMenu = ::testing::Test;

TEST_F(OwnerDrawMenu, LoadsAHandBuiltTemplateAndRefusesDamagedOnes) {
    // Two words of padding after the header, which its offset skips.
    const QByteArray good = MenuTemplateWriter(0, 2)
                                .Popup(0, "&File")
                                .Item(0, 101, "&Open\tCtrl+O")
                                .Item(0, 0, "")
                                .Item(MenuChecked, 103, "Show &toolbar")
                                .Popup(MenuEnd, "&Recent")
                                .Item(MenuEnd, 201, "&1 report.pdf")
                                .Popup(MenuEnd, "&Help")
                                .Item(MenuGrayed | MenuEnd, 301, "&About\tF1")
                                .Bytes();
    COwnerDrawMenu menu;
    ASSERT_EQ(menu.LoadMenuTemplate(good), 1);
    // The top level is plain; the popups are drawn by the menu.
    ASSERT_EQ(menu.ItemCount(), 2);
    EXPECT_EQ(menu.ItemFlags(0), static_cast<unsigned>(MenuPopup));
    EXPECT_EQ(menu.ItemText(1), "&Help");
    COwnerDrawMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->ItemCount(), 4);
    EXPECT_EQ(file->ItemFlags(0), static_cast<unsigned>(MenuOwnerDraw));
    EXPECT_EQ(file->ItemId(0), 101u);
    EXPECT_EQ(file->ItemFlags(1), static_cast<unsigned>(MenuOwnerDraw | MenuSeparator));
    EXPECT_EQ(file->ItemFlags(2), static_cast<unsigned>(MenuOwnerDraw | MenuChecked));
    EXPECT_EQ(file->ItemFlags(3), static_cast<unsigned>(MenuOwnerDraw | MenuPopup));
    // Accelerators re-aligned: "&Open" padded to the widest label of its level.
    const QFontMetrics metrics(MenuFont());
    EXPECT_EQ(MenuLabel(file->ItemText(0)).trimmed(), "&Open");
    EXPECT_GE(metrics.horizontalAdvance(MenuLabel(file->ItemText(0))),
              metrics.horizontalAdvance("Show &toolbar"));
    EXPECT_EQ(MenuAccelerator(file->ItemText(0)), "Ctrl+O");
    EXPECT_EQ(file->ItemData(0), file->Items()[0].get());
    COwnerDrawMenu* recent = file->GetSubMenu(3);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->ItemText(0), "&1 report.pdf");
    EXPECT_EQ(menu.GetSubMenu(1)->ItemFlags(0), static_cast<unsigned>(MenuOwnerDraw | MenuGrayed));
    EXPECT_TRUE(COwnerDrawMenu::IsOurMenu(file));
    EXPECT_TRUE(COwnerDrawMenu::IsOurMenu(recent));
    EXPECT_FALSE(COwnerDrawMenu::IsOurMenu(&menu));

    menu.DestroyMenuTree();
    EXPECT_FALSE(menu.IsCreated());
    EXPECT_EQ(menu.ItemCount(), 0);
    EXPECT_FALSE(COwnerDrawMenu::IsOurMenu(file)) << "gone from the shared list";
    EXPECT_FALSE(COwnerDrawMenu::IsOurMenu(recent));

    MenuTemplateWriter deep;
    for (int level = 0; level < 40; ++level)
        deep.Popup(MenuEnd, "&Deeper");
    deep.Item(MenuEnd, 1, "&Bottom");
    QByteArray farOffset = good;
    farOffset[2] = '\x7F';
    const struct {
        const char* name;
        QByteArray bytes;
    } damaged[] = {
        {"empty", QByteArray()},
        {"header only", MenuTemplateWriter().Bytes()},
        {"extended layout", MenuTemplateWriter(1).Item(MenuEnd, 1, "&Open").Bytes()},
        {"text without its end", good.chopped(2)},
        {"a level without its last item",
         MenuTemplateWriter().Popup(MenuEnd, "&File").Item(0, 1, "&Open").Bytes()},
        {"offset past the end", farOffset},
        {"popups nested 40 deep", deep.Bytes()},
    };
    for (const auto& d : damaged) {
        ASSERT_EQ(menu.LoadMenuTemplate(good), 1);
        EXPECT_EQ(menu.LoadMenuTemplate(d.bytes), 0) << d.name;
        EXPECT_FALSE(menu.IsCreated()) << d.name;
        EXPECT_EQ(menu.ItemCount(), 0) << d.name;
    }
    // A template that is not there fails before anything is destroyed: the menu keeps what it held.
    ASSERT_EQ(menu.LoadMenuTemplate(good), 1);
    EXPECT_EQ(menu.LoadMenuTemplate(QStringLiteral(":/no/such/menu")), 0);
    EXPECT_TRUE(menu.IsCreated());
    ASSERT_EQ(menu.ItemCount(), 2);
    EXPECT_EQ(menu.ItemText(1), "&Help");
    ASSERT_NE(menu.GetSubMenu(0), nullptr);
    EXPECT_EQ(menu.GetSubMenu(0)->ItemCount(), 4);
    EXPECT_TRUE(COwnerDrawMenu::IsOurMenu(menu.GetSubMenu(0)));
}

TEST_F(OwnerDrawMenu, MnemonicsExecuteTheFirstItemWithTheAmpersandAndLetter) {
    COwnerDrawMenu top;
    top.CreatePopupMenu();
    auto owned = std::make_unique<COwnerDrawMenu>();
    COwnerDrawMenu* popup = owned.get();
    popup->CreatePopupMenu();
    popup->AppendItem("&New", 0, 1);
    popup->AppendItem("", 0, 0);
    popup->AppendItem("&Open\tCtrl+O", 0, 2);
    popup->AppendItem("E&xit\tAlt+O", 0, 3);
    top.AppendItem("&File", 0, std::move(owned));

    const auto execute = [](int position) { return MenuCharResult{MenuCharAction::Execute, position}; };
    const struct {
        QChar typed;
        unsigned flags;
        MenuCharResult answer;
    } cases[] = {
        {u'o', MenuPopup, execute(2)},
        {u'O', MenuPopup, execute(2)},
        {u'x', MenuPopup, execute(3)},
        {u'z', MenuPopup, {}}, // the system decides
        {u'o', 0, {}},         // not a popup
    };
    for (const auto& c : cases) {
        const MenuCharResult answer = COwnerDrawMenu::FindMnemonic(c.typed, c.flags, popup);
        EXPECT_EQ(answer.action, c.answer.action) << QString(c.typed).toStdString();
        EXPECT_EQ(answer.position, c.answer.position) << QString(c.typed).toStdString();
    }
    EXPECT_EQ(COwnerDrawMenu::FindMnemonic(u'o', MenuPopup, nullptr), MenuCharResult{});

    // Changed behind the records' back, the live menu is matched up again before the search.
    ASSERT_TRUE(popup->RemoveMenu(0));
    EXPECT_EQ(COwnerDrawMenu::FindMnemonic(u'o', MenuPopup, popup), execute(1));
    ASSERT_TRUE(popup->AppendMenu(MenuString, 4, "&Print"));
    EXPECT_EQ(COwnerDrawMenu::FindMnemonic(u'p', MenuPopup, popup), execute(3));
    ASSERT_EQ(popup->Items().size(), 4u);
    EXPECT_EQ(popup->Items()[0]->m_text, "");
    EXPECT_EQ(popup->Items()[3]->m_commandId, 4u);
}

// Draws one item of `menu` into an image of the item's measured size, filled with magenta first.
QImage Rendered(COwnerDrawMenu& menu, COwnerDrawMenuItem* item, unsigned state) {
    MeasureItemRecord measure{&menu, item};
    menu.MeasureItem(measure);
    QImage image(measure.itemWidth, measure.itemHeight, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    menu.DrawItem({&painter, image.rect(), state, item});
    return image;
}

ColorRef At(const QImage& image, QPoint at) {
    return ToColorRef(image.pixelColor(at));
}

TEST_F(OwnerDrawMenu, DrawsBothLooksAndMeasuresInTheMenuFont) {
    COwnerDrawMenu menu;
    menu.CreatePopupMenu();
    menu.AppendItem("", 0, 0);
    menu.AppendItem("Show &toolbar", 0, 10);
    menu.AppendItem("&Large icons", MenuRadioCheck, 11);
    menu.AppendItem("&Open\tCtrl+O", 0, 12);
    COwnerDrawMenuItem* separator = menu.Items()[0].get();
    COwnerDrawMenuItem* toolbar = menu.Items()[1].get();
    COwnerDrawMenuItem* radio = menu.Items()[2].get();
    COwnerDrawMenuItem* open = menu.Items()[3].get();
    const MenuColors colors = MenuSystemColors();

    // A classic separator with a 15-pixel image is as tall as the larger of 9 and half the menu height.
    MeasureItemRecord measured{&menu, separator};
    menu.MeasureItem(measured);
    EXPECT_EQ(measured.itemHeight, std::max(9, MenuLineHeight(QFontMetrics(MenuFont())) / 2));
    EXPECT_EQ(measured.itemWidth, 0);

    // Each item is drawn into (3, 5, 150, 21) of a magenta image, as a popup places its items: images
    // of 16 x 15; in the flat look with three-dimensional images an image band 16 + 7 wide.
    const QRect item(3, 5, 150, 21);
    using Pixels = std::vector<std::pair<QPoint, ColorRef>>;
    Pixels tick;
    // The tick's strokes, 3 pixels high, from (8, 12): 4 right of and 4 below the check box, which
    // stands one pixel in from the item's left edge, centred: (4, 8) to (19, 22).
    for (const QRect& stroke :
         {QRect(8, 14, 1, 3), QRect(9, 15, 1, 3), QRect(10, 16, 1, 3), QRect(11, 15, 1, 3),
          QRect(12, 14, 1, 3), QRect(13, 13, 1, 3), QRect(14, 12, 1, 3)})
        for (int y = stroke.top(); y <= stroke.bottom(); ++y)
            tick.emplace_back(QPoint(stroke.left(), y), colors.menuText);
    const struct {
        const char* name;
        bool flat;
        COwnerDrawMenuItem* item;
        unsigned state;
        Pixels expected;
        ColorRef text; // some text pixel shows it
    } cases[] = {
        {"classic, checked: the tick in a sunken box", false, toolbar, ItemChecked,
         [&] {
             Pixels p = tick;
             p.insert(p.end(), {{QPoint(8, 13), LightenColor(colors.menu, 0.6)},
                                {QPoint(14, 15), LightenColor(colors.menu, 0.6)},
                                {QPoint(4, 8), colors.shadow},
                                {QPoint(19, 22), colors.light}});
             return p;
         }(),
         colors.menuText},
        {"classic, selected: the whole item highlighted",
         false,
         open,
         ItemSelected,
         {{QPoint(4, 6), colors.highlight}, {QPoint(152, 25), colors.highlight}},
         colors.highlightText},
        // The image box, 20 x 19 at the item's left edge, ends at x = 22; the fill starts 5 pixels
        // right of it, where the text does.
        {"classic, selected and checked: the fill starts 5 pixels right of the image box",
         false,
         toolbar,
         ItemSelected | ItemChecked,
         {{QPoint(27, 5), colors.menu},
          {QPoint(28, 5), colors.highlight},
          {QPoint(152, 25), colors.highlight}},
         colors.highlightText},
        {"classic, disabled: engraved text",
         false,
         open,
         ItemGrayed,
         {{QPoint(4, 6), colors.menu}},
         colors.grayText},
        // The square 16 x 16 centred in the band, (6, 7); the dot in (11, 11, 6, 6), 5 right of and 4
        // below its corner, with the square's fill just beyond it on each side.
        {"flat, selected radio item: the dot in a framed square",
         true,
         radio,
         ItemSelected | ItemChecked,
         {{QPoint(13, 13), colors.menuText},
          {QPoint(13, 10), LightenColor(colors.highlight, 0.85)},
          {QPoint(13, 17), LightenColor(colors.highlight, 0.85)},
          {QPoint(10, 13), LightenColor(colors.highlight, 0.85)},
          {QPoint(17, 13), LightenColor(colors.highlight, 0.85)},
          {QPoint(6, 7), colors.highlight},
          {QPoint(3, 15), colors.highlight},
          {QPoint(151, 6), LightenColor(colors.highlight, 0.85)}},
         colors.menuText},
        {"flat, disabled under the pointer: unselected, drawn off-screen on the band and the window colour",
         true,
         open,
         ItemSelected | ItemGrayed,
         {{QPoint(4, 6), LightenColor(colors.face, 0.25)}, {QPoint(152, 6), colors.window}},
         LightenColor(colors.grayText, 0.4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MenuSwitches().flatElsewhere = c.flat;
        QImage drawn(160, 30, QImage::Format_RGB32);
        drawn.fill(Qt::magenta);
        {
            QPainter painter(&drawn);
            menu.DrawItem({&painter, item, c.state, c.item});
        }
        for (const auto& [at, color] : c.expected)
            EXPECT_EQ(At(drawn, at), color) << at.x() << "," << at.y();
        bool textShown = false;
        int outside = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                textShown = textShown || At(drawn, {x, y}) == c.text;
                outside += !item.contains(x, y) && drawn.pixelColor(x, y) != QColor(Qt::magenta);
            }
        EXPECT_TRUE(textShown);
        EXPECT_EQ(outside, 0) << "drawn outside the item";
        EXPECT_NE(drawn.pixelColor(3, 5), QColor(Qt::magenta)) << "the whole item is painted";
    }
    MenuSwitches().flatElsewhere = false;

    // Measured and drawn in the same font, whatever the menu font is: the label and the accelerator
    // keep a gap and both stay inside the item.
    const QFont original = QApplication::font("QMenu");
    for (const int points : {9, 16}) {
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font, "QMenu");
        for (const bool flat : {false, true}) {
            MenuSwitches().flatElsewhere = flat;
            const QImage drawn = Rendered(menu, open, 0);
            std::vector<int> columns;
            for (int x = 0; x < drawn.width(); ++x)
                for (int y = 0; y < drawn.height(); ++y)
                    if (At(drawn, {x, y}) == colors.menuText) {
                        columns.push_back(x);
                        break;
                    }
            ASSERT_FALSE(columns.empty());
            int widestGap = 0;
            for (size_t i = 1; i < columns.size(); ++i)
                widestGap = std::max(widestGap, columns[i] - columns[i - 1] - 1);
            EXPECT_GE(widestGap, QFontMetrics(font).horizontalAdvance(' ')) << points << " " << flat;
            EXPECT_LT(columns.back(), drawn.width() - 1) << points << " " << flat;
        }
    }
    QApplication::setFont(original, "QMenu");
    MenuSwitches().flatElsewhere = false;
}

TEST_F(OwnerDrawMenu, SharedImagesByCommand) {
    COwnerDrawMenu menu;
    menu.CreatePopupMenu();
    menu.SetBitmapMaskColor(Rgb(192, 192, 192), true);
    // A toolbar strip of three 16x15 images, red, green and blue, each with a corner of the mask colour.
    QImage strip(48, 15, QImage::Format_RGB32);
    const QColor tiles[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        strip.fill(Qt::black);
        QPainter painter(&strip);
        for (int j = 0; j < 3; ++j) {
            painter.fillRect(QRect(16 * j, 0, 16, 15), tiles[j]);
            painter.fillRect(QRect(16 * j, 0, 2, 2), QColor(192, 192, 192));
        }
    }
    const MenuToolbar toolbar{strip, {600, 0, 601, 602}};
    ASSERT_TRUE(menu.AppendItem("&Green", 0, 601, &toolbar));
    const int index = menu.Items()[0]->m_sharedImageIndex;
    ASSERT_GE(index, 0);
    EXPECT_EQ(SharedMenuImages().Find(601), index);
    const QImage& green = SharedMenuImages().List().images[static_cast<size_t>(index)];
    EXPECT_EQ(green.pixelColor(8, 8), QColor(Qt::green)) << "the image of the button after the separator";
    EXPECT_EQ(green.pixelColor(0, 0).alpha(), 0) << "the mask colour is left out";

    // A command that has an image gets the new one in its place; nothing else moves.
    const size_t count = SharedMenuImages().List().images.size();
    MenuImageList blue;
    ASSERT_TRUE(menu.AddImage(blue, strip.copy(32, 0, 16, 15)));
    EXPECT_EQ(menu.AddToSharedImages(blue, 0, 601), index);
    EXPECT_EQ(SharedMenuImages().List().images.size(), count);
    EXPECT_EQ(SharedMenuImages().List().images[static_cast<size_t>(index)].pixelColor(8, 8),
              QColor(Qt::blue));
    // Without a toolbar an item takes the command's image, if it has one.
    ASSERT_TRUE(menu.AppendItem("&Blue again", 0, 601));
    EXPECT_EQ(menu.Items()[1]->m_imageOffset, index);
    ASSERT_TRUE(menu.AppendItem("&Red", 0, 600));
    EXPECT_EQ(menu.Items()[2]->m_imageOffset, -1);
    EXPECT_EQ(menu.AddToSharedImages(blue, 5, 603), -1);

    // An image narrower than the menu's image size is one image, transparent beyond its own width.
    MenuImageList narrow;
    QImage red(10, 15, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(menu.AddImage(narrow, red));
    ASSERT_EQ(narrow.images.size(), 1u);
    EXPECT_EQ(narrow.images[0].size(), QSize(16, 15));
    EXPECT_EQ(narrow.images[0].pixelColor(9, 7), QColor(Qt::red));
    EXPECT_EQ(narrow.images[0].pixelColor(10, 7).alpha(), 0);
}

} // namespace
