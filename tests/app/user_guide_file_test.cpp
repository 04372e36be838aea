#include "app/user_guide_file.h"

#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(UserGuideFile, BesideTheProgramElseInTheDataFoldersElseWhereItBelongs) {
    // The build puts the guide where the installation does, relative to the program: these tests
    // are a program of the build tree.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString built = UserGuideFile(programFolder);
    EXPECT_TRUE(QFileInfo(built).isFile()) << built.toStdString();
    EXPECT_TRUE(built.endsWith("/pagewright/user-guide.html")) << built.toStdString();

    TempDir dir;
    const QString moved = QString::fromStdString((dir / "moved" / "bin").string());
    QDir().mkpath(moved);
    const QString data = QString::fromStdString((dir / "data").string());
    QDir().mkpath(data + "/pagewright");
    const ScopedEnv home("XDG_DATA_HOME", QByteArray::fromStdString((dir / "home").string()));
    const ScopedEnv dirs("XDG_DATA_DIRS",
                         QByteArray::fromStdString((dir / "none").string()) + ":" + data.toUtf8());
    const QString beside = QDir::cleanPath(moved + "/" + QDir(programFolder).relativeFilePath(built));
    EXPECT_EQ(UserGuideFile(moved), beside) << "nowhere: where it belongs";
    WriteBytes((dir / "data" / "pagewright" / "user-guide.html"), "<p>guide</p>");
    EXPECT_EQ(UserGuideFile(moved), data + "/pagewright/user-guide.html") << "in a data folder";
    QDir().mkpath(QFileInfo(beside).path());
    WriteBytes(beside.toStdString(), "<p>guide</p>");
    EXPECT_EQ(UserGuideFile(moved), beside) << "beside the program first";
}

} // namespace
