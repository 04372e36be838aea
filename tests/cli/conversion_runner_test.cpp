#include "cli/conversion_runner.h"

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

using namespace pagewright::cli;
namespace fs = std::filesystem;

namespace {

std::string PdfSaying(const std::string& text) {
    return pagewright::pdfgen::MakePdf({"BT (" + text + ") Tj ET Q"});
}

class ConversionRunner : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_dir / "out"); }
    std::string Out() const { return (m_dir / "out").string(); }
    std::string MakeSource(const std::string& relative, const std::string& text) {
        const fs::path path = m_dir / relative;
        fs::create_directories(path.parent_path());
        WriteBytes(path, PdfSaying(text));
        return path.string();
    }
    TempDir m_dir;
};

TEST_F(ConversionRunner, ConvertsEveryFileAndReportsInListOrder) {
    std::vector<std::string> sources;
    for (int i = 0; i < 12; ++i)
        sources.push_back(MakeSource("in/file" + std::to_string(i) + ".pdf", "text " + std::to_string(i)));
    sources.push_back((m_dir / "in" / "missing.pdf").string());

    std::set<std::string> reported;
    std::size_t lastDone = 0;
    const auto results =
        ConvertAll(sources, Out(), 4, [&](const FileResult& r, std::size_t done, std::size_t total) {
            EXPECT_EQ(total, 13u);
            EXPECT_EQ(done, lastDone + 1);
            lastDone = done;
            reported.insert(r.source);
        }).files;
    ASSERT_EQ(results.size(), sources.size());
    EXPECT_EQ(reported.size(), sources.size());
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(results[i].source, sources[i]);
        EXPECT_TRUE(results[i].converted) << results[i].reason;
        EXPECT_EQ(ReadBytes(results[i].target), "text " + std::to_string(i) + "\r\n");
    }
    EXPECT_FALSE(results[12].converted);
    EXPECT_NE(results[12].reason.find("cannot open the PDF"), std::string::npos);
}

TEST_F(ConversionRunner, SourcesSharingATargetAreWrittenInListOrderAndTheLastWins) {
    // Many sources in different folders with the same file name, between other files, on many
    // threads: the shared target always ends with the text of the last one.
    for (int round = 0; round < 5; ++round) {
        std::vector<std::string> sources;
        for (int i = 0; i < 8; ++i) {
            sources.push_back(
                MakeSource("d" + std::to_string(i) + "/same.pdf", "version " + std::to_string(i)));
            sources.push_back(MakeSource("e/other" + std::to_string(i) + ".pdf", "other"));
        }
        const auto results = ConvertAll(sources, Out(), 8).files;
        for (const FileResult& r : results)
            EXPECT_TRUE(r.converted) << r.source << ": " << r.reason;
        EXPECT_EQ(ReadBytes(m_dir / "out" / "same.txt"), "version 7\r\n");
    }
}

TEST_F(ConversionRunner, AFailingLaterSourceKeepsTheTextOfTheEarlierOne) {
    // A failure never replaces good text: the later, missing source leaves the target as the
    // earlier one wrote it.
    const std::vector<std::string> sources = {MakeSource("a/x.pdf", "from a"),
                                              (m_dir / "b" / "x.pdf").string()};
    const auto results = ConvertAll(sources, Out(), 2).files;
    EXPECT_TRUE(results[0].converted);
    EXPECT_FALSE(results[1].converted);
    EXPECT_EQ(ReadBytes(m_dir / "out" / "x.txt"), "from a\r\n");
}

TEST_F(ConversionRunner, RefusedThreadsLeaveTheWorkToThoseRunning) {
    // The system refuses the n-th extra thread (0: the first); every file is converted all the same.
    for (const int refuseFrom : {0, 1, 2}) {
        SCOPED_TRACE(refuseFrom);
        std::vector<std::string> sources;
        for (int i = 0; i < 10; ++i)
            sources.push_back(MakeSource("t/f" + std::to_string(i) + ".pdf", "text " + std::to_string(i)));
        int started = 0;
        const ThreadStarter starter = [&](std::function<void()> work) {
            if (started == refuseFrom)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            ++started;
            return std::jthread(std::move(work));
        };
        const RunResult run = ConvertAll(sources, Out(), 8, {}, starter);
        EXPECT_EQ(run.workers, static_cast<std::size_t>(refuseFrom + 1));
        EXPECT_EQ(run.threadProblem, "Resource temporarily unavailable");
        for (int i = 0; i < 10; ++i) {
            EXPECT_TRUE(run.files[i].converted) << run.files[i].reason;
            EXPECT_EQ(ReadBytes(run.files[i].target), "text " + std::to_string(i) + "\r\n");
        }
    }
}

TEST_F(ConversionRunner, UpdateConvertsOnlyTextsThatAreMissingOrOlderThanTheirPdf) {
    // Ages in seconds before now; a negative age: no such file. The last PDF of a target decides.
    struct Case {
        std::string what;
        std::vector<int> pdfAges; // PDFs d0/x.pdf, d1/x.pdf, ...: all have the target x.txt
        int textAge;
        std::string expected; // per PDF: C converted, U up to date, F failed
        std::string text;     // x.txt afterwards
    };
    const std::vector<Case> cases = {
        {"no text yet", {100}, -1, "C", "d0\r\n"},
        {"text newer than the PDF", {100}, 50, "U", "old"},
        {"text as old as the PDF", {100}, 100, "U", "old"},
        {"text older than the PDF", {50}, 100, "C", "d0\r\n"},
        {"the last of two PDFs newer than the text", {200, 50}, 100, "CC", "d1\r\n"},
        {"only the first of two PDFs newer than the text", {50, 200}, 100, "UU", "old"},
        {"a missing PDF beside its text", {-1}, 100, "F", "old"},
    };
    const auto now = fs::file_time_type::clock::now();
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const Case& c = cases[n];
        SCOPED_TRACE(c.what);
        const fs::path root = m_dir / ("update" + std::to_string(n));
        fs::create_directories(root / "out");
        std::vector<std::string> sources;
        for (std::size_t k = 0; k < c.pdfAges.size(); ++k) {
            const fs::path pdf = root / ("d" + std::to_string(k)) / "x.pdf";
            fs::create_directories(pdf.parent_path());
            if (c.pdfAges[k] >= 0) {
                WriteBytes(pdf, PdfSaying("d" + std::to_string(k)));
                fs::last_write_time(pdf, now - std::chrono::seconds(c.pdfAges[k]));
            }
            sources.push_back(pdf.string());
        }
        const fs::path text = root / "out" / "x.txt";
        if (c.textAge >= 0) {
            WriteBytes(text, "old");
            fs::last_write_time(text, now - std::chrono::seconds(c.textAge));
        }
        const RunResult run = ConvertAll(sources, (root / "out").string(), 2, {}, {}, Selection::Outdated);
        std::string got;
        for (const FileResult& r : run.files)
            got += r.upToDate ? (r.converted ? '?' : 'U') : (r.converted ? 'C' : 'F');
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(Visible(ReadBytes(text)), Visible(c.text));
    }
}

TEST_F(ConversionRunner, EmptyListDoesNothing) {
    const RunResult run = ConvertAll({}, Out(), 0);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.threadProblem, "");
}

} // namespace
