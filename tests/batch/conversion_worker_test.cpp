#include "batch/conversion_worker.h"

#include "batch/job_paths.h"
#include "tests/fakes/fake_job_window.h"
#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

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
    std::string Text(const char* name) { return ReadBytes(m_dir / "out" / (std::string(name) + ".txt")); }

    TempDir m_dir;
    FakeJobWindow m_window;
    std::atomic<bool> m_stop{false};
};

TEST_F(ConversionWorker, ConvertsEveryRowTopDownAndOpensTheFolderOnce) {
    ConvertThreadProc(m_window, m_stop);
    EXPECT_EQ(m_window.statusLog, (QStringList{"0:Converting", "0:Complete", "1:Converting", "1:Complete",
                                               "2:Converting", "2:Complete"}));
    EXPECT_EQ(Text("one"), "one\r\n");
    EXPECT_EQ(Text("three"), "three\r\n");
    EXPECT_EQ(m_window.selected, (std::set<int>{0, 1, 2})) << "every processed row stays selected";
    EXPECT_EQ(m_window.visibleRequests, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m_window.openedFolders, QStringList{m_window.outputDirectory});
    EXPECT_EQ(m_window.commandWrites, kRunEnded);
    EXPECT_EQ(m_window.progressRanges, (std::vector<std::pair<int, int>>{{1, 100}}));
    EXPECT_FALSE(m_stop.load());
}

TEST_F(ConversionWorker, FailedRowsGiveTheirReasonAndRowsWithoutTextANote) {
    m_window.rows[1][kColumnName] = Q(m_dir / "missing.pdf");
    WriteBytes(m_dir / "scan.pdf", pagewright::pdfgen::MakePdf({"q 100 0 0 100 0 0 cm /Im1 Do Q"}));
    m_window.rows[2][kColumnName] = Q(m_dir / "scan.pdf");
    ConvertThreadProc(m_window, m_stop);
    EXPECT_EQ(m_window.rows[0][kColumnStatus], "Complete");
    EXPECT_TRUE(m_window.toolTips[0].isEmpty());
    EXPECT_EQ(m_window.rows[1][kColumnStatus], "Failed");
    EXPECT_TRUE(m_window.toolTips[1].contains("cannot open the PDF")) << m_window.toolTips[1].toStdString();
    EXPECT_EQ(m_window.rows[2][kColumnStatus], "Complete");
    EXPECT_EQ(m_window.toolTips[2], "no text found (images, hexadecimal strings or unsupported encodings)");
    EXPECT_EQ(ReadBytes(m_dir / "out" / "scan.txt"), "");
    EXPECT_EQ(m_window.openedFolders.size(), 1);
}

TEST_F(ConversionWorker, RerunClearsAnEarlierFailure) {
    m_window.toolTips[0] = "old reason";
    m_window.rows[0][kColumnStatus] = "Failed";
    ConvertThreadProc(m_window, m_stop);
    EXPECT_EQ(m_window.rows[0][kColumnStatus], "Complete");
    EXPECT_TRUE(m_window.toolTips[0].isEmpty());
}

TEST_F(ConversionWorker, MissingOutputFolderFailsEveryRowWithoutCrashing) {
    m_window.outputDirectory = Q(m_dir / "gone");
    ConvertThreadProc(m_window, m_stop);
    for (const auto& row : m_window.rows)
        EXPECT_EQ(row[kColumnStatus], "Failed");
    EXPECT_TRUE(m_window.toolTips[0].contains("cannot create the text file"));
    EXPECT_TRUE(m_window.openedFolders.isEmpty()) << "a folder that has gone is not shown";
    EXPECT_EQ(m_window.commandWrites, kRunEnded);
}

TEST_F(ConversionWorker, StopDuringARowFinishesItAndLeavesTheRestReady) {
    for (const int stopAt : {1, 2}) {
        SCOPED_TRACE(stopAt);
        FakeJobWindow window = m_window;
        window.afterSetCell = [&](int row, int column, const QString& text) {
            if (row == stopAt && column == kColumnStatus && text == "Converting")
                m_stop.store(true);
        };
        ConvertThreadProc(window, m_stop);
        EXPECT_EQ(window.rows[stopAt][kColumnStatus], "Complete");
        if (stopAt == 1) {
            EXPECT_EQ(window.rows[2][kColumnStatus], "Ready");
        }
        EXPECT_TRUE(window.openedFolders.isEmpty());
        EXPECT_FALSE(m_stop.load()) << "the request is cleared at the end of a stopped run";
        EXPECT_EQ(window.commandWrites, kRunEnded);
    }
}

TEST_F(ConversionWorker, PendingStopRequestConvertsNothingAndIsCleared) {
    m_stop.store(true);
    ConvertThreadProc(m_window, m_stop);
    EXPECT_TRUE(m_window.statusLog.isEmpty());
    EXPECT_TRUE(m_window.openedFolders.isEmpty());
    EXPECT_FALSE(m_stop.load());
    EXPECT_EQ(m_window.commandWrites, kRunEnded);
}

TEST_F(ConversionWorker, RowsAreCountedAgainAfterEachRow) {
    // A row appearing during the run (the list is otherwise locked) is still converted.
    m_window.afterSetCell = [&](int row, int column, const QString& text) {
        if (row == 2 && column == kColumnStatus && text == "Complete" && m_window.rows.size() == 3)
            m_window.AddRow(m_window.rows[0][kColumnName]);
    };
    ConvertThreadProc(m_window, m_stop);
    EXPECT_EQ(m_window.rows[3][kColumnStatus], "Complete");
}

TEST_F(ConversionWorker, RowsReadAheadForALaggingWindowKeepTheirOrderAndTheirOwnText) {
    // While the window has yet to show a row, the worker reads the PDFs of the rows after it. Each
    // text still appears only once its row shows "Converting", and a row renamed after it was read
    // gets the text of its new PDF.
    constexpr int kRows = 40;
    for (int i = 3; i < kRows; ++i) {
        const std::string name = "p" + std::to_string(i);
        WriteBytes(m_dir / (name + ".pdf"), pagewright::pdfgen::MakePdf({"BT (" + name + ") Tj ET Q"}));
        m_window.AddRow(Q(m_dir / (name + ".pdf")));
    }
    WriteBytes(m_dir / "later.pdf", pagewright::pdfgen::MakePdf({"BT (later) Tj ET Q"}));
    m_window.rows[7][kColumnName] = Q(m_dir / "missing.pdf");
    m_window.unshownLooks = 10 * kRows;
    QStringList wrong;
    m_window.afterSetCell = [&](int row, int column, const QString& text) {
        if (column != kColumnStatus || text == "Failed")
            return;
        if (row == 2 && text == "Converting")
            m_window.rows[20][kColumnName] = Q(m_dir / "later.pdf");
        const std::filesystem::path target =
            ToFileSystemPath(TargetPathFor(m_window.rows[row][kColumnName], m_window.outputDirectory));
        if ((text == "Converting") == std::filesystem::exists(target))
            wrong << QString::number(row) + ":" + text;
    };
    ConvertThreadProc(m_window, m_stop);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(' ').toStdString();
    EXPECT_EQ(m_window.rows[7][kColumnStatus], "Failed");
    EXPECT_EQ(Text("later"), "later\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "out" / "p20.txt"));
    for (int i = 3; i < kRows; ++i) {
        if (i != 7 && i != 20) {
            EXPECT_EQ(Text(("p" + std::to_string(i)).c_str()), "p" + std::to_string(i) + "\r\n");
        }
    }
    EXPECT_EQ(m_window.statusLog.size(), 2 * kRows);
}

TEST(ConversionWorkerEmpty, EmptyListOpensTheFolderAndReturnsToReady) {
    TempDir dir;
    FakeJobWindow window;
    window.outputDirectory = QString::fromStdString(dir.Path().string());
    std::atomic<bool> stop{false};
    ConvertThreadProc(window, stop);
    EXPECT_EQ(window.openedFolders, QStringList{window.outputDirectory});
    EXPECT_EQ(window.commandWrites, kRunEnded);
}

} // namespace
