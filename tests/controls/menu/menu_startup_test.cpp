// Without an application object of its own: the program's start-up makes nothing of the menus.
#include "controls/menu/menu_shared_state.h"
#include "controls/menu/owner_draw_menu.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

TEST(MenuStartUp, TheSharedStateIsMadeOnFirstUseAfterTheApplication) {
    EXPECT_FALSE(MenuSharedStateMade()) << "made while the program started";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "menu_startup_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    EXPECT_FALSE(MenuSharedStateMade());

    COwnerDrawMenu menu;
    menu.SetImageSize({20, 18});
    MenuImageList list;
    QImage image(20, 18, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(menu.AddImage(list, image));
    EXPECT_EQ(menu.AddToSharedImages(list, 0, 7), 0);
    EXPECT_TRUE(MenuSharedStateMade());
    EXPECT_EQ(SharedMenuImages().List().imageSize, QSize(20, 18)) << "sized by the first menu to add";
}

} // namespace
