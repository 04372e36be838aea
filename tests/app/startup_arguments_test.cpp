#include "app/startup_arguments.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QUrl>

#include <vector>

namespace {

TEST(StartupArguments, FilesOptionsAndErrors) {
    using A = StartupArguments::Action;
    struct Case {
        QStringList args;
        A action;
        QStringList files;
    };
#ifdef Q_OS_WIN
    const QString root = "C:";
#else
    const QString root;
#endif
    const QString cwd = root + "/home/me/docs";
    const std::vector<Case> cases = {
        {{"a.pdf", root + "/tmp/../b.pdf", QUrl::fromLocalFile(root + "/x/My File.pdf").toString()},
         A::Run,
         {cwd + "/a.pdf", root + "/b.pdf", root + "/x/My File.pdf"}},
        {{"--", "-x.pdf", "--help"}, A::Run, {cwd + "/-x.pdf", cwd + "/--help"}},
        {{"a.pdf", "--version"}, A::Version, {}},
        {{"--frobnicate", "a.pdf"}, A::Error, {}},
    };
    for (const Case& c : cases) {
        const StartupArguments parsed = ParseStartupArguments(c.args, cwd);
        EXPECT_EQ(parsed.action, c.action) << c.args.join(' ').toStdString();
        QStringList files;
        for (const QString& file : c.files)
            files << QDir::toNativeSeparators(file);
        EXPECT_EQ(parsed.files, files) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(ParseStartupArguments({"--frobnicate"}, cwd).error, "unknown option '--frobnicate'");
}

} // namespace
