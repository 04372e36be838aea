#include "batch/job_batch.h"
#include "batch/job_paths.h"

#include "tests/fakes/fake_job_window.h"
#include "tests/fakes/fake_platform.h"
#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <deque>

namespace {

class JobBatch : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(m_dir / "out");
        m_window.outputDirectory = Q(m_dir / "out");
    }
    static QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
    // A real PDF with one line of text; returns its path.
    QString Pdf(const std::string& name, std::size_t padding = 0) {
        const auto path = m_dir / (name + ".pdf");
        std::string pdf = pagewright::pdfgen::MakePdf({"BT (" + name + ") Tj ET Q"});
        pdf += std::string(padding, '%');
        WriteBytes(path, pdf);
        return Q(path);
    }
    void Add(const QStringList& selection) {
        m_prompts.pdfSelections.push_back(selection);
        m_batch.OnAdd();
    }
    // Runs the event loop until the worker has ended.
    bool RunToEnd() {
        if (!m_batch.IsRunning())
            return false;
        QEventLoop loop;
        QObject::connect(&m_batch, &CJobBatch::RunFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        return !m_batch.IsRunning();
    }

    TempDir m_dir;
    FakeJobWindow m_window;
    FakePrompts m_prompts;
    CJobBatch m_batch{m_window, m_prompts};
};

TEST_F(JobBatch, AddInsertsTheSelectionAtTheTopInOrder) {
    const QStringList old = {Pdf("old1"), Pdf("old2")};
    const QStringList added = {Pdf("a", 1000), Pdf("b"), Pdf("c")};
    Add(old);
    Add(added);
    EXPECT_EQ(m_window.Paths(), added + old);
    const auto& row = m_window.rows[0];
    EXPECT_EQ(row[kColumnTarget], "txt");
    EXPECT_EQ(row[kColumnStatus], "Ready");
    EXPECT_EQ(row[kColumnSize], QString::number((std::filesystem::file_size(m_dir / "a.pdf")) / 1000) + "kb");
    EXPECT_TRUE(m_prompts.asked.empty());
    std::vector<CommandWrite> twoAdds = kToReady;
    twoAdds.insert(twoAdds.end(), kToReady.begin(), kToReady.end());
    EXPECT_EQ(m_window.commandWrites, twoAdds);
}

TEST_F(JobBatch, AddLeavesOutEachFileAlreadyInTheListAndNamesThemInOneMessage) {
    struct Case {
        const char* name;
        QStringList before;
        QStringList selection;
        QStringList rows;
        QStringList leftOut;
        bool toReady; // else the buttons are not touched
    };
    const std::vector<Case> cases = {
        {"in the list between new files",
         {Pdf("x")},
         {Pdf("new1"), Pdf("x"), Pdf("new2")},
         {Pdf("new1"), Pdf("new2"), Pdf("x")},
         {Pdf("x")},
         true},
        {"in the list first", {Pdf("x")}, {Pdf("x"), Pdf("new1")}, {Pdf("new1"), Pdf("x")}, {Pdf("x")}, true},
        {"the same new file twice",
         {},
         {Pdf("y"), Pdf("y"), Pdf("z")},
         {Pdf("y"), Pdf("z")},
         {Pdf("y")},
         true},
        {"every file in the list",
         {Pdf("x"), Pdf("y")},
         {Pdf("y"), Pdf("x")},
         {Pdf("x"), Pdf("y")},
         {Pdf("y"), Pdf("x")},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_batch.OnClear();
        if (!c.before.isEmpty())
            Add(c.before);
        m_window.commandWrites.clear();
        m_prompts.shown.clear();
        Add(c.selection);
        EXPECT_EQ(m_window.Paths(), c.rows);
        EXPECT_TRUE(m_prompts.asked.empty());
        EXPECT_EQ(m_window.commandWrites, c.toReady ? kToReady : std::vector<CommandWrite>{});
        QString message = "A file can be in the list only once. Left out:\n";
        for (const QString& path : c.leftOut)
            message += "\n" + path + " (already in the list)";
        ASSERT_EQ(m_prompts.shown.size(), 1u);
        EXPECT_EQ(m_prompts.shown[0].text, message);
    }
}

TEST_F(JobBatch, FilesFromTheDesktopAreAddedByTheRulesOfAddAndTheRestNamedOnce) {
    const QString pdf = Pdf("a");
    const QString noExtension = Q(m_dir / "scan-0001");
    WriteBytes(m_dir / "scan-0001", pagewright::pdfgen::MakePdf({"BT (s) Tj ET Q"}));
    const QString upper = Q(m_dir / "UPPER.PDF");
    WriteBytes(m_dir / "UPPER.PDF", "not even a PDF, but named as one");
    const QString notes = Q(m_dir / "notes.txt");
    WriteBytes(m_dir / "notes.txt", "plain text");
    std::filesystem::create_directory(m_dir / "folder.pdf");
    const QString missing = Q(m_dir / "missing.pdf");
    QStringList paths = {pdf, notes, noExtension, Q(m_dir / "folder.pdf"), missing, pdf, upper};
    QString expected = "Only PDF files can be added to the list, each once. Left out:\n\n" + notes +
                       " (not a PDF file)\n" + Q(m_dir / "folder.pdf") + " (a folder)\n" + missing +
                       " (not found)";
#ifndef _WIN32
    paths << "/dev/null";
    expected += "\n/dev/null (a device)";
#endif
    expected += "\n" + pdf + " (already in the list)";
    m_batch.AddFromDesktop(paths);
    EXPECT_EQ(m_window.Paths(), (QStringList{pdf, noExtension, upper})) << "the file after the duplicate too";
    EXPECT_EQ(m_window.commandWrites, kToReady);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, expected);
    EXPECT_EQ(m_prompts.shown[0].icon, PromptIcon::Exclamation);

    // Long lists are cut in the message.
    QList<LeftOutPath> many;
    for (int i = 0; i < 12; ++i)
        many.append({"/f" + QString::number(i), "not found"});
    EXPECT_TRUE(LeftOutMessage(many).endsWith("/f9 (not found)\n... and 2 more"));
}

TEST_F(JobBatch, DuplicateCheckComparesWholePathsAsTheFileSystemDoes) {
    const QString longName = Q(m_dir.Path()) + "/" + QString(1100, 'n') + "a";
    const QString sameStart = Q(m_dir.Path()) + "/" + QString(1100, 'n') + "b";
    m_window.AddRow(longName);
    EXPECT_TRUE(m_batch.IsFileInList(longName));
    EXPECT_FALSE(m_batch.IsFileInList(sameStart)) << "paths that differ after 1023 characters are different";
#ifdef Q_OS_WIN
    EXPECT_TRUE(m_batch.IsFileInList(longName.toUpper()));
#else
    EXPECT_FALSE(m_batch.IsFileInList(longName.toUpper()));
#endif
    EXPECT_FALSE(FakeJobWindow().RowCount());
}

TEST_F(JobBatch, AFileWhoseTextFileIsTakenIsAddedOnlyAfterAYes) {
    // Taken: the text file exists, or a row or an earlier file of the same Add has it. "old*" have
    // their text files already; a/same.pdf and b/same.pdf share theirs.
    std::filesystem::create_directories(m_dir / "a");
    std::filesystem::create_directories(m_dir / "b");
    const QString sameA = Pdf("a/same");
    const QString sameB = Pdf("b/same");
    for (const char* name : {"old1", "old2", "old3"})
        WriteBytes(m_dir / "out" / (std::string(name) + ".txt"), "old");
    struct Case {
        const char* name;
        QStringList before;
        QStringList selection;
        std::deque<PromptAnswer> answers;
        QStringList added;
        std::vector<bool> toAllOffered; // one per question asked
    };
    const std::vector<Case> cases = {
        {"Yes, No and a closed box",
         {},
         {Pdf("old1"), Pdf("old2"), Pdf("old3"), Pdf("fresh")},
         {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Other},
         {Pdf("old1"), Pdf("fresh")},
         {true, true, false}},
        {"the text file of a row", {sameA}, {sameB}, {PromptAnswer::No}, {}, {false}},
        {"the text file of an earlier file",
         {},
         {sameA, Pdf("fresh"), sameB},
         {PromptAnswer::Yes},
         {sameA, Pdf("fresh"), sameB},
         {false}},
        {"Yes to All",
         {},
         {Pdf("old1"), Pdf("fresh"), Pdf("old2"), Pdf("old3")},
         {PromptAnswer::YesToAll},
         {Pdf("old1"), Pdf("fresh"), Pdf("old2"), Pdf("old3")},
         {true}},
        {"No to All, or Escape",
         {},
         {Pdf("old1"), Pdf("old2"), Pdf("fresh"), Pdf("old3")},
         {PromptAnswer::NoToAll},
         {Pdf("fresh")},
         {true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_batch.OnClear();
        if (!c.before.isEmpty())
            Add(c.before);
        m_prompts.asked.clear();
        m_prompts.answers = c.answers;
        Add(c.selection);
        EXPECT_EQ(m_window.Paths(), c.added + c.before);
        std::vector<bool> offered;
        for (const AskedQuestion& q : m_prompts.asked)
            offered.push_back(q.toAllOffered);
        EXPECT_EQ(offered, c.toAllOffered);
    }
    const QString target = Q(m_dir / "out" / "old1.txt");
    EXPECT_EQ(m_prompts.asked[0].text, "Are you want to overtwrite  " + target + "!");
    EXPECT_EQ(m_prompts.asked[0].caption, "Warning");
    EXPECT_EQ(m_prompts.asked[0].icon, PromptIcon::Exclamation);
}

TEST_F(JobBatch, ConvertAsksAgainForATextFileInAnotherFolderThatExists) {
    // Added while the folder was out/, converted into elsewhere/, where one.txt exists.
    Add({Pdf("one"), Pdf("two")});
    std::filesystem::create_directory(m_dir / "elsewhere");
    WriteBytes(m_dir / "elsewhere" / "one.txt", "mine");
    m_window.outputDirectory = Q(m_dir / "elsewhere");
    // Declined: the row keeps "Ready", its text file stays; the other row is converted.
    m_prompts.answers = {PromptAnswer::No};
    m_batch.OnConvert();
    ASSERT_TRUE(RunToEnd());
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0].text,
              "Are you want to overtwrite  " + Q(m_dir / "elsewhere" / "one.txt") + "!");
    EXPECT_EQ(m_window.ColumnTexts(kColumnStatus), (QStringList{"Ready", "Complete"}));
    EXPECT_EQ(ReadBytes(m_dir / "elsewhere" / "one.txt"), "mine");
    // Asked again at the next Convert; after a Yes, the run's own texts ask nothing more.
    m_prompts.answers = {PromptAnswer::Yes};
    m_batch.OnConvert();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(m_prompts.asked.size(), 2u);
    EXPECT_EQ(ReadBytes(m_dir / "elsewhere" / "one.txt"), "one\r\n");
    m_batch.OnConvert();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(m_prompts.asked.size(), 2u);
    // Every row declined: no run.
    std::filesystem::create_directory(m_dir / "third");
    WriteBytes(m_dir / "third" / "one.txt", "mine");
    WriteBytes(m_dir / "third" / "two.txt", "mine");
    m_window.outputDirectory = Q(m_dir / "third");
    m_window.commandWrites.clear();
    m_prompts.answers = {PromptAnswer::NoToAll};
    m_batch.OnConvert();
    EXPECT_FALSE(m_batch.IsRunning());
    EXPECT_EQ(m_prompts.asked.size(), 3u);
    EXPECT_TRUE(m_prompts.asked.back().toAllOffered);
    EXPECT_TRUE(m_window.commandWrites.empty());
}

TEST_F(JobBatch, EveryFileDeclinedStillGivesTheReadyState) {
    WriteBytes(m_dir / "out" / "a.txt", "old");
    m_prompts.answers = {PromptAnswer::No};
    Add({Pdf("a")});
    EXPECT_EQ(m_window.RowCount(), 0);
    EXPECT_EQ(m_window.commandWrites, kToReady);
    m_batch.OnConvert();
    EXPECT_FALSE(m_batch.IsRunning()) << "Convert with an empty list does nothing";
    EXPECT_EQ(m_window.commandWrites, kToReady);
}

TEST_F(JobBatch, CancelledPickerChangesNothingButClearsTheStopRequest) {
    m_batch.RequestStop();
    m_batch.OnAdd();
    EXPECT_EQ(m_prompts.pdfPickerCalls, 1);
    EXPECT_FALSE(m_batch.StopRequested());
    EXPECT_EQ(m_window.RowCount(), 0);
    EXPECT_TRUE(m_window.commandWrites.empty());
}

TEST_F(JobBatch, RemoveDeletesSelectedRowsAndSelectsTheRowAfterEachBlock) {
    for (int i = 1; i <= 5; ++i)
        m_window.AddRow("/r" + QString::number(i));
    m_window.selected = {1, 2};
    m_batch.OnRemove();
    EXPECT_EQ(m_window.Paths(), (QStringList{"/r1", "/r4", "/r5"}));
    EXPECT_EQ(m_window.selected, (std::set<int>{1})) << "the row that was fourth";
    EXPECT_EQ(m_window.focusCalls, 1);
    EXPECT_TRUE(m_window.commandWrites.empty()) << "rows remain: buttons untouched";

    m_window.selected = {1};
    m_batch.OnRemove();
    EXPECT_EQ(m_window.Paths(), (QStringList{"/r1", "/r5"}));
    EXPECT_EQ(m_window.selected, (std::set<int>{1})) << "the one row after the removed one";

    m_window.selected = {1};
    m_batch.OnRemove();
    EXPECT_EQ(m_window.Paths(), QStringList{"/r1"});
    EXPECT_TRUE(m_window.selected.empty()) << "removing the last rows leaves no selection";
}

TEST_F(JobBatch, RemoveWithNothingSelectedOnlyFocusesTheList) {
    m_window.AddRow("/a");
    m_batch.OnRemove();
    EXPECT_EQ(m_window.RowCount(), 1);
    EXPECT_EQ(m_window.focusCalls, 1);
    FakeJobWindow empty;
    CJobBatch onEmpty(empty, m_prompts);
    onEmpty.OnRemove();
    EXPECT_EQ(empty.focusCalls, 0) << "an empty list is left alone";
}

TEST_F(JobBatch, RemovingEveryRowAndClearGiveTheEmptyState) {
    m_window.AddRow("/a");
    m_window.AddRow("/b");
    m_window.selected = {0, 1};
    m_batch.OnRemove();
    EXPECT_EQ(m_window.RowCount(), 0);
    EXPECT_EQ(m_window.commandWrites, kLastRowRemoved);

    m_window.commandWrites.clear();
    m_window.AddRow("/c");
    m_batch.OnClear();
    EXPECT_EQ(m_window.RowCount(), 0);
    EXPECT_EQ(m_window.commandWrites, kCleared) << "Clear leaves Add as it was";
}

TEST_F(JobBatch, RunOnTheWorkerThreadConvertsEveryRow) {
    Add({Pdf("one"), Pdf("two"), Pdf("three")});
    m_window.commandWrites.clear();
    m_window.statusLog.clear();
    m_batch.OnConvert();
    EXPECT_EQ(m_window.commandWrites, kRunStarted);
    ASSERT_TRUE(RunToEnd());
    // Each row's writes in order, the rows taken from the top down.
    EXPECT_EQ(m_window.statusLog.filter(":Converting"),
              (QStringList{"0:Converting", "1:Converting", "2:Converting"}));
    for (const QString n : {"0", "1", "2"})
        EXPECT_LT(m_window.statusLog.indexOf(n + ":Converting"), m_window.statusLog.indexOf(n + ":Complete"));
    EXPECT_EQ(m_window.statusLog.size(), 6);
    EXPECT_EQ(m_window.progressRanges, (std::vector<std::pair<int, int>>{{1, 100}}));
    EXPECT_EQ(ReadBytes(m_dir / "out" / "two.txt"), "two\r\n");
    EXPECT_EQ(m_window.openedFolders.size(), 1);
    std::vector<CommandWrite> expected = kRunStarted;
    expected.insert(expected.end(), kRunEnded.begin(), kRunEnded.end());
    EXPECT_EQ(m_window.commandWrites, expected);
}

TEST_F(JobBatch, StopAnsweredDuringTheSecondRow) {
    // A question closed without an answer stops the run as Yes does. The rows shown "Converting" by
    // then are finished, the others keep "Ready".
    struct Case {
        PromptAnswer answer;
        const char* third;
        int foldersOpened;
    };
    for (const Case c : {Case{PromptAnswer::Yes, "Ready", 0}, Case{PromptAnswer::No, "Complete", 1},
                         Case{PromptAnswer::Other, "Ready", 0}}) {
        SCOPED_TRACE(c.third + std::to_string(c.foldersOpened));
        m_batch.OnClear();
        m_window.statusLog.clear();
        m_window.openedFolders.clear();
        Add({Pdf("one"), Pdf("two"), Pdf("three")});
        m_window.statusLog.clear();
        m_prompts.answers = {c.answer};
        m_window.afterSetCell = [&](int row, int column, const QString& text) {
            if (row == 1 && column == kColumnStatus && text == "Converting")
                m_batch.OnStop(); // the question is answered while the row shows
        };
        m_batch.OnConvert();
        ASSERT_TRUE(RunToEnd());
        m_window.afterSetCell = nullptr;
        EXPECT_EQ(m_prompts.asked.back().text, "Do you want to stop convert?");
        EXPECT_EQ(m_prompts.asked.back().icon, PromptIcon::Question);
        EXPECT_EQ(m_window.rows[1][kColumnStatus], "Complete");
        EXPECT_EQ(m_window.rows[2][kColumnStatus], c.third);
        EXPECT_EQ(std::filesystem::exists(m_dir / "out" / "three.txt"), c.foldersOpened == 1);
        EXPECT_EQ(m_window.openedFolders.size(), c.foldersOpened);
        EXPECT_FALSE(m_batch.StopRequested());
        std::filesystem::remove_all(m_dir / "out");
        std::filesystem::create_directory(m_dir / "out");
    }
}

TEST_F(JobBatch, StopRequestLeftPendingAfterARunEnded) {
    Add({Pdf("one")});
    m_batch.OnConvert();
    ASSERT_TRUE(RunToEnd());
    m_window.statusLog.clear();
    m_batch.OnStop(); // answered Yes after the run had ended
    EXPECT_TRUE(m_batch.StopRequested());
    m_window.statusLog.clear();
    m_window.openedFolders.clear();
    m_batch.OnConvert();
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(m_window.statusLog.isEmpty()) << "the next run converts no row";
    EXPECT_TRUE(m_window.openedFolders.isEmpty());
    EXPECT_FALSE(m_batch.StopRequested());

    m_batch.OnStop();
    Add({});
    EXPECT_FALSE(m_batch.StopRequested()) << "an Add clears a pending request first";
}

TEST_F(JobBatch, DestroyingTheBatchDuringARunWaitsForTheWorker) {
    auto window = std::make_unique<FakeJobWindow>();
    window->outputDirectory = m_window.outputDirectory;
    for (int i = 0; i < 20; ++i)
        window->AddRow(Pdf("many" + std::to_string(i)));
    auto batch = std::make_unique<CJobBatch>(*window, m_prompts);
    batch->OnConvert();
    batch.reset(); // must not return before the worker has made its last call into the window
    EXPECT_EQ(window->statusLog.size(), 40);
    EXPECT_EQ(window->rows.back()[kColumnStatus], "Complete");
    EXPECT_EQ(window->commandWrites.back(), (CommandWrite{Command::Quit, true}));
}

} // namespace
