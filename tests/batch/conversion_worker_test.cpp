#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "batch/row_event_queue.h"
#include "tests/fakes/fake_job_window.h"
#include "tests/fakes/fake_platform.h"
#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include <atomic>

namespace {

// The worker's logic, driven on the test's own thread against a window without widgets.
class ConversionWorker : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(m_dir / "out");
        m_window.outputDirectory = Q(m_dir / "out");
        for (const char* name : {"one", "two", "three"}) {
            WriteBytes(m_dir / (std::string(name) + ".pdf"),
                       pagewright::pdfgen::MakePdf({std::string("BT (") + name + ") Tj ET Q"}));
            m_window.AddRow(Q(m_dir / (std::string(name) + ".pdf")));
        }
    }
    static QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
    // A run on the test's own thread: the window's writes are carried out at once.
    void Run(FakeJobWindow& window) {
        RowEventQueue events(window, m_prompts, m_stop);
        ConvertThreadProc(AllRows(window), events, m_stop);
    }
    static RunRows AllRows(const FakeJobWindow& window) {
        RunRows rows{{}, window.Paths(), window.outputDirectory};
        for (int row = 0; row < window.RowCount(); ++row)
            rows.rows << row;
        return rows;
    }
    std::string Text(const char* name) { return ReadBytes(m_dir / "out" / (std::string(name) + ".txt")); }

    TempDir m_dir;
    FakeJobWindow m_window;
    FakePrompts m_prompts;
    std::atomic<bool> m_stop{false};
};

TEST_F(ConversionWorker, ConvertsEveryRowTopDownAndOpensTheFolderOnce) {
    // Each row goes "Converting", then "Complete", and its text appears in between; rows below may
    // show "Converting" before a row above is complete.
    QStringList wrong;
    m_window.afterSetCell = [&](int row, int column, const QString& text) {
        const bool hasText = std::filesystem::exists(
            ToFileSystemPath(TargetPathFor(m_window.rows[row][kColumnName], m_window.outputDirectory)));
        if (column == kColumnStatus && (text == "Converting") == hasText)
            wrong << QString::number(row) + ":" + text;
    };
    Run(m_window);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(' ').toStdString();
    EXPECT_EQ(m_window.statusLog.filter(":Converting"),
              (QStringList{"0:Converting", "1:Converting", "2:Converting"}));
    for (const QString n : {"0", "1", "2"})
        EXPECT_EQ(m_window.statusLog.filter(QRegularExpression("^" + n + ":")),
                  (QStringList{n + ":Converting", n + ":Complete"}));
    EXPECT_EQ(Text("one"), "one\r\n");
    EXPECT_EQ(Text("three"), "three\r\n");
    EXPECT_EQ(m_window.selected, (std::set<int>{0, 1, 2})) << "every processed row stays selected";
    EXPECT_EQ(m_window.visibleRequests, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m_window.openedFolders, QStringList{m_window.outputDirectory});
    EXPECT_TRUE(m_prompts.shown.empty()) << "no message after a run without failures";
    EXPECT_EQ(m_window.commandWrites, kRunEnded);
    EXPECT_FALSE(m_stop.load());
}

TEST_F(ConversionWorker, FailedRowsGiveTheirReasonAndRowsWithoutTextANote) {
    m_window.rows[1][kColumnName] = Q(m_dir / "missing.pdf");
    WriteBytes(m_dir / "scan.pdf", pagewright::pdfgen::MakePdf({"q 100 0 0 100 0 0 cm /Im1 Do Q"}));
    m_window.rows[2][kColumnName] = Q(m_dir / "scan.pdf");
    Run(m_window);
    EXPECT_EQ(m_window.rows[0][kColumnStatus], "Complete");
    EXPECT_TRUE(m_window.toolTips[0].isEmpty());
    EXPECT_EQ(m_window.rows[1][kColumnStatus], "Failed");
    EXPECT_TRUE(m_window.toolTips[1].contains("cannot open the PDF")) << m_window.toolTips[1].toStdString();
    EXPECT_EQ(m_window.rows[2][kColumnStatus], "Complete");
    EXPECT_EQ(m_window.toolTips[2], "no text found (images, hexadecimal strings or unsupported encodings)");
    EXPECT_EQ(ReadBytes(m_dir / "out" / "scan.txt"), "");
    // One message counts the failures (and the PDFs without text); the folder still opens.
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text,
              "1 of 3 files could not be converted. The tooltip of each row marked "
              "\"Failed\" says why.\n\n1 PDF gave no text (images, hexadecimal strings "
              "or unsupported encodings).");
    EXPECT_EQ(m_prompts.shown[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(m_window.openedFolders.size(), 1);
}

TEST_F(ConversionWorker, RerunClearsAnEarlierFailure) {
    m_window.toolTips[0] = "old reason";
    m_window.rows[0][kColumnStatus] = "Failed";
    Run(m_window);
    EXPECT_EQ(m_window.rows[0][kColumnStatus], "Complete");
    EXPECT_TRUE(m_window.toolTips[0].isEmpty());
}

TEST_F(ConversionWorker, MissingOutputFolderFailsEveryRowWithoutCrashing) {
    m_window.outputDirectory = Q(m_dir / "gone");
    Run(m_window);
    for (const auto& row : m_window.rows)
        EXPECT_EQ(row[kColumnStatus], "Failed");
    EXPECT_TRUE(m_window.toolTips[0].contains("cannot create the text file"));
    EXPECT_TRUE(m_window.openedFolders.isEmpty()) << "a folder that has gone is not shown";
    EXPECT_EQ(m_window.commandWrites, kRunEnded);
}

TEST_F(ConversionWorker, StopDuringARowFinishesItAndLeavesTheRestReady) {
    const std::vector<std::pair<int, QStringList>> cases = {{1, {"Complete", "Complete", "Ready"}},
                                                            {2, {"Complete", "Complete", "Complete"}}};
    for (const auto& [stopAt, statuses] : cases) {
        SCOPED_TRACE(stopAt);
        FakeJobWindow window = m_window;
        window.afterSetCell = [&](int row, int column, const QString& text) {
            if (row == stopAt && column == kColumnStatus && text == "Converting")
                m_stop.store(true);
        };
        Run(window);
        EXPECT_EQ(window.ColumnTexts(kColumnStatus), statuses);
        EXPECT_EQ(std::filesystem::exists(m_dir / "out" / "three.txt"), stopAt == 2);
        EXPECT_TRUE(window.openedFolders.isEmpty());
        EXPECT_FALSE(m_stop.load()) << "the request is cleared at the end of a stopped run";
        EXPECT_EQ(window.commandWrites, kRunEnded);
        std::filesystem::remove_all(m_dir / "out");
        std::filesystem::create_directory(m_dir / "out");
    }
}

TEST_F(ConversionWorker, PendingStopRequestConvertsNothingAndIsCleared) {
    m_stop.store(true);
    Run(m_window);
    EXPECT_TRUE(m_window.statusLog.isEmpty());
    EXPECT_TRUE(m_window.openedFolders.isEmpty());
    EXPECT_FALSE(m_stop.load());
    EXPECT_EQ(m_window.commandWrites, kRunEnded);
}

TEST(ConversionWorkerEmpty, EmptyListOpensTheFolderAndReturnsToReady) {
    TempDir dir;
    FakeJobWindow window;
    window.outputDirectory = QString::fromStdString(dir.Path().string());
    std::atomic<bool> stop{false};
    FakePrompts prompts;
    RowEventQueue events(window, prompts, stop);
    ConvertThreadProc({{}, {}, window.outputDirectory}, events, stop);
    EXPECT_EQ(window.openedFolders, QStringList{window.outputDirectory});
    EXPECT_EQ(window.commandWrites, kRunEnded);
}

} // namespace
