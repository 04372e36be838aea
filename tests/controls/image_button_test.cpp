#include "controls/image_button.h"

#include "controls/menu/menu_popup.h"
#include "tests/controls/controls_fixture.h"
#include "tests/support/menu_template.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <vector>

namespace {

// Counts the events of one type that reach a widget.
class EventCounter : public QObject {
public:
    EventCounter(QWidget* w, QEvent::Type type) : m_type(type) { w->installEventFilter(this); }
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        count += e->type() == m_type;
        return false;
    }

private:
    QEvent::Type m_type;
};

class ImageButton : public ControlsTest {
protected:
    // A 50x40 button at (10, 10) of the window, with a caption unless told otherwise.
    CImageButton* Make(const QString& caption = "&Go") {
        auto* button = new CImageButton(m_links, caption, &m_window);
        button->setGeometry(10, 10, 50, 40);
        button->show();
        Settle();
        return button;
    }
    static QImage Solid(const QColor& color, int side = 10) {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }
    static QColor PixelAt(QWidget* w, QPoint at) { return w->grab().toImage().pixelColor(at); }
    // The one-pixel frame of a 50x40 button: `topLeft` along the top and left, `bottomRight` along
    // the bottom and right, which hold the top-right and bottom-left corners.
    static void ExpectFrame(QWidget* w, QPalette::ColorRole topLeft, QPalette::ColorRole bottomRight) {
        const QImage face = w->grab().toImage();
        for (const QPoint at : {QPoint(0, 0), QPoint(48, 0), QPoint(0, 38)})
            EXPECT_EQ(face.pixelColor(at).name(), w->palette().color(topLeft).name())
                << at.x() << "," << at.y();
        for (const QPoint at : {QPoint(49, 0), QPoint(49, 39), QPoint(0, 39)})
            EXPECT_EQ(face.pixelColor(at).name(), w->palette().color(bottomRight).name())
                << at.x() << "," << at.y();
    }
};

TEST_F(ImageButton, ColourSlotsStartFromThePaletteAndChangeOnlyWithValidArguments) {
    CImageButton* button = Make();
    const ColorRef face = ToColorRef(button->palette().color(QPalette::Button));
    const ColorRef text = ToColorRef(button->palette().color(QPalette::ButtonText));
    EXPECT_EQ(button->SlotColor(BackHot), face);
    EXPECT_EQ(button->SlotColor(TextFocus), text);

    EXPECT_EQ(button->SetSlotColor(BackNormal, Rgb(236, 233, 216)), ImageButtonResult::Ok);
    EXPECT_EQ(button->ShadeSlotColor(BackNormal, 30), ImageButtonResult::Ok);
    EXPECT_EQ(button->SlotColor(BackNormal), Rgb(255, 252, 235));
    for (const std::int16_t shade : {256, -256}) {
        EXPECT_EQ(button->ShadeSlotColor(BackNormal, shade), ImageButtonResult::BadValue);
        EXPECT_EQ(button->SlotColor(BackNormal), Rgb(255, 252, 235));
    }
    // The bounds themselves are shades: blue allows only -235, then red only +235.
    EXPECT_EQ(button->ShadeSlotColor(BackNormal, -255), ImageButtonResult::Ok);
    EXPECT_EQ(button->SlotColor(BackNormal), Rgb(20, 17, 0));
    EXPECT_EQ(button->ShadeSlotColor(BackNormal, 255), ImageButtonResult::Ok);
    EXPECT_EQ(button->SlotColor(BackNormal), Rgb(255, 252, 235));
    EXPECT_EQ(button->SetSlotColor(6, Rgb(1, 2, 3)), ImageButtonResult::BadSlot);
    EXPECT_EQ(button->ShadeSlotColor(6, 10), ImageButtonResult::BadSlot);

    // A new palette (the system's colours changed) puts every slot back, the owner's colours too.
    button->SetSlotColor(TextHot, Rgb(0, 0, 255));
    const QPalette before = QApplication::palette();
    QPalette changed = before;
    changed.setColor(QPalette::Button, QColor(10, 20, 30));
    changed.setColor(QPalette::ButtonText, QColor(200, 210, 220));
    QApplication::setPalette(changed);
    Settle();
    EXPECT_EQ(button->SlotColor(TextHot), Rgb(200, 210, 220));
    EXPECT_EQ(button->SlotColor(BackNormal), Rgb(10, 20, 30));
    QApplication::setPalette(before);
}

TEST_F(ImageButton, ImagesFromResourcesAndInHand) {
    TempDir dir;
    const QString svg = QString::fromStdString((dir / "red.svg").string());
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 4 4"><rect width="4" height="4" fill="#ff0000"/></svg>)");
    file.close();
    const QString missing = svg + ".missing";

    // A 10x10 image stands at (3, 15), left of the caption and vertically centred: (8, 20) is inside.
    CImageButton* button = Make();

    // A normal image that cannot be loaded leaves the hot image to serve at rest too.
    EXPECT_EQ(button->SetIconImages(svg, 10, 10, missing, 10, 10), ImageButtonResult::Ok);
    EXPECT_EQ(PixelAt(button, {8, 20}), QColor(255, 0, 0));
    // A hot image that cannot be loaded is an error, and leaves no image.
    EXPECT_EQ(button->SetIconImages(missing, 10, 10, svg, 10, 10), ImageButtonResult::BadImage);
    EXPECT_NE(PixelAt(button, {8, 20}), QColor(255, 0, 0));

    // A grey copy for the normal state; the hot image while the pointer is over the button.
    EXPECT_EQ(button->SetIconImages(Solid(QColor(255, 0, 0)), 0, 0, AutoGrey, 0, 0), ImageButtonResult::Ok);
    EXPECT_EQ(PixelAt(button, {8, 20}), QColor(76, 76, 76));
    MoveTo(button, {25, 20});
    ASSERT_TRUE(button->IsHot());
    EXPECT_EQ(PixelAt(button, {8, 20}), QColor(255, 0, 0));
    EXPECT_EQ(button->SetIconImages(Solid(QColor(200, 100, 40)), 0, 0, AutoDarker, 0, 0),
              ImageButtonResult::Ok);
    MoveTo(&m_window, {200, 150});
    EXPECT_EQ(PixelAt(button, {8, 20}), QColor(150, 75, 30));

    // A bitmap shows the button's face where it has its transparent colour.
    QImage bitmap = Solid(QColor(255, 0, 255));
    bitmap.setPixelColor(5, 5, QColor(0, 128, 0));
    EXPECT_EQ(button->SetBitmapImages(bitmap, Rgb(255, 0, 255), NoImage, Rgb(0, 0, 0)),
              ImageButtonResult::Ok);
    EXPECT_EQ(PixelAt(button, {3, 17}), ToQColor(button->SlotColor(BackNormal)));
    EXPECT_EQ(PixelAt(button, {8, 20}), QColor(0, 128, 0));
    EXPECT_EQ(button->SetBitmapImages(bitmap, Rgb(255, 0, 255), missing, 0), ImageButtonResult::Ok);
    EXPECT_EQ(PixelAt(button, {8, 20}), QColor(0, 128, 0));
    EXPECT_EQ(button->SetBitmapImages(missing, Rgb(255, 0, 255), NoImage, 0), ImageButtonResult::BadImage);
    EXPECT_EQ(PixelAt(button, {8, 20}), ToQColor(button->SlotColor(BackNormal)));
}

TEST_F(ImageButton, HotPressedAndDisabledStates) {
    CImageButton* button = Make();
    auto* other = new QLineEdit(&m_window);
    other->setGeometry(100, 10, 80, 20);
    other->show();
    Settle();
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    MoveTo(button, {25, 20});
    EXPECT_TRUE(button->IsHot());
    EXPECT_EQ(button->Look().frame, ButtonFrame::Raised);
    EXPECT_EQ(button->Look().text, TextHot);
    ExpectFrame(button, QPalette::Light, QPalette::Dark);
    QTest::mousePress(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_EQ(button->Look().frame, ButtonFrame::Sunken);
    EXPECT_EQ(button->Look().contentOffset, QPoint(1, 1));
    ExpectFrame(button, QPalette::Dark, QPalette::Light);
    QTest::mouseRelease(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(button->hasFocus()) << "a click takes the focus";

    // Pressed, then dragged off with the left button held: no longer hot, and no click.
    QWindow* window = m_window.windowHandle();
    const QPoint overButton = button->mapTo(&m_window, QPoint(25, 20));
    QTest::mousePress(window, Qt::LeftButton, {}, overButton);
    QTest::mouseMove(window, {200, 150});
    Settle();
    EXPECT_FALSE(button->IsHot());
    EXPECT_EQ(button->Look().frame, ButtonFrame::None);
    QTest::mouseRelease(window, Qt::LeftButton, {}, {200, 150});
    EXPECT_EQ(clicks.count(), 1);

    // Leaving the hot state: the pointer leaves, the focus goes, the button is disabled.
    MoveTo(&m_window, {200, 150});
    EXPECT_FALSE(button->IsHot());
    EXPECT_EQ(button->Look().frame, ButtonFrame::None);
    MoveTo(button, {25, 20});
    other->setFocus();
    EXPECT_FALSE(button->IsHot());
    MoveTo(button, {26, 20});
    ASSERT_TRUE(button->IsHot());
    button->setEnabled(false);
    EXPECT_FALSE(button->IsHot());
    EXPECT_TRUE(button->Look().embossed);
    button->setEnabled(true);

    // A pointer that arrives with the left button held (pressed elsewhere) makes nothing hot.
    MoveTo(&m_window, {200, 150});
    QTest::mousePress(window, Qt::LeftButton, {}, {200, 150});
    QTest::mouseMove(window, overButton);
    Settle();
    EXPECT_FALSE(button->IsHot());
    QTest::mouseRelease(window, Qt::LeftButton, {}, overButton);
    MoveTo(button, {26, 20});
    EXPECT_TRUE(button->IsHot()) << "once the mouse button is up, the pointer makes it hot";
}

TEST_F(ImageButton, DisablingMovesTheFocusOnlyFromTheFocusedButton) {
    CImageButton* first = Make("&First");
    CImageButton* second = Make("&Second");
    second->move(70, 10);
    auto* edit = new QLineEdit(&m_window);
    edit->setGeometry(150, 10, 80, 20);
    edit->show();
    QWidget::setTabOrder(first, second);
    QWidget::setTabOrder(second, edit);

    edit->setFocus();
    first->setEnabled(false);
    EXPECT_TRUE(edit->hasFocus()) << "the focus stays where it was";
    first->setEnabled(true);

    first->setFocus();
    first->setEnabled(false);
    EXPECT_TRUE(second->hasFocus()) << "the next tab stop takes it";
}

// The dotted focus rectangle of a 50x40 button runs 3 pixels inside its edge, from (3, 3) to
// (46, 36): those corners are inverted, and so is every other pixel between them.
void ExpectFocusRect(CImageButton* button, bool shown) {
    SCOPED_TRACE(button->text().toStdString() + (shown ? ": a focus rectangle" : ": none"));
    const QImage drawn = button->grab().toImage();
    const QRgb face = drawn.pixel(2, 2);
    const QRgb dot = shown ? face ^ 0x00FFFFFFu : face;
    EXPECT_EQ(button->Look().focusRect, shown);
    EXPECT_EQ(drawn.pixel(3, 3), dot);
    EXPECT_EQ(drawn.pixel(46, 36), dot);
    EXPECT_EQ(drawn.pixel(5, 3), dot);
    EXPECT_EQ(drawn.pixel(4, 3), face) << "dotted, not solid";
    EXPECT_EQ(drawn.pixel(47, 37), face) << "nothing outside it";
}

TEST_F(ImageButton, TheKeyboardBringsUpTheFocusRectangleAndKeepsItForTheWindow) {
    const struct {
        const char* how;
        std::function<void(QWidget& window, CImageButton* first, CImageButton* second)> moveToSecond;
        bool shown;
    } cases[] = {
        {"Tab", [](QWidget&, CImageButton* first, CImageButton*) { QTest::keyClick(first, Qt::Key_Tab); },
         true},
        {"Shift+Tab",
         [](QWidget&, CImageButton* first, CImageButton*) {
             QTest::keyClick(first, Qt::Key_Tab, Qt::ShiftModifier);
         },
         true},
        {"Right", [](QWidget&, CImageButton* first, CImageButton*) { QTest::keyClick(first, Qt::Key_Right); },
         true},
        {"Alt+S",
         [](QWidget& window, CImageButton*, CImageButton*) {
             QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
         },
         true},
        {"the pointer",
         [](QWidget&, CImageButton*, CImageButton* second) {
             QTest::mouseClick(second, Qt::LeftButton, {}, {25, 20});
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        // A window of its own: once the keyboard has moved the focus in a window, the window keeps
        // its cues.
        QWidget window;
        window.resize(200, 80);
        auto* first = new CImageButton(m_links, "&First", &window);
        first->setGeometry(10, 10, 50, 40);
        auto* second = new CImageButton(m_links, "&Second", &window);
        second->setGeometry(70, 10, 50, 40);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        first->setFocus();
        Settle();
        ExpectFocusRect(first, false);

        c.moveToSecond(window, first, second);
        Settle();
        ASSERT_TRUE(second->hasFocus());
        ExpectFocusRect(second, c.shown);
        ExpectFocusRect(first, false);
        // The pointer moves the focus back: the cues that the keyboard brought up stay.
        QTest::mouseClick(first, Qt::LeftButton, {}, {25, 20});
        ASSERT_TRUE(first->hasFocus());
        ExpectFocusRect(first, c.shown);
        ExpectFocusRect(second, false);
    }
}

TEST_F(ImageButton, ClicksKeysAndCheckMode) {
    CImageButton* button = Make();
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    // Through the window system, as a user double-clicks: press, release, double click, release.
    const EventCounter doubleClicks(button, QEvent::MouseButtonDblClick);
    QTest::mouseDClick(m_window.windowHandle(), Qt::LeftButton, {}, button->mapTo(&m_window, QPoint(25, 20)));
    Settle();
    EXPECT_EQ(doubleClicks.count, 1);
    EXPECT_EQ(clicks.count(), 2) << "a double click counts as two clicks";
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 3) << "Enter clicks the focused button";

    EXPECT_EQ(button->GetCheck(), 0);
    button->SetCheck(1);
    EXPECT_EQ(button->GetCheck(), 0) << "outside check mode nothing changes";
    button->SetCheckMode(true);
    for (const auto& [state, checked] : std::vector<std::pair<int, int>>{{2, 1}, {3, 0}, {1, 1}, {0, 0}}) {
        button->SetCheck(state);
        EXPECT_EQ(button->GetCheck(), checked) << state;
    }
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_EQ(button->GetCheck(), 1);
    EXPECT_EQ(button->Look().frame, ButtonFrame::Sunken) << "a checked button looks pressed";
}

TEST_F(ImageButton, TooltipAndLink) {
    CImageButton* button = Make();
    button->SetTipText("Quit", true);
    button->SetTipText(QString(), true);
    EXPECT_EQ(button->toolTip(), "Quit") << "a null text changes nothing";

    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_TRUE(m_shell.openedAddresses.isEmpty()) << "no address, nothing opened";
    EXPECT_EQ(clicks.count(), 1) << "the owner still hears the click";

    EXPECT_EQ(button->SetLinkURL("https://www.pagewright.example/help.html"), ImageButtonResult::Ok);
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_EQ(m_shell.openedAddresses, QStringList{"https://www.pagewright.example/help.html"});

    // An address that cannot be opened is reported, not ignored.
    m_shell.succeed = false;
    m_browser.result = std::nullopt;
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_TRUE(m_prompts.shown[0].text.startsWith("Can't open link:\n\n"));
    EXPECT_EQ(m_prompts.beeps.size(), 1u);

    // At most 259 bytes are kept, never half a character.
    button->SetLinkURL(QString(300, 'a'));
    EXPECT_EQ(button->LinkURL(), QString(259, 'a'));
    button->SetLinkURL(QString(200, QChar(0x00E9))); // two bytes each
    EXPECT_EQ(button->LinkURL(), QString(129, QChar(0x00E9)));
    button->SetLinkURL(QString());
    EXPECT_EQ(button->LinkURL(), "");
}

// Runs `act` on the menu popup that a click on `button` is about to open, inside the popup's own
// event loop. Whatever `act` does, no popup is left open when it returns: one that is still open
// fails the test and is closed, where the test would otherwise wait for input that never comes.
void OnMenuPopup(CImageButton* button, std::function<void(CMenuPopup&)> act) {
    QTimer::singleShot(0, button, [act = std::move(act)] {
        if (auto* popup = qobject_cast<CMenuPopup*>(QApplication::activePopupWidget()))
            act(*popup);
        else
            ADD_FAILURE() << "no menu popup is open";
        if (QWidget* open = QApplication::activePopupWidget()) {
            ADD_FAILURE() << "the menu popup is still open";
            open->close();
        }
    });
}

TEST_F(ImageButton, AClickOpensTheEmbeddedMenuOnlyOnceItHasOne) {
    CImageButton* button = Make();
    button->SetLinkURL("https://www.pagewright.example/");
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_FALSE(button->Menu().IsCreated());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no menu, no popup";
    EXPECT_EQ(m_shell.openedAddresses.size(), 1);

    ASSERT_EQ(button->Menu().LoadMenuTemplate(MenuTemplateWriter()
                                                  .Popup(MenuEnd, "&File")
                                                  .Item(0, 101, "&Open")
                                                  .Item(0, 102, "&Quit\tAlt+F4")
                                                  .Item(MenuGrayed | MenuEnd, 103, "&Print")
                                                  .Bytes()),
              1);
    COwnerDrawMenu* file = button->Menu().GetSubMenu(0);
    COwnerDrawMenu stranger;
    stranger.CreatePopupMenu();
    stranger.AppendItem("&Quit", 0, 1);
    // Measuring and mnemonics go to the menu when it is one of ours, else to the system.
    MeasureItemRecord ours{file, file->ItemData(1)};
    EXPECT_TRUE(button->MeasureMenuItem(ours));
    EXPECT_GT(ours.itemWidth, 0);
    MeasureItemRecord theirs{&stranger, stranger.ItemData(0)};
    EXPECT_FALSE(button->MeasureMenuItem(theirs));
    EXPECT_EQ(button->MenuChar(u'q', MenuPopup, file), (MenuCharResult{MenuCharAction::Execute, 1}));
    EXPECT_EQ(button->MenuChar(u'q', MenuPopup, &stranger), MenuCharResult{});

    QSignalSpy commands(button, &CImageButton::MenuCommand);
    bool pressedWhileOpen = false;
    QPoint shownAt;
    bool openAfterUnknownLetter = false;
    bool openAfterGreyedItem = false;
    int itemHeight = 0;
    OnMenuPopup(button, [&](CMenuPopup& popup) {
        pressedWhileOpen = button->State().down;
        shownAt = popup.windowHandle()->framePosition();
        itemHeight = popup.ItemRect(1).height();
        QTest::keyClick(&popup, 'z');
        openAfterUnknownLetter = popup.isVisible();
        QTest::keyClick(&popup, 'p');
        openAfterGreyedItem = popup.isVisible();
        QTest::keyClick(&popup, 'q');
    });
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    EXPECT_TRUE(pressedWhileOpen) << "the button looks pressed while its menu is open";
    EXPECT_EQ(shownAt, m_window.mapToGlobal(QPoint(10, 50))) << "at the button's bottom-left corner";
    EXPECT_TRUE(openAfterUnknownLetter);
    EXPECT_TRUE(openAfterGreyedItem) << "a greyed item is not carried out";
    EXPECT_EQ(itemHeight, ours.itemHeight) << "the popup asked the button to measure";
    EXPECT_FALSE(button->State().down);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(commands.isEmpty()) << "delivered after the menu has closed";
    Settle();
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toUInt(), 102u);
    EXPECT_EQ(m_shell.openedAddresses.size(), 1) << "with a menu a click opens no link";

    // Escape closes the menu without a command.
    OnMenuPopup(button, [](CMenuPopup& popup) { QTest::keyClick(&popup, Qt::Key_Escape); });
    QTest::mouseClick(button, Qt::LeftButton, {}, {25, 20});
    Settle();
    EXPECT_EQ(commands.count(), 1);
}

} // namespace
