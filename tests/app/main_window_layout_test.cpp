#include "app/main_window_layout.h"

#include "controls/drawing/dialog_units.h"
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
    EXPECT_EQ(m_dlg->Button(IDC_HELP_BUTTON)->LinkURL(), "")
        << "Help is the window's: it opens no address itself";
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

TEST_F(MainWindowLayout, StartsAsTheTemplateAndGrowsWithTheListAndTheOutputRow) {
    const QSizeF base = DialogBaseUnits(m_dlg->font());
    const QSize start =
        DialogUnitsToPixels(QRect(0, 0, kMainWindowWidthUnits, kMainWindowHeightUnits), base).size();
    EXPECT_EQ(m_dlg->size(), start);
    EXPECT_EQ(m_dlg->minimumSize(), start);
    EXPECT_GT(m_dlg->maximumSize().width(), start.width());
    const int halfLine = QFontMetrics(m_dlg->font()).height() / 2;
    QHash<int, QRect> first;
    for (const ControlTemplate& t : kMainWindowControls) {
        QRect expected = DialogUnitsToPixels(t.units, base);
        // A group box's line runs half a text line below its top.
        expected.setTop(expected.top() + (t.kind == ControlKind::Frame ? halfLine : 0));
        QWidget* w = m_dlg->Control(t.id);
        if (t.id == IDC_HOMEPAGE_LINK) {
            // Wide enough for the whole address, whatever the font makes of it.
            EXPECT_EQ(w->geometry().topLeft(), expected.topLeft());
            EXPECT_GE(w->width(), std::max(expected.width(), w->sizeHint().width()));
            expected = w->geometry();
        }
        EXPECT_EQ(w->geometry(), expected) << t.id;
        first.insert(t.id, expected);
    }
    EXPECT_FALSE(first[IDC_STATIC_BUTTON_FRAME].intersects(first[IDC_HELP_BUTTON]));
    EXPECT_FALSE(first[IDC_STATIC_BUTTON_FRAME].intersects(first[IDC_ABOUT_BUTTON]));

    const int nameWidth = List()->columnWidth(kColumnName);
    m_dlg->resize(start + QSize(200, 100));
    QApplication::processEvents();
    // How each control follows the window: moved right, moved down, wider, taller.
    const struct {
        int id;
        int dx, dy, dw, dh;
    } follows[] = {
        {IDC_FILE_LIST, 0, 0, 200, 100},
        {IDC_STATIC_BUTTON_FRAME, 0, 0, 200, 0},
        {IDC_STATIC_OUTDIR_FRAME, 0, 100, 200, 0},
        {IDC_OUTDIR_EDIT, 0, 100, 200, 0},
        {IDC_STATIC_OUTDIR_LABEL, 0, 100, 0, 0},
        {IDC_BROWSE, 200, 100, 0, 0},
        {IDC_OPEN_OUTDIR, 200, 100, 0, 0},
        {IDOK, 0, 0, 0, 0},
        {IDC_ADD, 0, 0, 0, 0},
        {IDC_HELP_BUTTON, 0, 0, 0, 0},
    };
    for (const auto& f : follows) {
        const QRect was = first[f.id];
        EXPECT_EQ(m_dlg->Control(f.id)->geometry(),
                  QRect(was.x() + f.dx, was.y() + f.dy, was.width() + f.dw, was.height() + f.dh))
            << f.id;
    }
    EXPECT_EQ(List()->columnWidth(kColumnName), nameWidth + 200) << "the room goes to the names";

    m_dlg->resize(start);
    QApplication::processEvents();
    for (const ControlTemplate& t : kMainWindowControls)
        EXPECT_EQ(m_dlg->Control(t.id)->geometry(), first[t.id]) << t.id;
    EXPECT_EQ(List()->columnWidth(kColumnName), nameWidth);
}

} // namespace
