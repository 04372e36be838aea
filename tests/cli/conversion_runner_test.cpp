#include "cli/conversion_runner.h"

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

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

TEST_F(ConversionRunner, EmptyListDoesNothing) {
    const RunResult run = ConvertAll({}, Out(), 0);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.threadProblem, "");
}

} // namespace
