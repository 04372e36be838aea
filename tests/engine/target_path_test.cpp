#include "engine/target_path.h"

#include "engine/os_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TargetCase {
    std::string source;
    std::string outputDirectory;
    std::string expected;
};

TEST(TargetPath, WindowsStyle) {
    const std::vector<TargetCase> cases = {
        {"C:\\docs\\report.pdf", "D:\\out", "D:\\out\\report.txt"},
        {"C:\\docs\\a.b.pdf", "D:\\out", "D:\\out\\a.b.txt"},
        {"C:\\docs\\a.b.pdf", "D:\\out\\", "D:\\out\\\\a.b.txt"},  // a trailing separator doubles
        {"C:\\docs\\README", "D:\\out", "D:\\out\\README.txt"},    // no dot: .txt appended
        {"C:\\my.docs\\README", "D:\\out", "D:\\out\\README.txt"}, // a dot in a folder is ignored
        {"C:/docs/report.PDF", "D:\\out", "D:\\out\\report.txt"},  // "/" separates too
        {"report.pdf", "D:\\out", "D:\\out\\report.txt"},
        {"C:\\docs\\report.pdf", "", "\\report.txt"},
        {"C:\\docs\\.pdf", "D:\\out", "D:\\out\\.txt"},
        {"C:report.pdf", "D:\\out", "D:\\out\\report.txt"},                            // drive-relative
        {"\\\\server\\share\\docs\\a.pdf", "\\\\nas\\texts", "\\\\nas\\texts\\a.txt"}, // UNC
        {"\\\\?\\C:\\docs\\a.pdf", "\\\\?\\D:\\out", "\\\\?\\D:\\out\\a.txt"},         // extended-length
    };
    for (const TargetCase& c : cases)
        EXPECT_EQ(MakeTargetPath(c.source, c.outputDirectory, PathStyle::Windows), c.expected) << c.source;
}

TEST(TargetPath, PosixStyle) {
    const std::vector<TargetCase> cases = {
        {"/home/ann/docs/report.pdf", "/home/ann/out", "/home/ann/out/report.txt"},
        {"/home/ann/docs/a.b.pdf", "/tmp/", "/tmp//a.b.txt"},
        {"/home/ann/my.docs/README", "/out", "/out/README.txt"},
        {"/home/ann/back\\slash.pdf", "/out", "/out/back\\slash.txt"}, // "\" is an ordinary character here
        {"relative.pdf", ".", "./relative.txt"},
        {"/docs/rapport d'\xC3\xA9t\xC3\xA9.pdf", "/out", "/out/rapport d'\xC3\xA9t\xC3\xA9.txt"},
    };
    for (const TargetCase& c : cases)
        EXPECT_EQ(MakeTargetPath(c.source, c.outputDirectory, PathStyle::Posix), c.expected) << c.source;
}

TEST(TargetPath, Utf16GivesTheSameResult) {
    EXPECT_EQ(MakeTargetPath(u"C:\\d\u00e9j\u00e0\\r\u00e9sum\u00e9.pdf", u"D:\\out", PathStyle::Windows),
              u"D:\\out\\r\u00e9sum\u00e9.txt");
    EXPECT_EQ(MakeTargetPath(u"/a.b/c", u"/o", PathStyle::Posix), u"/o/c.txt");
}

TEST(TargetPath, NativeStyleFollowsThePlatform) {
#ifdef _WIN32
    EXPECT_EQ(MakeTargetPath("C:\\docs\\x.pdf", "D:\\out"), "D:\\out\\x.txt");
#else
    EXPECT_EQ(MakeTargetPath("/docs/x.pdf", "/out"), "/out/x.txt");
    EXPECT_EQ(MakeTargetPath("C:\\docs\\x.pdf", "/out"), "/out/C:\\docs\\x.txt");
#endif
}

TEST(TargetPath, SameJobWhenTheKeysAreEqual) {
    struct Case {
        std::string a;
        std::string b;
        PathStyle style;
        bool same;
    };
    const std::vector<Case> cases = {
        {"C:\\Docs\\A.PDF", "c:\\docs\\a.pdf", PathStyle::Windows, true},
        {"C:\\Docs\\A.PDF", "c:\\docs\\a.pdf", PathStyle::Posix, false},
        {"/docs/a.pdf", "/docs/a.pdf", PathStyle::Posix, true},
        {"/docs/\xC3\x89t\xC3\xA9.pdf", "/docs/\xC3\xA9t\xC3\xA9.pdf", PathStyle::Windows,
         false},                                                         // ASCII only
        {"C:\\docs\\a.pdf", "C:/docs/a.pdf", PathStyle::Windows, false}, // compared as written
        {std::string(1100, 'n') + "a", std::string(1100, 'n') + "b", PathStyle::Windows, false}, // whole path
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JobPathKey(c.a, c.style) == JobPathKey(c.b, c.style), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(JobPathKey(std::u16string(c.a.begin(), c.a.end()), c.style) ==
                      JobPathKey(std::u16string(c.b.begin(), c.b.end()), c.style),
                  c.same)
            << c.a;
    }
}

// Names reach the file functions as the user wrote them, and long ones whole.
TEST(OsPaths, Utf8RoundTripAndTheExtendedLengthForm) {
    for (const std::string name : {"plain.pdf", "r\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x84.pdf", ""})
        EXPECT_EQ(PathToUtf8(PathFromUtf8(name)), name);
    const std::string folder(250, 'f');
#ifdef _WIN32
    EXPECT_EQ(PathFromUtf8("\xC3\xA9.pdf").native(), L"\u00e9.pdf");
    struct Case {
        std::wstring in;
        std::wstring out;
    };
    const std::wstring longName(250, L'f');
    const std::vector<Case> cases = {
        {L"C:\\short\\a.pdf", L"C:\\short\\a.pdf"},                                // short enough: as it is
        {L"C:\\" + longName + L"\\a.pdf", L"\\\\?\\C:\\" + longName + L"\\a.pdf"}, // prefixed
        {L"C:/x/../" + longName + L"/./a.pdf", L"\\\\?\\C:\\" + longName + L"\\a.pdf"}, // cleaned first
        {L"\\\\srv\\share\\" + longName, L"\\\\?\\UNC\\srv\\share\\" + longName},       // UNC
        {L"\\\\?\\C:\\" + longName, L"\\\\?\\C:\\" + longName},                         // already whole
    };
    for (const Case& c : cases)
        EXPECT_EQ(OsPath(c.in).native(), c.out);
    const std::wstring relative = OsPath(longName + L"\\a.pdf").native();
    EXPECT_EQ(relative.rfind(L"\\\\?\\", 0), 0u) << "a long relative path is made absolute";
#else
    EXPECT_EQ(OsPath("/" + folder + "/a.pdf").native(), "/" + folder + "/a.pdf");
#endif
}

} // namespace
