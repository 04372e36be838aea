#include "cli/cli_app.h"

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

using namespace pagewright::cli;
namespace fs = std::filesystem;

namespace {

class CliApp : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir / "out");
        WriteBytes(m_dir / "a.pdf", pagewright::pdfgen::MakePdf({"BT (alpha) Tj ET Q"}));
        WriteBytes(m_dir / "b.pdf", pagewright::pdfgen::MakePdf({"BT (beta) Tj ET Q"}));
    }
    int Run(const std::vector<std::string>& args, const std::string& input = {}, bool errIsTerminal = false) {
        std::istringstream in(input);
        m_out.str({});
        m_err.str({});
        return RunCli(args, {in, m_out, m_err, errIsTerminal});
    }
    std::string P(const std::string& name) const { return (m_dir / name).string(); }

    TempDir m_dir;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(CliApp, ExitsZeroWhenEveryFileConverted) {
    EXPECT_EQ(Run({"-o", P("out"), P("a.pdf"), P("b.pdf")}), kExitConverted);
    EXPECT_EQ(ReadBytes(m_dir / "out" / "a.txt"), "alpha\r\n");
    EXPECT_EQ(ReadBytes(m_dir / "out" / "b.txt"), "beta\r\n");
    EXPECT_EQ(m_out.str(), "");
    EXPECT_NE(m_err.str().find("2 of 2 files converted"), std::string::npos) << m_err.str();
    // Again with --update: both texts are newer than their PDFs.
    EXPECT_EQ(Run({"--update", "-o", P("out"), P("a.pdf"), P("b.pdf")}), kExitConverted);
    EXPECT_NE(m_err.str().find("0 of 2 files converted into " + P("out") + ", 2 up to date"),
              std::string::npos)
        << m_err.str();
}

TEST_F(CliApp, ExitsOneAndNamesEachFailure) {
    EXPECT_EQ(Run({"-q", "-o", P("out"), P("a.pdf"), P("gone.pdf"), P("also-gone.pdf")}), kExitFailed);
    const std::string err = m_err.str();
    EXPECT_NE(err.find("pagewright-cli: " + P("gone.pdf") + ": cannot open the PDF"), std::string::npos)
        << err;
    EXPECT_NE(err.find(P("also-gone.pdf")), std::string::npos) << err;
    EXPECT_EQ(err.find("converted into"), std::string::npos) << "quiet run printed a summary: " << err;
    EXPECT_EQ(ReadBytes(m_dir / "out" / "a.txt"), "alpha\r\n");
}

TEST_F(CliApp, UsageErrorsExitTwoAndConvertNothing) {
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_NE(m_err.str().find("--help"), std::string::npos);
    EXPECT_EQ(Run({"-o", P("no-such-dir"), P("a.pdf")}), kExitUsage);
    EXPECT_NE(m_err.str().find("does not exist"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "no-such-dir")) << "a missing output directory must not be created";
    EXPECT_EQ(Run({"-o", P("a.pdf"), P("b.pdf")}), kExitUsage); // a file is no directory
    EXPECT_EQ(Run({"-o", P("out"), "--files-from", P("no-list.txt")}), kExitUsage);
    EXPECT_EQ(Run({"--bogus", P("a.pdf")}), kExitUsage);
    EXPECT_FALSE(fs::exists(m_dir / "out" / "b.txt"));
}

TEST_F(CliApp, ProgressLineOnATerminalIsRedrawnAndGoneAfterTheLastFile) {
    // One worker, so the order is fixed. Each line is wiped before the next output; none is drawn
    // after the last file, so the summary starts on a clean line.
    const std::string wipe = "\r\033[K";
    struct Case {
        std::vector<std::string> files;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"a.pdf"}, ""},
        {{"a.pdf", "b.pdf"}, "[1/2] " + P("a.pdf") + wipe},
        {{"a.pdf", "gone.pdf", "b.pdf"},
         "[1/3] " + P("a.pdf") + wipe + "pagewright-cli: " + P("gone.pdf") +
             ": cannot open the PDF: No such file or directory\n[2/3] " + P("gone.pdf") + wipe},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-j", "1", "-o", P("out")};
        for (const std::string& f : c.files)
            args.push_back(P(f));
        const std::size_t failed = c.files.size() == 3 ? 1 : 0;
        Run(args, {}, true);
        std::string summary = "pagewright-cli: " + std::to_string(c.files.size() - failed) + " of " +
                              std::to_string(c.files.size()) + (c.files.size() == 1 ? " file" : " files") +
                              " converted into " + P("out") + (failed ? ", 1 failed" : "") + "\n";
        EXPECT_EQ(Visible(m_err.str()), Visible(c.expected + summary));
        // Quiet: no progress line and no summary, on a terminal too.
        args.insert(args.begin(), "-q");
        Run(args, {}, true);
        EXPECT_EQ(m_err.str().find('['), std::string::npos) << m_err.str();
    }
}

TEST_F(CliApp, HelpAndVersionGoToStandardOutput) {
    EXPECT_EQ(Run({"--help"}), kExitConverted);
    EXPECT_NE(m_out.str().find("Usage: pagewright-cli"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), kExitConverted);
    EXPECT_EQ(m_out.str(), "pagewright-cli 1.10\n");
}

TEST_F(CliApp, FilesFromStandardInput) {
    EXPECT_EQ(Run({"-o", P("out"), "--files-from", "-"}, P("a.pdf") + "\n" + P("b.pdf") + "\n"),
              kExitConverted);
    EXPECT_EQ(ReadBytes(m_dir / "out" / "b.txt"), "beta\r\n");
    // An empty list is nothing to do, not an error.
    EXPECT_EQ(Run({"-o", P("out"), "--files-from", "-"}, ""), kExitConverted);
}

#ifndef _WIN32
// The real executable, as a shell script would call it.
int RunProcess(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

TEST_F(CliApp, ExecutableExitCodes) {
    const std::string cli = Quote(PAGEWRIGHT_CLI_PATH);
    const std::string quiet = " 2>/dev/null";
    EXPECT_EQ(RunProcess(cli + " -q -o " + Quote(P("out")) + " " + Quote(P("a.pdf")) + quiet), 0);
    EXPECT_EQ(RunProcess(cli + " -q -o " + Quote(P("out")) + " " + Quote(P("missing.pdf")) + quiet), 1);
    EXPECT_EQ(RunProcess(cli + " -o " + Quote(P("nowhere")) + " " + Quote(P("a.pdf")) + quiet), 2);
    EXPECT_EQ(RunProcess(cli + " --version >/dev/null"), 0);
    EXPECT_EQ(RunProcess("printf '%s\\n' " + Quote(P("b.pdf")) + " | " + cli + " -q -j 2 -o " +
                         Quote(P("out")) + " --files-from -" + quiet),
              0);
    EXPECT_EQ(ReadBytes(m_dir / "out" / "b.txt"), "beta\r\n");
}
#endif

} // namespace
