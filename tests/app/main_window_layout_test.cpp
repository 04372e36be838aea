#include "app/main_window_layout.h"

#include "controls/drawing/shading.h"
#include "controls/image_button.h"
#include "tests/app/dialog_fixture.h"

namespace {

// The layout as the window shows it.
using MainWindowLayout = DialogTest;

TEST_F(MainWindowLayout, KeyboardFollowsTheLayoutAndEveryControlIsNamed) {
    Add({Pdf("a"), Pdf("b")});
    // Tab from the first control of the layout: the top row, the buttons, the list, the output row.
    Button(IDC_HELP_BUTTON)->setFocus();
    QStringList visited;
    for (int i = 0; i < 11; ++i) {
        visited << QApplication::focusWidget()->accessibleName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, (QStringList{"Help", "About", "Add", "Remove", "Clear", "Convert", "Quit", "Job list",
                                    "Browse", "Open", "Help"}))
        << "Stop and the output box are disabled";

    for (const ControlTemplate& t : kMainWindowControls) {
        QWidget* w = m_dlg->Control(t.id);
        if (!qobject_cast<QPushButton*>(w) && w != List())
            continue;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << t.id;
        EXPECT_FALSE(w->accessibleName().contains('&')) << t.id;
        EXPECT_FALSE(w->accessibleDescription().isEmpty()) << t.id;
    }

    // Alt+A adds at the first press; About keeps its caption but not the letter.
    EXPECT_EQ(Button(IDC_ABOUT_BUTTON)->text(), "&About");
    EXPECT_TRUE(Button(IDC_ABOUT_BUTTON)->shortcut().isEmpty());
    List()->setFocus();
    QTest::keyClick(m_dlg.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(WaitFor([&] { return m_prompts.pdfPickerCalls == 2; }, 2000))
        << "a shortcut clicks after a flash";
    EXPECT_TRUE(Button(IDC_ADD)->hasFocus());
}

TEST_F(MainWindowLayout, CommandButtonsAreImageButtonsSetUpOneByOne) {
    const QPalette palette = Button(IDC_ADD)->palette();
    const ColorRef face = ToColorRef(palette.color(QPalette::Button));
    for (const ButtonImageTemplate& b : kButtonImages) {
        SCOPED_TRACE(b.id);
        CImageButton* button = m_dlg->Button(b.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->SlotColor(BackHot), ShadeColor(face, 30));
        EXPECT_EQ(button->SlotColor(TextHot), Rgb(0, 0, 255));
        EXPECT_EQ(button->SlotColor(TextNormal), Rgb(0, 0, 0));
        EXPECT_EQ(button->SlotColor(BackNormal), face);
        // Every image of the table loads.
        CImageButton probe(m_dlg->LinkOpener(), "probe");
        const QString resource = b.resource ? QString::fromUtf8(b.resource) : QString();
        if (b.kind == ButtonImageKind::Icon) {
            EXPECT_EQ(probe.SetIconImages(resource, b.size, b.size, resource, b.size, b.size),
                      ImageButtonResult::Ok);
        } else if (b.kind == ButtonImageKind::Bitmap) {
            EXPECT_EQ(probe.SetBitmapImages(resource, Rgb(255, 0, 255), resource, Rgb(255, 255, 255)),
                      ImageButtonResult::Ok);
        }
    }
    for (const int id : {IDC_HELP_BUTTON, IDC_WEBSITE, IDC_ABOUT_BUTTON}) {
        EXPECT_EQ(m_dlg->Button(id)->SlotColor(BackHot), face) << id << ": the image button's defaults";
        EXPECT_EQ(m_dlg->Button(id)->SlotColor(TextHot), ToColorRef(palette.color(QPalette::ButtonText)))
            << id;
    }
    EXPECT_EQ(m_dlg->Button(IDC_HELP_BUTTON)->LinkURL(), "https://www.pagewright.example/help.html");
    for (const ControlTemplate& t : kMainWindowControls) {
        if (CImageButton* button = m_dlg->Button(t.id)) {
            EXPECT_FALSE(button->Menu().IsCreated()) << t.id << ": every button's menu stays empty";
        }
    }
}

TEST_F(MainWindowLayout, HoveringOverAddShowsItsCaptionInBlue) {
    CImageButton* add = m_dlg->Button(IDC_ADD);
    const auto bluePixels = [&] {
        const QImage shot = add->grab().toImage();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixelColor(x, y) == QColor(0, 0, 255);
        return count;
    };
    EXPECT_EQ(bluePixels(), 0);
    QWindow* window = m_dlg->windowHandle();
    QTest::mouseMove(window, add->mapTo(m_dlg.get(), add->rect().center()));
    QApplication::processEvents();
    EXPECT_TRUE(add->IsHot());
    EXPECT_GT(bluePixels(), 0);
    EXPECT_EQ(add->toolTip(), "Add video files to convert flv video format.");
    QTest::mouseMove(window, List()->mapTo(m_dlg.get(), List()->rect().center()));
    QApplication::processEvents();
    EXPECT_FALSE(add->IsHot());
    EXPECT_EQ(bluePixels(), 0);
}

} // namespace
