#include "cli/conversion_runner.h"

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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

// Per file: C converted, S left to a later PDF of the same text file, U up to date, F failed.
std::string Outcomes(const RunResult& run) {
    std::string got;
    for (const FileResult& r : run.files)
        got += r.superseded ? 'S' : r.upToDate ? 'U' : r.converted ? 'C' : 'F';
    return got;
}

TEST_F(ConversionRunner, TargetsThatAreOneFileAreConvertedOnlyFromTheLastPdf) {
    // Groups by name and by identity (a link, a hard link), between other files, on one and many
    // threads: only the last PDF of a group is converted, and its failure keeps the earlier text.
    struct Case {
        std::string what;
        std::vector<std::string> pdfs; // "-" before a name: no such PDF
        // Links among the text files; false where the system cannot make them (no symbolic links).
        std::function<bool(const fs::path& out)> prepare;
        std::string expected;
        std::vector<std::pair<std::string, std::string>> texts; // afterwards
    };
    const std::vector<Case> cases = {
        {"one name",
         {"d0/same.pdf", "e/o0.pdf", "d1/same.pdf", "e/o1.pdf", "d2/same.pdf"},
         {},
         "SCSCC",
         {{"same.txt", "d2/same\r\n"}, {"o1.txt", "e/o1\r\n"}}},
        {"the last one missing", {"a/x.pdf", "-b/x.pdf"}, {}, "SF", {{"x.txt", "earlier"}}},
        {"a link to another text file",
         {"a.pdf", "b.pdf"},
         [](const fs::path& out) {
             std::error_code ec;
             fs::create_symlink("b.txt", out / "a.txt", ec);
             return !ec;
         },
         "SC",
         {{"b.txt", "b\r\n"}}},
        {"a hard link to another text file",
         {"b.pdf", "a.pdf"},
         [](const fs::path& out) {
             std::error_code ec;
             fs::create_hard_link(out / "b.txt", out / "a.txt", ec);
             return !ec;
         },
         "SC",
         {{"a.txt", "a\r\n"}, {"b.txt", "earlier"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        for (const unsigned jobs : {1u, 4u}) {
            SCOPED_TRACE(c.what + ", -j " + std::to_string(jobs));
            const fs::path root = m_dir / ("group" + std::to_string(n++));
            fs::create_directories(root / "out");
            WriteBytes(root / "out" / "b.txt", "earlier");
            WriteBytes(root / "out" / "x.txt", "earlier");
            if (c.prepare && !c.prepare(root / "out")) {
                std::printf("not tried on this system (no such links): %s\n", c.what.c_str());
                continue;
            }
            std::vector<std::string> sources;
            for (const std::string& pdf : c.pdfs) {
                const bool missing = pdf[0] == '-';
                const std::string name = missing ? pdf.substr(1) : pdf;
                fs::create_directories((root / name).parent_path());
                if (!missing)
                    WriteBytes(root / name, PdfSaying(name.substr(0, name.size() - 4)));
                sources.push_back((root / name).string());
            }
            const RunResult run = ConvertAll(sources, (root / "out").string(), jobs);
            EXPECT_EQ(Outcomes(run), c.expected);
            for (const auto& [text, bytes] : c.texts)
                EXPECT_EQ(Visible(ReadBytes(root / "out" / text)), Visible(bytes)) << text;
            EXPECT_EQ(run.shared.size(), 1u);
        }
    }
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
        std::string expected; // per PDF, as Outcomes gives it
        std::string text;     // x.txt afterwards
    };
    const std::vector<Case> cases = {
        {"no text yet", {100}, -1, "C", "d0\r\n"},
        {"text newer than the PDF", {100}, 50, "U", "old"},
        {"text as old as the PDF", {100}, 100, "U", "old"},
        {"text older than the PDF", {50}, 100, "C", "d0\r\n"},
        {"the last of two PDFs newer than the text", {200, 50}, 100, "SC", "d1\r\n"},
        {"only the first of two PDFs newer than the text", {50, 200}, 100, "SU", "old"},
        {"the last of two PDFs missing", {50, -1}, 100, "SF", "old"},
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
        // Twice: a failure is tried again, a conversion is up to date.
        for (int pass = 0; pass < 2; ++pass) {
            const RunResult run =
                ConvertAll(sources, (root / "out").string(), 2, {}, {}, Selection::Outdated);
            const std::string others(c.expected.size() - 1, 'S');
            EXPECT_EQ(Outcomes(run), pass == 0 || c.expected.back() == 'F' ? c.expected : others + "U")
                << "pass " << pass;
        }
        EXPECT_EQ(Visible(ReadBytes(text)), Visible(c.text));
    }
}

TEST_F(ConversionRunner, EmptyListDoesNothing) {
    const RunResult run = ConvertAll({}, Out(), 0);
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(run.threadProblem, "");
}

} // namespace
