#include "controls/link_label.h"

#include "tests/controls/controls_fixture.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>

#include <vector>

namespace {

class LinkLabel : public ControlsTest {
protected:
    // A bound label 100 pixels wide at (10, 10) of the window.
    CLinkLabel* Make(const QString& text, const QString& address, std::uint32_t remove = 0,
                     std::uint32_t add = 0) {
        auto* label = new CLinkLabel(m_links, text, &m_window);
        label->setGeometry(10, 10, 100, 20);
        label->m_strAddress = address;
        label->ChangeLinkStyle(remove, add, false);
        label->Bind();
        label->show();
        Settle();
        return label;
    }
    static int TextWidth(const QLabel* label) {
        return QFontMetrics(label->font()).horizontalAdvance(label->text());
    }
};

TEST_F(LinkLabel, BindingFillsTheAddressOrTheTextAndFitsTheLabel) {
    CLinkLabel* fromText = Make("https://a.example/", "");
    EXPECT_EQ(fromText->m_strAddress, "https://a.example/");
    EXPECT_EQ(fromText->toolTip(), "https://a.example/");
    EXPECT_EQ(fromText->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(fromText->font().underline());

    CLinkLabel* fromAddress = Make("", "https://b.example/", HLS_UNDERLINE | HLS_AUTOSIZE, HLS_NOHANDCURSOR);
    EXPECT_EQ(fromAddress->text(), "https://b.example/");
    EXPECT_FALSE(fromAddress->font().underline());
    EXPECT_EQ(fromAddress->width(), 100) << "not fitted without HLS_AUTOSIZE";
    EXPECT_NE(fromAddress->cursor().shape(), Qt::PointingHandCursor);

    // Fitting keeps the top-left corner and takes the text's width plus the border.
    auto* framed = new CLinkLabel(m_links, "short text", &m_window);
    framed->setFrameStyle(QFrame::Box | QFrame::Plain);
    framed->setGeometry(10, 40, 100, 30);
    framed->Bind();
    EXPECT_EQ(framed->geometry(),
              QRect(10, 40, TextWidth(framed) + 2, QFontMetrics(framed->font()).height() + 2));
}

TEST_F(LinkLabel, StyleChanges) {
    CLinkLabel* label = Make("https://www.pagewright.example/", "");
    EXPECT_EQ(label->LinkStyle(), kDefaultLinkStyle);
    EXPECT_FALSE(label->ChangeLinkStyle(HLS_UNDERLINE, HLS_UNDERLINE, true));
    EXPECT_EQ(label->LinkStyle(), kDefaultLinkStyle);
    EXPECT_TRUE(label->font().underline());

    label->hide();
    EXPECT_TRUE(label->ChangeLinkStyle(HLS_UNDERLINE, 0, true));
    EXPECT_EQ(label->LinkStyle(), static_cast<std::uint32_t>(HLS_AUTOSIZE | HLS_FOCUSONCLICK));
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(label->width(), TextWidth(label)) << "refitted";
    EXPECT_TRUE(label->isVisible()) << "shown after the new font";
}

TEST_F(LinkLabel, ColoursFollowFocusOpeningAndHover) {
    CLinkLabel* label = Make("https://www.pagewright.example/", "");
    auto* elsewhere = new QLineEdit(&m_window);
    elsewhere->setGeometry(10, 100, 80, 20);
    elsewhere->show();
    Settle();
    EXPECT_EQ(label->TextColor(), CLinkLabel::s_crLink);

    QTest::mousePress(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_TRUE(label->hasFocus());
    EXPECT_EQ(label->TextColor(), CLinkLabel::s_crActive);
    EXPECT_TRUE(m_shell.openedAddresses.isEmpty()) << "opens on the release";
    QTest::mouseRelease(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(m_shell.openedAddresses, QStringList{"https://www.pagewright.example/"});
    EXPECT_TRUE(label->IsFollowed());
    EXPECT_EQ(label->TextColor(), CLinkLabel::s_crActive) << "still active while it has the focus";
    elsewhere->setFocus();
    EXPECT_EQ(label->TextColor(), CLinkLabel::s_crFollowed);

    // A press on the label and a release elsewhere opens nothing.
    QTest::mousePress(label, Qt::LeftButton, {}, {5, 5});
    QTest::mouseRelease(label, Qt::LeftButton, {}, {300, 150});
    EXPECT_EQ(m_shell.openedAddresses.size(), 1);

    // With HLS_HOVER the label is red under the pointer, followed from enter and leave events: the
    // pointer is never grabbed, so a message box opened from the label can be clicked.
    EXPECT_TRUE(label->ChangeLinkStyle(0, HLS_HOVER, true));
    MoveTo(label, {5, 5});
    EXPECT_TRUE(label->IsPointerOver());
    EXPECT_EQ(label->TextColor(), CLinkLabel::s_crHover);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    MoveTo(&m_window, {300, 150});
    EXPECT_FALSE(label->IsPointerOver());
    EXPECT_NE(label->TextColor(), CLinkLabel::s_crHover);
}

TEST_F(LinkLabel, SpaceOpensOncePerPressAndDownClickOpensOnThePress) {
    CLinkLabel* label = Make("https://www.pagewright.example/", "");
    label->setFocus();
    QTest::keyClick(label, Qt::Key_Space);
    EXPECT_EQ(m_shell.openedAddresses.size(), 1);
    for (int i = 0; i < 5; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
        QApplication::sendEvent(label, &repeat);
    }
    EXPECT_EQ(m_shell.openedAddresses.size(), 1) << "holding the key opens nothing more";
    QTest::keyClick(label, Qt::Key_A);
    EXPECT_EQ(m_shell.openedAddresses.size(), 1);

    CLinkLabel* onPress = Make("https://c.example/", "", 0, HLS_DOWNCLICK);
    QTest::mousePress(onPress, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(m_shell.openedAddresses.last(), "https://c.example/");
    QTest::mouseRelease(onPress, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(m_shell.openedAddresses.size(), 2);
}

TEST_F(LinkLabel, AFailedOpenIsReportedAndLeavesTheLinkUnfollowed) {
    CLinkLabel* label = Make("https://www.pagewright.example/", "");
    m_shell.succeed = false;
    m_browser.result = 4;
    QTest::mouseClick(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(m_browser.launched, QStringList{"https://www.pagewright.example/"});
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "Can't open link:\n\nUnknown Error (4) occurred.");
    EXPECT_EQ(m_prompts.beepsBeforeShown, std::vector<size_t>{1});
    EXPECT_FALSE(label->IsFollowed());
}

} // namespace
