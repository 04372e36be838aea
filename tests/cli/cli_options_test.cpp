#include "cli/cli_options.h"
#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"

using namespace pagewright::cli;

namespace {

std::string Describe(const Options& o) {
    std::string s = "out=" + (o.toStandardOutput ? std::string("stdout") : o.outputDirectory) +
                    " jobs=" + std::to_string(o.jobs) + (o.quiet ? " quiet" : "") +
                    (o.update ? " update" : "");
    for (const Input& in : o.inputs)
        s += (in.isList ? " list:" : " file:") + in.path;
    return s;
}

TEST(CliOptions, AcceptedCommandLines) {
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"a.pdf"}, "out=. jobs=0 file:a.pdf"},
        {{"-o", "/out", "a.pdf", "b.pdf"}, "out=/out jobs=0 file:a.pdf file:b.pdf"},
        {{"-o/out", "-j3", "-q", "a.pdf"}, "out=/out jobs=3 quiet file:a.pdf"},
        {{"--update", "--files-from", "-"}, "out=. jobs=0 update list:-"},
        {{"-j", "2", "--files-from", "list.txt"}, "out=. jobs=2 list:list.txt"},
        {{"--files-from=-", "a.pdf"}, "out=. jobs=0 list:- file:a.pdf"},
        {{"a.pdf", "--files-from", "l", "b.pdf"}, "out=. jobs=0 file:a.pdf list:l file:b.pdf"},
        {{"--", "-o", "-q.pdf"}, "out=. jobs=0 file:-o file:-q.pdf"},
        {{"-o", "x", "-o", "y", "a.pdf"}, "out=y jobs=0 file:a.pdf"}, // the last one counts
        {{"-o=x", "a.pdf"}, "out==x jobs=0 file:a.pdf"},              // a short option's value is the rest
        {{"-o", "-", "a.pdf"}, "out=stdout jobs=0 file:a.pdf"},
        {{"-o-", "-o", "x", "a.pdf"}, "out=x jobs=0 file:a.pdf"},
        {{"-o", "./-", "a.pdf"}, "out=./- jobs=0 file:a.pdf"},
    };
    for (const Case& c : cases) {
        const ParseResult r = ParseCommandLine(c.args);
        ASSERT_TRUE(r.options) << c.expected << ": " << r.error;
        EXPECT_EQ(r.options->action, Action::Convert);
        EXPECT_EQ(Describe(*r.options), c.expected);
    }
}

TEST(CliOptions, UsageErrorsNameTheProblem) {
    struct Case {
        std::vector<std::string> args;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {{}, "no PDF files"},
        {{"-q"}, "no PDF files"},
        {{"-o"}, "-o needs a directory"},
        {{"a.pdf", "-j"}, "-j needs a number"},
        {{"-j", "0", "a.pdf"}, "at least 1"},
        {{"-j", "two", "a.pdf"}, "'two'"},
        {{"-j", "3x", "a.pdf"}, "'3x'"},
        {{"-j", "-1", "a.pdf"}, "'-1'"},
        {{"-j=2", "a.pdf"}, "'=2'"},
        {{"--files-from"}, "needs a list file"},
        {{"--frobnicate", "a.pdf"}, "unknown option '--frobnicate'"},
        {{"--update", "-o", "-", "a.pdf"}, "--update needs an output directory"},
        {{"-x", "a.pdf"}, "unknown option '-x'"},
    };
    for (const Case& c : cases) {
        const ParseResult r = ParseCommandLine(c.args);
        EXPECT_FALSE(r.options) << c.errorPart;
        EXPECT_NE(r.error.find(c.errorPart), std::string::npos) << "error '" << r.error << "'";
    }
}

TEST(CliOptions, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(ParseCommandLine({"--help"}).options->action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-j", "4", "-h"}).options->action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).options->action, Action::Version);
    EXPECT_NE(
        UsageText().find("pagewright-cli [-o DIR|-] [-j N] [-q] [--update] [--files-from LIST] FILE..."),
        std::string::npos);
}

TEST(CliOptions, ListsExpandInCommandLineOrder) {
    TempDir dir;
    WriteBytes(dir / "list.txt", "one.pdf\r\n\r\ntwo words.pdf\nthree.pdf");
    std::istringstream in("from stdin.pdf\n\nsecond.pdf\n");
    std::string error;
    const auto paths = ExpandInputs(
        {{"first.pdf", false}, {(dir / "list.txt").string(), true}, {"-", true}, {"last.pdf", false}}, in,
        error);
    ASSERT_TRUE(paths) << error;
    EXPECT_EQ(*paths, (std::vector<std::string>{"first.pdf", "one.pdf", "two words.pdf", "three.pdf",
                                                "from stdin.pdf", "second.pdf", "last.pdf"}));
}

TEST(CliOptions, AnEndlessListLineIsCut) {
    std::istringstream in("ok.pdf\n" + std::string(200000, 'y'));
    std::string error;
    const auto paths = ExpandInputs({{"-", true}}, in, error);
    ASSERT_TRUE(paths) << error;
    ASSERT_EQ(paths->size(), 2u);
    EXPECT_EQ((*paths)[0], "ok.pdf");
    EXPECT_EQ((*paths)[1], std::string(64 * 1024, 'y'));
}

// A stream whose reads fail, as a closed standard input does.
class FailingBuffer : public std::streambuf {
protected:
    int_type underflow() override { throw std::system_error(EBADF, std::generic_category()); }
};

TEST(CliOptions, UnreadableListIsAnErrorNeverAnEmptyList) {
    TempDir dir;
    std::istringstream empty;
    std::string error;
    EXPECT_FALSE(ExpandInputs({{(dir / "none.txt").string(), true}}, empty, error));
    EXPECT_EQ(error, "cannot read the list '" + (dir / "none.txt").string() + "': No such file or directory");
    EXPECT_FALSE(ExpandInputs({{dir.Path().string(), true}}, empty, error));
    EXPECT_EQ(error, "cannot read the list '" + dir.Path().string() + "': Is a directory");

    FailingBuffer failing;
    std::istream in(&failing);
    EXPECT_FALSE(ExpandInputs({{"-", true}}, in, error));
    EXPECT_EQ(error, "cannot read the list from standard input: Bad file descriptor");
}

} // namespace

namespace {

TEST(TerminalText, ControlBytesAndBrokenUtf8AreEscaped) {
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"plain/path name.pdf", "plain/path name.pdf"},
        {"C:\\docs\\a.pdf", "C:\\docs\\a.pdf"},
        {"zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80", "zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\x1B]0;title\a\x1B[2J", "\\x1B]0;title\\x07\\x1B[2J"},
        {"tab\there\r\nnext", "tab\\there\\r\\nnext"},
        {std::string("nul\0byte", 8), "nul\\x00byte"},
        {"del\x7F", "del\\x7F"},
        {"raw C1 \x9B"
         "1m",
         "raw C1 \\x9B1m"},
        {"UTF-8 C1 \xC2\x9B"
         "1m",
         "UTF-8 C1 \\u009B1m"},
        {"cut \xE2\x82", "cut \\xE2\\x82"},
        {"overlong \xC0\xAF", "overlong \\xC0\\xAF"},
        {"surrogate \xED\xA0\x80", "surrogate \\xED\\xA0\\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pagewright::cli::ForTerminal(c.in), c.out) << c.out;
}

} // namespace
