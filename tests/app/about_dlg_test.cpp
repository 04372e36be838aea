#include "app/about_dlg.h"

#include "tests/app/dialog_fixture.h"

#include <QLabel>
#include <QTimer>

namespace {

TEST(AboutDlg, ShowsNameVersionAndHomePageLink) {
    FakeShell shell;
    CAboutDlg about(shell);
    EXPECT_EQ(about.windowTitle(), "Pagewright");
    EXPECT_EQ(about.VersionLabel()->text(), "Pagewright Version 1.10");
    EXPECT_TRUE(about.LinkLabel()->text().contains("https://www.pagewright.example/"));
    emit about.LinkLabel()->linkActivated("https://www.pagewright.example/");
    EXPECT_EQ(shell.openedAddresses, QStringList{"https://www.pagewright.example/"});
}

TEST(AboutDlg, EnterAndEscapeClose) {
    FakeShell shell;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        CAboutDlg about(shell);
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
