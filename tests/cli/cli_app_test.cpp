#include "cli/cli_app.h"

#include "engine/os_path.h"
#include "engine/pdf_text_extractor.h"
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

#ifdef _WIN32
#include <process.h>
#else
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
    EXPECT_EQ(Run({"-o", P("a.pdf"), P("b.pdf")}), kExitUsage);
    EXPECT_NE(m_err.str().find("output directory '" + P("a.pdf") + "' is not a directory"), std::string::npos)
        << m_err.str();
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

// Names as each system spells them: its separators and drives, letters beyond ASCII, paths beyond
// 260 characters, and names that differ in letter case only (one file on Windows, two elsewhere).
TEST_F(CliApp, NamesAsTheSystemSpellsThem) {
#ifdef _WIN32
    const bool windows = true;
    const char sep = '\\';
#else
    const bool windows = false;
    const char sep = '/';
#endif
    const std::string base = PathToUtf8(m_dir.Path());
    // A relative name with '/' as written in the table, spelled with this system's separator.
    const auto spell = [&](std::string relative) {
        for (char& c : relative)
            if (c == '/')
                c = sep;
        return base + sep + relative;
    };
    const auto file = [&](const std::string& relative) { return OsPath(PathFromUtf8(spell(relative))); };
    std::string deep = "deep";
    while (deep.size() < 300)
        deep += "/a-folder-with-a-rather-long-name-" + std::to_string(deep.size());
    const std::string accents = "r\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC \xE6\x96\x87";

    struct Case {
        const char* name;
        std::vector<std::string> sources; // each says its own index: "file 0", "file 1", ...
        std::string outDir;
        std::vector<std::pair<std::string, std::string>> texts; // target and its text
    };
    const std::vector<Case> cases = {
        {"separators", {"in/a.pdf"}, "out1", {{"out1/a.txt", "file 0"}}},
        {"letters beyond ASCII",
         {"in/" + accents + ".pdf"},
         "out2",
         {{"out2/" + accents + ".txt", "file 0"}}},
        {"long paths", {deep + "/in/a.pdf"}, deep + "/out", {{deep + "/out/a.txt", "file 0"}}},
        {"letter case",
         {"in/A/Report.pdf", "in/b/report.PDF"},
         "out3",
         windows ? std::vector<std::pair<std::string, std::string>>{{"out3/report.txt", "file 1"}}
                 : std::vector<std::pair<std::string, std::string>>{{"out3/Report.txt", "file 0"},
                                                                    {"out3/report.txt", "file 1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"-q", "-o", spell(c.outDir)};
        fs::create_directories(file(c.outDir));
        for (std::size_t i = 0; i < c.sources.size(); ++i) {
            fs::create_directories(file(c.sources[i]).parent_path());
            WriteBytes(file(c.sources[i]),
                       pagewright::pdfgen::MakePdf({"BT (file " + std::to_string(i) + ") Tj ET Q"}));
            args.push_back(spell(c.sources[i]));
        }
        EXPECT_EQ(Run(args), kExitConverted) << m_err.str();
        if (c.outDir.size() < 100) { // the C library cannot list folders beyond the limit
            std::size_t texts = 0;
            for (const auto& entry : fs::directory_iterator(file(c.outDir)))
                texts += entry.path().extension() == ".txt" ? 1 : 0;
            EXPECT_EQ(texts, c.texts.size());
        }
        for (const auto& [target, text] : c.texts)
            EXPECT_EQ(ReadBytes(file(target)), text + "\r\n") << target;
    }
}

TEST_F(CliApp, DashAsOutputWritesTheTextsToStandardOutputInOrder) {
    // The first file takes far longer than the rest, which other threads finish first.
    WriteBytes(m_dir / "big.pdf",
               pagewright::pdfgen::MakePdf(std::vector<std::string>(3000, "BT (big) Tj ET Q")));
    WriteBytes(m_dir / "blank.pdf", pagewright::pdfgen::MakePdf({"0 0 m 9 9 l S"}));
    std::vector<std::string> args = {"-j",         "3",        "-o",          "-",
                                     P("big.pdf"), P("b.pdf"), P("gone.pdf"), P("blank.pdf")};
    args.insert(args.end(), 20, P("a.pdf"));
    EXPECT_EQ(Run(args), kExitFailed);
    std::string expected;
    for (int i = 0; i < 3000; ++i)
        expected += "big\r\n";
    expected += "beta\r\n";
    for (int i = 0; i < 20; ++i)
        expected += "alpha\r\n";
    EXPECT_EQ(m_out.str(), expected);
    EXPECT_EQ(m_err.str(), "pagewright-cli: " + P("gone.pdf") +
                               ": cannot open the PDF: No such file or directory\n"
                               "pagewright-cli: " +
                               P("blank.pdf") + ": " + kNoTextFound +
                               "\n"
                               "pagewright-cli: 23 of 24 files converted to standard output, 1 with " +
                               kNoTextFound + ", 1 failed\n");
    EXPECT_TRUE(fs::is_empty(m_dir / "out")) << "no text file is written";

    // The summary of a run into a folder counts them as well.
    EXPECT_EQ(Run({"-o", P("out"), P("blank.pdf"), P("a.pdf")}), kExitConverted);
    EXPECT_NE(m_err.str().find("2 of 2 files converted into " + P("out") + ", 1 with " + kNoTextFound + "\n"),
              std::string::npos)
        << m_err.str();

    // Standard output that cannot be written ends the run with its reason.
    m_out.setstate(std::ios::badbit);
    std::istringstream in;
    EXPECT_EQ(RunCli({"-q", "-o", "-", P("a.pdf"), P("b.pdf")}, {in, m_out, m_err, false}), kExitFailed);
    EXPECT_NE(m_err.str().find("cannot write to standard output"), std::string::npos) << m_err.str();
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
#else
// The real executable with its wide command line: names beyond the code page arrive whole, and the
// exit codes are those of every other system.
int RunProcess(const std::vector<std::string>& args) {
    std::vector<std::wstring> quoted;
    for (const std::string& arg : args)
        quoted.push_back(L"\"" + PathFromUtf8(arg).native() + L"\"");
    std::vector<const wchar_t*> argv;
    for (const std::wstring& arg : quoted)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    const std::wstring exe = PathFromUtf8(PAGEWRIGHT_CLI_PATH).native();
    return static_cast<int>(_wspawnv(_P_WAIT, exe.c_str(), argv.data()));
}

TEST_F(CliApp, ExecutableExitCodes) {
    const std::string name = "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xE6\x96\x87";
    const std::string out = PathToUtf8(m_dir.Path()) + "\\out";
    WriteBytes(PathFromUtf8(PathToUtf8(m_dir.Path()) + "\\" + name + ".pdf"),
               pagewright::pdfgen::MakePdf({"BT (wide) Tj ET Q"}));
    const std::string source = PathToUtf8(m_dir.Path()) + "\\" + name + ".pdf";
    EXPECT_EQ(RunProcess({"pagewright-cli", "-q", "-o", out, source}), 0);
    EXPECT_EQ(ReadBytes(PathFromUtf8(out + "\\" + name + ".txt")), "wide\r\n");
    EXPECT_EQ(RunProcess({"pagewright-cli", "-q", "-o", out, out + "\\missing.pdf"}), 1);
    EXPECT_EQ(RunProcess({"pagewright-cli", "-q", "-o", out + "\\nowhere", source}), 2);
}
#endif

} // namespace
