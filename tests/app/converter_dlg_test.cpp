#include "tests/app/dialog_fixture.h"

#include "app/product_info.h"
#include "controls/image_button.h"
#include "controls/link_label.h"
#include "settings/widgets/encoder_settings_dlg.h"
#include "settings/widgets/encoder_settings_template.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <optional>
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
        const QString tip = t.id == IDC_HOMEPAGE_LINK ? kHomePageAddress : QString::fromUtf8(t.toolTip);
        EXPECT_EQ(w->toolTip(), tip);
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(t.text));
        }
    }
    auto* edit = qobject_cast<QLineEdit*>(m_dlg->Control(IDC_OUTDIR_EDIT));
    EXPECT_EQ(edit->text(), m_outDir);
    EXPECT_FALSE(edit->isEnabled()) << "the user cannot type the output directory";
    // Quit starts with the focus and is the default button: Enter at start asks whether to quit.
    EXPECT_TRUE(Button(IDOK)->isDefault());
    EXPECT_TRUE(Button(IDOK)->hasFocus());
    m_prompts.answers = {PromptAnswer::No};
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0].text, "Do you want to quit?");
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

TEST_F(ConverterDlg, DeleteInTheJobListRemovesTheSelectedRows) {
    Add({Pdf("a"), Pdf("b")});
    // While Remove is enabled.
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
    EXPECT_EQ(link->text(), kHomePageAddress);
    EXPECT_FALSE(link->font().underline());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(m_shell.openedAddresses,
              (QStringList{QUrl::fromLocalFile(m_guide).toString(QUrl::FullyEncoded), kHomePageAddress}));
    EXPECT_EQ(m_dlg->Button(IDC_WEBSITE)->LinkURL(), kHomePageAddress);
    EXPECT_TRUE(m_browser.launched.isEmpty());
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(ConverterDlg, HelpSaysWhyTheUserGuideDidNotOpen) {
    const QString canNotOpen =
        "Can't open link:\n\nThere is no application associated\nwith the given filename extension.";
    const QString missing = QStringLiteral("The user guide could not be found. It belongs here:\n%1\n\n"
                                           "Installing Pagewright again puts it back.")
                                .arg(QDir::toNativeSeparators(m_guide));
    struct Case {
        const char* what;
        bool guideThere;
        std::optional<int> browser; // after the shell refused
        QStringList opened;         // by the shell
        QString message;
    };
    const QString guideAddress = QUrl::fromLocalFile(m_guide).toString(QUrl::FullyEncoded);
    const std::vector<Case> cases = {
        {"no program opens it", true, kNoAssociation, {guideAddress}, canNotOpen},
        {"the guide is missing", false, 33, {}, missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_shell = {};
        m_shell.succeed = false;
        m_browser.launched.clear();
        m_browser.result = c.browser;
        m_prompts.shown.clear();
        m_prompts.beeps.clear();
        m_prompts.beepsBeforeShown.clear();
        if (!c.guideThere)
            std::filesystem::remove(m_dir / "user guide.html");
        QTest::mouseClick(Button(IDC_HELP_BUTTON), Qt::LeftButton);
        EXPECT_EQ(m_shell.openedAddresses, c.opened);
        EXPECT_EQ(m_browser.launched, c.opened);
        ASSERT_EQ(m_prompts.shown.size(), 1u);
        EXPECT_EQ(m_prompts.shown[0].text, c.message);
        EXPECT_EQ(m_prompts.shown[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(m_prompts.beepsBeforeShown, std::vector<size_t>{1});
    }
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

} // namespace
