#include "platform/os_directories.h"

#include "tests/support/file_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

class OsDirectories : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkdir(Path("dir")));
        WriteBytes(Path("file").toStdString(), "x");
        ASSERT_TRUE(QFile::link(Path("dir"), Path("link-to-dir")));
        ASSERT_TRUE(QFile::link(Path("file"), Path("link-to-file")));
        ASSERT_TRUE(QFile::link(Path("gone"), Path("dangling")));
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    COsDirectories m_directories;
};

TEST_F(OsDirectories, DirectoryExistsOnlyForDirectories) {
    struct Case {
        QString path;
        bool expected;
    };
    const std::vector<Case> cases = {
        {Path("dir"), true},      {Path("dir") + "/", true},     {Path("link-to-dir"), true},
        {Path("file"), false},    {Path("link-to-file"), false}, {Path("dangling"), false},
        {Path("missing"), false}, {Path("dir/missing"), false},  {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_directories.DirectoryExists(c.path), c.expected) << c.path.toStdString();
}

TEST_F(OsDirectories, CreateDirectoryMakesTheLastComponentOnly) {
    struct Case {
        QString path;
        bool expected;
        bool dirAfterwards;
    };
    const std::vector<Case> cases = {
        {Path("new"), true, true},           {Path("dir/new"), true, true},
        {Path("missing/new"), false, false}, {Path("dir"), false, true},
        {Path("file"), false, false},        {Path("link-to-dir"), false, true},
        {Path("dangling"), false, false},    {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_directories.CreateDirectory(c.path), c.expected) << c.path.toStdString();
        EXPECT_EQ(QFileInfo(c.path).isDir(), c.dirAfterwards) << c.path.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(Path("missing"))) << "the missing parent must not be made";
    EXPECT_EQ(ReadBytes(Path("file").toStdString()), "x");
}

} // namespace
