#include "tests/app/dialog_fixture.h"

#include "app/startup_arguments.h"
#include "controls/drawing/dialog_units.h"
#include "controls/drawing/hls_color.h"
#include "controls/drawing/selected_row.h"
#include "controls/drawing/shading.h"
#include "controls/image_button.h"
#include "controls/link_label.h"
#include "settings/widgets/encoder_settings_dlg.h"
#include "settings/widgets/encoder_settings_template.h"

#include <QComboBox>
#include <QDir>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

// Records, in order, every change of the enabled state of the six command buttons.
class EnabledRecorder : public QObject {
public:
    std::vector<std::pair<Command, bool>> writes;
    void Watch(QWidget* w, Command c) {
        m_commands[w] = c;
        w->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::EnabledChange) {
            auto* w = static_cast<QWidget*>(o);
            writes.emplace_back(m_commands.value(w), w->isEnabled());
        }
        return false;
    }

private:
    QHash<QWidget*, Command> m_commands;
};

using ConverterDlg = DialogTest;

TEST_F(ConverterDlg, StartsInTheEmptyStateWithEveryControlOfTheTemplate) {
    EXPECT_EQ(m_dlg->windowTitle(), "Pagewright 1.10");
    for (const ControlTemplate& t : kMainWindowControls) {
        SCOPED_TRACE(t.id);
        QWidget* w = m_dlg->Control(t.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->isVisible(), t.visible);
        EXPECT_EQ(w->isEnabled(), t.enabled);
        // The link shows its own address as its tooltip.
        const QString tip = t.id == IDC_HOMEPAGE_LINK ? QStringLiteral("https://www.pagewright.example/")
                                                      : QString::fromUtf8(t.toolTip);
        EXPECT_EQ(w->toolTip(), tip);
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(t.text));
        }
    }
    // Add starts with the focus, so Enter adds; elsewhere Quit is the default button.
    EXPECT_TRUE(Button(IDC_ADD)->hasFocus());
    List()->setFocus();
    EXPECT_TRUE(Button(IDOK)->isDefault());
    auto* edit = qobject_cast<QLineEdit*>(m_dlg->Control(IDC_OUTDIR_EDIT));
    EXPECT_EQ(edit->text(), m_outDir);
    EXPECT_FALSE(edit->isEnabled()) << "the user cannot type the output directory";
    EXPECT_EQ(m_dlg->size(), m_dlg->minimumSize());
    EXPECT_EQ(m_dlg->size(), m_dlg->maximumSize());
}

TEST_F(ConverterDlg, JobListHasTheFiveColumnsAndRowSelection) {
    QTreeWidget* list = List();
    const QStringList headings = {"NO.", "Name", "Size", "Target", "Status"};
    ASSERT_EQ(list->columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), headings[c]);
        EXPECT_EQ(list->columnWidth(c), JobColumnWidth(c, list->font()));
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_FALSE(list->header()->sectionsClickable());
    EXPECT_FALSE(list->rootIsDecorated());
}

TEST(JobColumns, ScaleWithTheFontAndShowEveryStatusAndRowNumberWhole) {
    // The widths chosen for the original font, whose base units are 6 pixels wide.
    const std::vector<int> original = {35, 245, 75, 60, 60};
    for (int points = 6; points <= 24; ++points) {
        SCOPED_TRACE(points);
        QFont font;
        font.setPointSize(points);
        const QSizeF base = DialogBaseUnits(font);
        const QFontMetricsF metrics(font);
        for (int c = 0; c < kJobColumnCount; ++c) {
            const int scaled = static_cast<int>(std::lround(original[c] * base.width() / 6));
            if (c == kColumnNumber || c == kColumnStatus)
                EXPECT_GE(JobColumnWidth(c, font), scaled) << c;
            else
                EXPECT_EQ(JobColumnWidth(c, font), scaled) << c;
        }
        for (const QString& status : {kStatusReady, kStatusConverting, kStatusComplete, kStatusFailed})
            EXPECT_LE(metrics.horizontalAdvance(status) + kCellTextInset,
                      JobColumnWidth(kColumnStatus, font));
        for (const char* number : {"10000", "88888", "99999"})
            EXPECT_LE(metrics.horizontalAdvance(number) + kCellTextInset,
                      JobColumnWidth(kColumnNumber, font));
    }
}

TEST_F(ConverterDlg, ButtonStatesChangeInTheirWriteOrder) {
    EnabledRecorder rec;
    for (const auto& [id, command] : std::vector<std::pair<int, Command>>{{IDC_ADD, Command::Add},
                                                                          {IDC_REMOVE, Command::Remove},
                                                                          {IDC_CLEAR, Command::Clear},
                                                                          {IDC_CONVERT, Command::Convert},
                                                                          {IDC_STOP, Command::Stop},
                                                                          {IDOK, Command::Quit}})
        rec.Watch(m_dlg->Control(id), command);

    Add({Pdf("a"), Pdf("b")});
    EXPECT_EQ(rec.writes, (std::vector<std::pair<Command, bool>>{
                              {Command::Convert, true}, {Command::Clear, true}, {Command::Remove, true}}))
        << "Stop was already disabled, so only the changes show";

    rec.writes.clear();
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    EXPECT_EQ(rec.writes, (std::vector<std::pair<Command, bool>>{{Command::Convert, false},
                                                                 {Command::Clear, false},
                                                                 {Command::Remove, false},
                                                                 {Command::Stop, true},
                                                                 {Command::Add, false},
                                                                 {Command::Quit, false}}));
    rec.writes.clear();
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(rec.writes, (std::vector<std::pair<Command, bool>>{{Command::Convert, true},
                                                                 {Command::Clear, true},
                                                                 {Command::Remove, true},
                                                                 {Command::Stop, false},
                                                                 {Command::Add, true},
                                                                 {Command::Quit, true}}));

    rec.writes.clear();
    List()->selectAll();
    QTest::mouseClick(Button(IDC_REMOVE), Qt::LeftButton);
    EXPECT_EQ(rec.writes, (std::vector<std::pair<Command, bool>>{
                              {Command::Convert, false}, {Command::Clear, false}, {Command::Remove, false}}));
    EXPECT_TRUE(Button(IDC_ADD)->isEnabled());

    Add({Pdf("c")});
    rec.writes.clear();
    QTest::mouseClick(Button(IDC_CLEAR), Qt::LeftButton);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(rec.writes, (std::vector<std::pair<Command, bool>>{
                              {Command::Convert, false}, {Command::Clear, false}, {Command::Remove, false}}));
}

TEST_F(ConverterDlg, AddPutsRowsAtTheTopAndNumbersStayConsecutive) {
    Add({Pdf("r3"), Pdf("r4"), Pdf("r5")});
    Add({Pdf("r1"), Pdf("r2")});
    ASSERT_EQ(List()->topLevelItemCount(), 5);
    EXPECT_EQ(Cell(0, kColumnName), Pdf("r1"));
    EXPECT_EQ(Cell(4, kColumnName), Pdf("r5"));
    EXPECT_EQ(Cell(0, kColumnSize),
              QString::number(std::filesystem::file_size(m_dir / "r1.pdf") / 1000) + "kb");
    EXPECT_EQ(Cell(0, kColumnTarget), "txt");
    EXPECT_EQ(Cell(0, kColumnStatus), "Ready");

    List()->clearSelection();
    List()->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(Button(IDC_REMOVE), Qt::LeftButton);
    ASSERT_EQ(List()->topLevelItemCount(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Cell(row, kColumnNumber), QString::number(row + 1));
    EXPECT_EQ(Cell(1, kColumnName), Pdf("r3"));
    EXPECT_TRUE(List()->topLevelItem(1)->isSelected()) << "the row after the removed one";
}

TEST_F(ConverterDlg, QuitAsksAndOnlyYesCloses) {
    m_prompts.answers = {PromptAnswer::No};
    QTest::mouseClick(Button(IDOK), Qt::LeftButton);
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0].text, "Do you want to quit?");
    EXPECT_EQ(m_prompts.asked[0].caption, "Warning");
    EXPECT_EQ(m_prompts.asked[0].icon, PromptIcon::Question);
    EXPECT_TRUE(m_dlg->isVisible());

    m_prompts.answers = {PromptAnswer::Yes};
    QTest::mouseClick(Button(IDOK), Qt::LeftButton);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
}

TEST_F(ConverterDlg, CloseBoxAsksAndEscapeClosesAtOnce) {
    m_prompts.answers = {PromptAnswer::No};
    m_dlg->close();
    EXPECT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_TRUE(m_dlg->isVisible());
    m_prompts.answers = {PromptAnswer::Other}; // a box closed without an answer is no No
    m_dlg->close();
    EXPECT_FALSE(m_dlg->isVisible());

    m_dlg->show();
    m_prompts.asked.clear();
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_TRUE(m_prompts.asked.empty());
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
}

TEST_F(ConverterDlg, EnterInTheJobListAsksTheQuitQuestion) {
    m_prompts.answers = {PromptAnswer::No};
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Return);
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0].text, "Do you want to quit?");
    EXPECT_TRUE(m_dlg->isVisible());
}

TEST_F(ConverterDlg, KeyboardFollowsTheLayoutAndEveryControlIsNamed) {
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

    // Delete removes the selected rows while Remove is enabled.
    List()->clearSelection();
    List()->topLevelItem(0)->setSelected(true);
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Delete);
    ASSERT_EQ(List()->topLevelItemCount(), 1);
    EXPECT_EQ(Cell(0, kColumnName), Pdf("b"));
}

TEST_F(ConverterDlg, DroppedPdfFilesAreAddedAndOtherFilesNamed) {
    const QString notes = Q(m_dir / "notes.txt");
    WriteBytes(m_dir / "notes.txt", "plain");
    Add({Pdf("old")});
    QWidget* viewport = List()->viewport();
    const QPoint at = viewport->rect().center();
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &dropped);
        QApplication::processEvents(); // the Add runs once the drop has ended
        return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    };
    EXPECT_FALSE(drop({QUrl("https://example.org/a.pdf")})) << "nothing on this computer";
    EXPECT_TRUE(
        drop({QUrl::fromLocalFile(Pdf("one")), QUrl::fromLocalFile(notes), QUrl::fromLocalFile(Pdf("two"))}));
    EXPECT_EQ(Cell(0, kColumnName), Pdf("one"));
    EXPECT_EQ(Cell(1, kColumnName), Pdf("two"));
    EXPECT_EQ(Cell(2, kColumnName), Pdf("old"));
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text,
              "Only PDF files can be added to the list. Left out:\n\n" + notes + " (not a PDF file)");

    // No drop is taken during a run.
    bool refused = false;
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.row() == 0 && from.column() == kColumnStatus && from.data().toString() == "Converting")
            refused = !drop({QUrl::fromLocalFile(Pdf("late"))});
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_TRUE(refused);
    EXPECT_EQ(List()->topLevelItemCount(), 3);
}

TEST(StartupArguments, FilesOptionsAndErrors) {
    using A = StartupArguments::Action;
    struct Case {
        QStringList args;
        A action;
        QStringList files;
    };
#ifdef Q_OS_WIN
    const QString root = "C:";
#else
    const QString root;
#endif
    const QString cwd = root + "/home/me/docs";
    const std::vector<Case> cases = {
        {{"a.pdf", root + "/tmp/../b.pdf", QUrl::fromLocalFile(root + "/x/My File.pdf").toString()},
         A::Run,
         {cwd + "/a.pdf", root + "/b.pdf", root + "/x/My File.pdf"}},
        {{"--", "-x.pdf", "--help"}, A::Run, {cwd + "/-x.pdf", cwd + "/--help"}},
        {{"a.pdf", "--version"}, A::Version, {}},
        {{"--frobnicate", "a.pdf"}, A::Error, {}},
    };
    for (const Case& c : cases) {
        const StartupArguments parsed = ParseStartupArguments(c.args, cwd);
        EXPECT_EQ(parsed.action, c.action) << c.args.join(' ').toStdString();
        QStringList files;
        for (const QString& file : c.files)
            files << QDir::toNativeSeparators(file);
        EXPECT_EQ(parsed.files, files) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(ParseStartupArguments({"--frobnicate"}, cwd).error, "unknown option '--frobnicate'");
}

TEST_F(ConverterDlg, OpenHelpAndLinkGoToTheDesktopOnceEach) {
    // No image button has a menu: a click opens none (one that did would be closed here, and seen).
    QWidget* popup = nullptr;
    const auto watchForPopup = [&] {
        QTimer::singleShot(0, [&] {
            if ((popup = QApplication::activePopupWidget()))
                popup->close();
        });
    };
    watchForPopup();
    QTest::mouseClick(Button(IDC_OPEN_OUTDIR), Qt::LeftButton);
    EXPECT_EQ(m_shell.openedFolders, QStringList{m_outDir});
    watchForPopup();
    QTest::mouseClick(Button(IDC_HELP_BUTTON), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(popup, nullptr);
    CLinkLabel* link = m_dlg->HomePageLink();
    ASSERT_EQ(link, m_dlg->Control(IDC_HOMEPAGE_LINK));
    EXPECT_EQ(link->text(), "https://www.pagewright.example/");
    EXPECT_FALSE(link->font().underline());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(m_shell.openedAddresses,
              (QStringList{"https://www.pagewright.example/help.html", "https://www.pagewright.example/"}));
    EXPECT_EQ(m_dlg->Button(IDC_WEBSITE)->LinkURL(), "https://www.pagewright.example/");
    EXPECT_TRUE(m_browser.launched.isEmpty());
}

TEST_F(ConverterDlg, BrowseShowsAndStoresTheChosenFolder) {
    auto* edit = qobject_cast<QLineEdit*>(m_dlg->Control(IDC_OUTDIR_EDIT));
    QTest::mouseClick(Button(IDC_BROWSE), Qt::LeftButton); // cancelled
    EXPECT_EQ(edit->text(), m_outDir);
    m_prompts.folders = {"/chosen/folder"};
    QTest::mouseClick(Button(IDC_BROWSE), Qt::LeftButton);
    EXPECT_EQ(m_prompts.folderTitles, (QStringList{"Select output file path", "Select output file path"}));
    EXPECT_EQ(m_prompts.folderStarts, (QStringList{m_outDir, m_outDir}))
        << "the picker opens at the box's folder";
    EXPECT_EQ(edit->text(), "/chosen/folder");
    EXPECT_EQ(m_profile.ReadString("Settings", "Out Path", ""), "/chosen/folder");
}

TEST_F(ConverterDlg, ContextMenuOffersAboutPagewrightOnTheBackgroundOnly) {
    QStringList items;
    const auto closeMenu = [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                items << (action->isSeparator() ? QStringLiteral("-") : action->text());
            menu->close();
        }
    };
    QTimer::singleShot(0, closeMenu);
    emit m_dlg->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(items, (QStringList{"-", "&About Pagewright"}));

    // A right click where each control stands: only the frames and plain labels are background.
    const std::vector<std::pair<int, bool>> places = {
        {IDC_FILE_LIST, false},          {IDC_ADD, false},         {IDC_OUTDIR_EDIT, false},
        {IDC_HOMEPAGE_LINK, false},      {IDC_HELP_BUTTON, false}, {IDC_STATIC_OUTDIR_LABEL, true},
        {IDC_STATIC_BUTTON_FRAME, true},
    };
    for (const auto& [id, menuWanted] : places) {
        SCOPED_TRACE(id);
        items.clear();
        QWidget* control = m_dlg->Control(id);
        QWidget* target = control->childAt(2, 2) ? control->childAt(2, 2) : control;
        const QPoint at = target->mapFrom(control, QPoint(2, 2));
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QTimer::singleShot(0, closeMenu);
        QApplication::sendEvent(target, &event);
        QApplication::processEvents();
        EXPECT_EQ(items.isEmpty(), !menuWanted) << items.join(",").toStdString();
    }
}

TEST_F(ConverterDlg, CommandButtonsAreImageButtonsSetUpOneByOne) {
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

TEST_F(ConverterDlg, TheHiddenSettingsButtonOpensTheEncoderSettingsModally) {
    QPushButton* settings = Button(IDC_SETTINGS);
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CEncoderSettingsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        title = dlg->windowTitle();
        QTest::mouseClick(qobject_cast<QPushButton*>(dlg->Control(IDOK_SETTINGS)), Qt::LeftButton);
    });
    // The click notification is the only way in: the user never sees the button.
    settings->click();
    EXPECT_EQ(title, "Settings");
    EXPECT_EQ(m_profile.values.value(FakeProfileStore::Key("Settings", "Encoder")), "-1");
    EXPECT_FALSE(settings->isVisible());
    EXPECT_TRUE(m_dlg->isVisible());
}

TEST_F(ConverterDlg, EncoderSettingsThatCannotBeSavedAreSaidSoOnceAndKeptForThisRun) {
    // Opens the settings with the hidden button, shows the resolution list's entry, then does `act`.
    const auto openSettings = [&](const std::function<void(CEncoderSettingsDlg&)>& act) {
        QString resolution;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CEncoderSettingsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            resolution = dlg->List(IDC_RESOLUTION_COMBO)->currentText();
            act(*dlg);
        });
        Button(IDC_SETTINGS)->click();
        return resolution;
    };
    const auto chooseAndOk = [](CEncoderSettingsDlg& dlg) {
        dlg.List(IDC_RESOLUTION_COMBO)->setCurrentIndex(3);
        QTest::mouseClick(qobject_cast<QPushButton*>(dlg.Control(IDOK_SETTINGS)), Qt::LeftButton);
    };
    const auto cancel = [](CEncoderSettingsDlg& dlg) { dlg.reject(); };

    m_profile.failure = "the file is read-only";
    EXPECT_EQ(openSettings(chooseAndOk), "320x240");
    EXPECT_EQ(m_profile.writes, 1) << "the first failure ends the store";
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "The encoder settings could not be saved in the settings file "
                                       "/fake/pagewright.ini: the file is read-only.\n\n"
                                       "Pagewright keeps them until it closes.");
    EXPECT_EQ(openSettings(cancel), "480x320") << "kept for this run";

    m_profile.failure.reset();
    EXPECT_EQ(openSettings(chooseAndOk), "480x320");
    EXPECT_EQ(m_profile.values.value(FakeProfileStore::Key("Settings", "Resolution")), "3");
    EXPECT_EQ(m_prompts.shown.size(), 1u) << "a store that succeeds says nothing";
    m_profile.values.insert(FakeProfileStore::Key("Settings", "Resolution"), "5");
    EXPECT_EQ(openSettings(cancel), "512x384") << "once saved, the file holds again";
}

TEST_F(ConverterDlg, HoveringOverAddShowsItsCaptionInBlue) {
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

TEST_F(ConverterDlg, SelectedRowsAreFramedAndTintedWithReadableText) {
    Add({Pdf("first"), Pdf("second")});
    List()->clearSelection();
    List()->topLevelItem(0)->setSelected(true);
    m_dlg->Control(IDC_ADD)->setFocus();
    QApplication::processEvents();
    const QImage shot = List()->viewport()->grab().toImage();
    const QAbstractItemModel* model = List()->model();
    const QRect name = List()->visualRect(model->index(0, kColumnName));
    const QRect target = List()->visualRect(model->index(0, kColumnTarget));
    const QRect row = List()->visualRect(model->index(0, 0)).united(List()->visualRect(model->index(0, 4)));
    const int middle = row.center().y();

    const QColor highlight = List()->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor border = shot.pixelColor(row.left() + 2, middle);
    EXPECT_EQ(border, highlight);
    EXPECT_EQ(shot.pixelColor(row.left() + 2, row.top()), highlight);
    EXPECT_EQ(shot.pixelColor(row.right(), middle), highlight);
    EXPECT_NE(shot.pixelColor(row.left() + 1, middle), highlight) << "the two leftmost pixels stay clear";
    const QColor fill = shot.pixelColor(target.right() - 2, middle); // right of "txt"
    EXPECT_EQ(fill, SelectedRowFill(border));
    EXPECT_EQ(fill, ToQColor(AdjustHlsColor(ToColorRef(highlight), 75, 0)));

    // The text starts 6 pixels into its cell, in the same place on a row that is not selected, and
    // is dark on the light tint.
    const auto firstInk = [&](int rowIndex, const QColor& background) {
        const QRect cell = List()->visualRect(model->index(rowIndex, kColumnName));
        for (int x = cell.left(); x < cell.right(); ++x)
            for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
                if (qGray(shot.pixel(x, y)) < qGray(background.rgb()) - 60)
                    return x - cell.left();
        return -1;
    };
    const int selectedInset = firstInk(0, fill);
    EXPECT_GE(selectedInset, kCellTextInset);
    EXPECT_LE(selectedInset, kCellTextInset + 2);
    EXPECT_EQ(firstInk(1, List()->palette().color(QPalette::Base)), selectedInset);
    int darkest = 255;
    for (int x = name.left(); x < name.right(); ++x)
        darkest = std::min(darkest, qGray(shot.pixel(x, middle)));
    EXPECT_LT(darkest, 80) << "the list's text colour, not the pale selected-text colour";
}

TEST(JobListDelegate, AFailedRowsStatusShowsItsMarkSelectedOrNot) {
    QTreeWidget list;
    list.setColumnCount(kJobColumnCount);
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{"", "/a/b.pdf", "1kb", "txt", "Failed"}));
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{"", "/a/c.pdf", "1kb", "txt", "Complete"}));
    CJobListDelegate delegate;
    const QColor failed =
        FailedTextColor(list.palette().color(QPalette::Active, QPalette::Base),
                        SelectedRowFill(list.palette().color(QPalette::Active, QPalette::Highlight)));
    for (const QStyle::State state : {QStyle::State_Selected, QStyle::State_None}) {
        for (int row = 0; row < 2; ++row) {
            SCOPED_TRACE(std::to_string(row) + (state == QStyle::State_Selected ? " selected" : ""));
            QImage image(120, 24, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.initFrom(&list);
            option.widget = &list;
            option.rect = QRect(0, 0, 120, 24);
            option.state = state | QStyle::State_Enabled;
            delegate.paint(&painter, option, list.model()->index(row, kColumnStatus));
            painter.end();
            // The mark's middle, left of the text.
            const QRect mark = FailedMarkRect(SelectedCellTextRect(option.rect), option.fontMetrics.height());
            const QColor atMark = image.pixelColor(mark.center().x() - mark.width() / 4, mark.center().y());
            EXPECT_EQ(atMark == failed, row == 0) << atMark.name().toStdString();
        }
    }
}

TEST(JobListDelegate, LeavesTheViewsPainterAsItWasGiven) {
    QTreeWidget list;
    list.setColumnCount(kJobColumnCount);
    auto* item = new QTreeWidgetItem(QStringList{"", "/a/b.pdf", "1kb", "txt", "Ready"});
    list.addTopLevelItem(item);
    CJobListDelegate delegate;
    QImage image(300, 40, QImage::Format_ARGB32);
    QPainter painter(&image);
    QFont big = list.font();
    big.setPointSize(30);
    painter.setFont(big);
    painter.setPen(QColor(1, 2, 3));
    painter.setBrush(QColor(4, 5, 6));
    painter.setClipRect(0, 0, 250, 40);
    for (const QStyle::State state : {QStyle::State_Selected, QStyle::State_None}) {
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.widget = &list;
        option.rect = QRect(10, 5, 120, 20);
        option.state = state | QStyle::State_Enabled;
        delegate.paint(&painter, option, list.model()->index(0, kColumnName));
        EXPECT_TRUE(painter.isActive());
        EXPECT_EQ(painter.pen().color(), QColor(1, 2, 3));
        EXPECT_EQ(painter.brush().color(), QColor(4, 5, 6));
        EXPECT_EQ(painter.font().pointSize(), 30);
        EXPECT_EQ(painter.clipBoundingRect(), QRectF(0, 0, 250, 40));
    }
}

} // namespace
