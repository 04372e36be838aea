#include "app/about_dlg.h"
#include "app/product_info.h"

#include "controls/drawing/dialog_units.h"
#include "controls/link_label.h"
#include "controls/link_opener.h"
#include "tests/app/dialog_fixture.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTimer>

namespace {

struct AboutServices {
    FakeShell shell;
    FakeBrowserLauncher browser;
    FakePrompts prompts;
    CLinkOpener links{shell, browser, prompts};
};

TEST(AboutDlg, ShowsIconNameVersionNoticeAndTheWholeHomePageLink) {
    AboutServices services;
    CAboutDlg about(services.links);
    about.show();
    EXPECT_EQ(about.windowTitle(), "Pagewright");
    // 204 x 59 dialog units of its own font, and not resizable.
    EXPECT_EQ(about.size(), DialogUnitsToPixels(QRect(0, 0, 204, 59), DialogBaseUnits(about.font())).size());
    EXPECT_EQ(about.size(), about.minimumSize());
    EXPECT_EQ(about.size(), about.maximumSize());
    EXPECT_EQ(about.VersionLabel()->text(), "Pagewright Version 1.10");
    // The icon at the system's icon size, 32 x 32, with the template's top-left corner.
    const QPixmap icon = about.IconLabel()->pixmap();
    EXPECT_EQ(icon.deviceIndependentSize().toSize(), QSize(32, 32));
    EXPECT_EQ(icon.toImage().pixelColor(16, 16).alpha(), 255) << "the artwork fills it";
    EXPECT_EQ(about.IconLabel()->geometry(),
              QRect(DialogUnitsToPixels(QRect(8, 9, 20, 20), DialogBaseUnits(about.font())).topLeft(),
                    QSize(32, 32)));
    // Every text is shown whole inside the box.
    for (QLabel* label :
         {about.VersionLabel(), about.NoticeLabel(), static_cast<QLabel*>(about.LinkLabel())}) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                  label->contentsRect().width());
        EXPECT_TRUE(about.rect().contains(label->geometry()));
    }
    CLinkLabel* link = about.LinkLabel();
    EXPECT_EQ(link->text(), kHomePageAddress);
    EXPECT_TRUE(link->font().underline());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(services.shell.openedAddresses, QStringList{kHomePageAddress});
}

TEST(AboutDlg, EnterAndEscapeClose) {
    AboutServices services;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        CAboutDlg about(services.links);
        about.show();
        QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible()) << key;
    }
}

using AboutFromMainWindow = DialogTest;

TEST_F(AboutFromMainWindow, AboutButtonOpensTheAboutBoxModally) {
    QString title;
    QString version;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        version = about->VersionLabel()->text();
        about->accept();
    });
    QTest::mouseClick(Button(IDC_ABOUT_BUTTON), Qt::LeftButton);
    EXPECT_EQ(title, "Pagewright");
    EXPECT_EQ(version, "Pagewright Version 1.10");
    EXPECT_TRUE(m_dlg->isVisible());
}

} // namespace
