#include "tests/app/dialog_fixture.h"

#include "app/dialog_units.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>

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
        EXPECT_EQ(w->toolTip(), t.toolTip ? QString::fromUtf8(t.toolTip) : QString());
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(t.text));
        }
    }
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
    const std::vector<int> widths = {35, 245, 75, 60, 60};
    ASSERT_EQ(list->columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), headings[c]);
        EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_FALSE(list->header()->sectionsClickable());
    EXPECT_FALSE(list->rootIsDecorated());
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

TEST_F(ConverterDlg, OpenHelpAndLinkGoToTheDesktop) {
    QTest::mouseClick(Button(IDC_OPEN_OUTDIR), Qt::LeftButton);
    EXPECT_EQ(m_shell.openedFolders, QStringList{m_outDir});
    QTest::mouseClick(Button(IDC_HELP_BUTTON), Qt::LeftButton);
    auto* link = qobject_cast<QLabel*>(m_dlg->Control(IDC_HOMEPAGE_LINK));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains("https://www.pagewright.example/"));
    emit link->linkActivated("https://www.pagewright.example/");
    EXPECT_EQ(m_shell.openedAddresses,
              (QStringList{"https://www.pagewright.example/help.html", "https://www.pagewright.example/"}));
}

TEST_F(ConverterDlg, BrowseShowsAndStoresTheChosenFolder) {
    auto* edit = qobject_cast<QLineEdit*>(m_dlg->Control(IDC_OUTDIR_EDIT));
    QTest::mouseClick(Button(IDC_BROWSE), Qt::LeftButton); // cancelled
    EXPECT_EQ(edit->text(), m_outDir);
    m_prompts.folders = {"/chosen/folder"};
    QTest::mouseClick(Button(IDC_BROWSE), Qt::LeftButton);
    EXPECT_EQ(m_prompts.folderTitles, (QStringList{"Select output file path", "Select output file path"}));
    EXPECT_EQ(edit->text(), "/chosen/folder");
    EXPECT_EQ(m_profile.ReadString("Settings", "Out Path", ""), "/chosen/folder");
}

TEST_F(ConverterDlg, ContextMenuOffersAboutPagewright) {
    QStringList items;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->close();
    });
    emit m_dlg->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(items, (QStringList{"-", "&About Pagewright"}));
}

} // namespace
