#include "batch/job_paths.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(JobPaths, SizeTextIsThousandsOfBytesTruncated) {
    const std::vector<std::pair<qint64, QString>> cases = {{0, "0kb"},        {999, "0kb"},
                                                           {1000, "1kb"},     {1999, "1kb"},
                                                           {123456, "123kb"}, {5000000000LL, "5000000kb"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(JobPaths, TargetPathUsesThePlatformRule) {
#ifdef Q_OS_WIN
    EXPECT_EQ(TargetPathFor("C:\\docs\\a.b.pdf", "D:\\out"), "D:\\out\\a.b.txt");
#else
    EXPECT_EQ(TargetPathFor("/docs/a.b.pdf", "/out"), "/out/a.b.txt");
    EXPECT_EQ(TargetPathFor("/docs/README", "/out"), "/out/README.txt");
    EXPECT_EQ(TargetPathFor(QString::fromUtf8("/d/r\xC3\xA9sum\xC3\xA9.pdf"), "/o"),
              QString::fromUtf8("/o/r\xC3\xA9sum\xC3\xA9.txt"));
#endif
}

TEST(JobPaths, TargetPathOfFileSystemPathsIsTheSameRule) {
    const QString out = QString::fromUtf8("/o\xC3\xA9/x");
    for (const QString& source :
         {QString::fromUtf8("/d/r\xC3\xA9sum\xC3\xA9.pdf"), QStringLiteral("/d.e/f"),
          QStringLiteral("a.b.pdf"), QStringLiteral("/d/.pdf"), QString(QChar(0xD800)) + ".pdf"})
        EXPECT_EQ(TargetFileSystemPath(ToFileSystemPath(source), ToFileSystemPath(out)),
                  ToFileSystemPath(TargetPathFor(source, out)))
            << source.toStdString();
}

TEST(JobPaths, DuplicateKeyFollowsTheFileSystemsCaseRule) {
#ifdef Q_OS_WIN
    EXPECT_EQ(DuplicateKey("C:\\Docs\\A.PDF"), DuplicateKey("c:\\docs\\a.pdf"));
#else
    EXPECT_NE(DuplicateKey("/docs/A.pdf"), DuplicateKey("/docs/a.pdf"));
    EXPECT_EQ(DuplicateKey("/docs/a.pdf"), DuplicateKey("/docs/a.pdf"));
#endif
}

TEST(JobPaths, FileSystemPathKeepsNonAsciiNames) {
    const QString name = QString::fromUtf8("/tmp/\xC3\xA9t\xC3\xA9.pdf");
#ifndef Q_OS_WIN
    EXPECT_EQ(ToFileSystemPath(name).native(), std::string("/tmp/\xC3\xA9t\xC3\xA9.pdf"));
#endif
}

} // namespace
