#include "platform/ini_profile_store.h"

#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class IniProfileStore : public ::testing::Test {
protected:
    QString FilePath() const { return m_dir.filePath("pagewright.ini"); }
    void WriteFile(const std::string& bytes) const { WriteBytes(FilePath().toStdString(), bytes); }
    std::string FileBytes() const { return ReadBytes(FilePath().toStdString()); }

    QTemporaryDir m_dir;
};

struct ReadCase {
    const char* name;
    std::string file;
    QString section;
    QString key;
    QString expected;
};

TEST_F(IniProfileStore, ReadsTheDefaultWhenFileSectionOrKeyIsMissing) {
    CIniProfileStore store(FilePath());
    EXPECT_EQ(store.ReadString("Settings", "Out Path", "dflt"), "dflt") << "no file";
    EXPECT_FALSE(QFileInfo::exists(FilePath())) << "a read must not create the file";

    const std::vector<ReadCase> cases = {
        {"empty file", "", "Settings", "Out Path", "dflt"},
        {"other section", "[Other]\nOut Path=/x\n", "Settings", "Out Path", "dflt"},
        {"other key", "[Settings]\nFormat=2\n", "Settings", "Out Path", "dflt"},
        {"key before any section", "Out Path=/x\n[Settings]\n", "Settings", "Out Path", "dflt"},
        {"commented out", "[Settings]\n;Out Path=/x\n", "Settings", "Out Path", "dflt"},
        {"line without =", "[Settings]\nOut Path\n", "Settings", "Out Path", "dflt"},
        {"line without = before the key", "[Settings]\nout path\nOut Path=/x\n", "Settings", "Out Path",
         "dflt"},
        {"key of a second section of the name",
         "[Settings]\nA=1\n[Other]\nOut Path=/o\n[settings]\nOut Path=/x\n", "Settings", "Out Path", "dflt"},
        {"key of a later section", "[Settings]\nA=1\n[Other]\nOut Path=/x\n", "Settings", "Out Path", "dflt"},
        {"name is a prefix", "[Settings]\nOut Path2=/x\n", "Settings", "Out Path", "dflt"},
    };
    for (const ReadCase& c : cases) {
        WriteFile(c.file);
        EXPECT_EQ(store.ReadString(c.section, c.key, "dflt"), c.expected) << c.name;
    }
}

TEST_F(IniProfileStore, ReadsStoredValues) {
    const std::vector<ReadCase> cases = {
        {"exact names", "[Settings]\nOut Path=/a\n", "Settings", "Out Path", "/a"},
        {"names in other case", "[sETTINGS]\nOUT PATH=/a\n", "Settings", "Out Path", "/a"},
        {"caller's case differs", "[Settings]\nOut Path=/a\n", "settings", "out path", "/a"},
        {"blanks around everything", "  [ Settings ]  \n\t Out Path \t= /a b \t\n", "Settings", "Out Path",
         "/a b"},
        {"CR LF lines", "[Settings]\r\nOut Path=/a\r\nFormat=1\r\n", "Settings", "Out Path", "/a"},
        {"CR lines", "[Settings]\rFormat=1\rOut Path=/a\r", "Settings", "Out Path", "/a"},
        {"a lone CR ends the line", "[Settings]\nOut Path=/a\rjunk\n", "Settings", "Out Path", "/a"},
        {"last line without ending", "[Settings]\nOut Path=/a", "Settings", "Out Path", "/a"},
        {"value holding =", "[Settings]\nOut Path=a=b\n", "Settings", "Out Path", "a=b"},
        {"a pair of quotes taken off", "[Settings]\nOut Path= \"C:\\My Docs \" \n", "Settings", "Out Path",
         "C:\\My Docs "},
        {"quotes that do not pair kept", "[Settings]\nOut Path='/a\"\n", "Settings", "Out Path", "'/a\""},
        {"empty value", "[Settings]\nOut Path=\n", "Settings", "Out Path", ""},
        {"blank value", "[Settings]\nOut Path=  \t\n", "Settings", "Out Path", ""},
        {"first of two keys", "[Settings]\nOut Path=/a\nout path=/b\n", "Settings", "Out Path", "/a"},
        {"after junk and a broken header", "[Settings]\n\x01junk\n[broken\nOut Path=/a\n", "Settings",
         "Out Path", "/a"},
        {"text after the header", "[Settings] ; main\nOut Path=/a\n", "Settings", "Out Path", "/a"},
        {"byte order mark", "\xEF\xBB\xBF[Settings]\nOut Path=/a\n", "Settings", "Out Path", "/a"},
        {"UTF-8 value", "[Settings]\nOut Path=/home/zo\xC3\xAB\n", "Settings", "Out Path",
         u"/home/zo\u00EB"_qs},
        {"Windows-1252 value",
         "[Settings]\nOut Path=C:\\Donn\xE9"
         "es \x80\xC3\xAB\n",
         "Settings", "Out Path", u"C:\\Donn\u00E9es \u20AC\u00C3\u00AB"_qs},
        {"UTF-8 names in other case", "[\xC3\x89T\xC3\x89]\nCL\xC3\x89=v\n", u"\u00E9t\u00E9"_qs,
         u"cl\u00E9"_qs, "v"},
    };
    CIniProfileStore store(FilePath());
    for (const ReadCase& c : cases) {
        WriteFile(c.file);
        EXPECT_EQ(store.ReadString(c.section, c.key, "dflt"), c.expected) << c.name;
    }
}

TEST_F(IniProfileStore, ReadsAtMost259Characters) {
    struct CutCase {
        const char* name;
        QString stored;
        QString expected;
    };
    const QString emoji = u"\U0001F600"_qs; // two UTF-16 units
    const std::vector<CutCase> cases = {
        {"259 kept", QString(259, 'a'), QString(259, 'a')},
        {"260 cut", QString(260, 'b'), QString(259, 'b')},
        {"300 cut", QString(299, 'c') + 'd', QString(259, 'c')},
        {"pair across the cut dropped whole", QString(258, 'e') + emoji + "f", QString(258, 'e')},
        {"pair before the cut kept", QString(257, 'g') + emoji + "h", QString(257, 'g') + emoji},
    };
    CIniProfileStore store(FilePath());
    for (const CutCase& c : cases) {
        WriteFile("[Settings]\nOut Path=" + c.stored.toStdString() + "\n");
        EXPECT_EQ(store.ReadString("Settings", "Out Path", "dflt"), c.expected) << c.name;
    }
    QFile::remove(FilePath());
    EXPECT_EQ(store.ReadString("Settings", "Out Path", QString(300, 'x')), QString(259, 'x')) << "default";
}

struct WriteCase {
    const char* name;
    std::string before;
    std::string after;
};

TEST_F(IniProfileStore, WriteChangesOnlyTheKeysLine) {
    const std::vector<WriteCase> cases = {
        {"replace in place", "; top\n[Settings]\nOut Path=/old\nFormat=2\n",
         "; top\n[Settings]\nOut Path=/new\nFormat=2\n"},
        {"replace keeps CR LF and the key's spelling",
         "[settings]\r\n  out path = /old \r\n; note\r\nx y\r\n",
         "[settings]\r\nout path=/new\r\n; note\r\nx y\r\n"},
        {"replace in a file of mixed endings", "[A]\r\nk=1\n[Settings]\nOut Path=/old\r\nz\n",
         "[A]\r\nk=1\n[Settings]\nOut Path=/new\r\nz\n"},
        {"replace the last line without ending", "[Settings]\nOut Path=/old", "[Settings]\nOut Path=/new"},
        {"replace in the first of two sections", "[Settings]\nA=1\n[settings]\nOut Path=/old\n",
         "[Settings]\nA=1\nOut Path=/new\n[settings]\nOut Path=/old\n"},
        {"fill in a key line without =", "[Settings]\n out path \nOut Path=/old\n",
         "[Settings]\nout path=/new\nOut Path=/old\n"},
        {"replace leaves junk bytes", "\x01\xFF junk\n[Settings]\nOut Path=/old\n\xFE\n",
         "\x01\xFF junk\n[Settings]\nOut Path=/new\n\xFE\n"},
        {"append after the section's last line", "[A]\nk=1\n[Settings]\nFormat=2\n\n\n[B]\nz=3\n",
         "[A]\nk=1\n[Settings]\nFormat=2\nOut Path=/new\n\n\n[B]\nz=3\n"},
        {"append in a CR LF file", "[Settings]\r\nFormat=2\r\n\r\n[B]\r\n",
         "[Settings]\r\nFormat=2\r\nOut Path=/new\r\n\r\n[B]\r\n"},
        {"append in a CR file", "[Settings]\rFormat=2\r[B]\r", "[Settings]\rFormat=2\rOut Path=/new\r[B]\r"},
        {"append after a comment", "[Settings]\n;Out Path=/c\n[B]\n",
         "[Settings]\n;Out Path=/c\nOut Path=/new\n[B]\n"},
        {"append under a bare header", "[Settings]\n\n[B]\nz=3\n", "[Settings]\nOut Path=/new\n\n[B]\nz=3\n"},
        {"append to the first of two sections", "[Settings]\nA=1\n[settings]\nB=2\n",
         "[Settings]\nA=1\nOut Path=/new\n[settings]\nB=2\n"},
        {"append at the end without ending", "[Settings]\nFormat=2", "[Settings]\nFormat=2\nOut Path=/new\n"},
        {"new section at the end", "[A]\nk=1\n", "[A]\nk=1\n[Settings]\nOut Path=/new\n"},
        {"new section after a missing ending", "[A]\nk=1", "[A]\nk=1\n[Settings]\nOut Path=/new\n"},
        {"new section in a CR LF file", "[A]\r\nk=1\r\n", "[A]\r\nk=1\r\n[Settings]\r\nOut Path=/new\r\n"},
        {"new section in an empty file", "", "[Settings]\nOut Path=/new\n"},
        {"new section after a lone key", "Out Path=/top\n", "Out Path=/top\n[Settings]\nOut Path=/new\n"},
    };
    CIniProfileStore store(FilePath());
    for (const WriteCase& c : cases) {
        WriteFile(c.before);
        EXPECT_TRUE(store.WriteString("Settings", "Out Path", "/new")) << c.name;
        EXPECT_EQ(Visible(FileBytes()), Visible(c.after)) << c.name;
        EXPECT_EQ(store.ReadString("Settings", "Out Path", "dflt"), "/new") << c.name;
    }
}

TEST_F(IniProfileStore, WrittenValuesReadBack) {
    const struct {
        QString value;
        std::string stored; // after "Out Path="
    } cases[] = {
        {"", ""},
        {"/x", "/x"},
        {u"/home/zo\u00EB/\u30C6\u30AD"_qs, "/home/zo\xC3\xAB/\xE3\x83\x86\xE3\x82\xAD"},
        {"a=b; c", "a=b; c"},
        {QString(259, 'v'), std::string(259, 'v')},
        // What the reading would take off goes in quotes.
        {"/folder ending in a blank ", "\"/folder ending in a blank \""},
        {"\tblank first", "\"\tblank first\""},
        {"'quoted'", "\"'quoted'\""},
        {"\"", "\""},
    };
    CIniProfileStore store(FilePath());
    for (const auto& c : cases) {
        EXPECT_TRUE(store.WriteString("Settings", "Out Path", c.value)) << c.stored;
        EXPECT_EQ(Visible(FileBytes()), Visible("[Settings]\nOut Path=" + c.stored + "\n"));
        EXPECT_EQ(store.ReadString("Settings", "Out Path", "dflt"), c.value);
    }
}

TEST_F(IniProfileStore, FirstWriteCreatesTheFileAndItsFolders) {
    const QString path = m_dir.filePath("home/.config/pagewright.ini");
    CIniProfileStore store(path);
    EXPECT_TRUE(store.WriteString("Settings", "Out Path", "/new"));
    EXPECT_EQ(Visible(ReadBytes(path.toStdString())), Visible("[Settings]\nOut Path=/new\n"));
    EXPECT_EQ(QDir(m_dir.filePath("home/.config")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"pagewright.ini"});
}

TEST_F(IniProfileStore, RefusedWritesLeaveTheFileAlone) {
    struct BadCase {
        const char* name;
        QString section;
        QString key;
        QString value;
    };
    const std::vector<BadCase> cases = {
        {"line break in the value", "Settings", "Out Path", "/a\n[Evil]"},
        {"NUL in the value", "Settings", "Out Path", QString("/a") + QChar(0)},
        {"= in the key", "Settings", "Out=Path", "/a"},
        {"key read as a comment", "Settings", ";Out Path", "/a"},
        {"blank key", "Settings", "  ", "/a"},
        {"] in the section", "Set]tings", "Out Path", "/a"},
        {"blank section", "", "Out Path", "/a"},
        // What the reading would change.
        {"U+FEFF first in the value", "Settings", "Out Path", u"\uFEFF/a"_qs},
        {"U+FEFF first in the key", "Settings", u"\uFEFFOut Path"_qs, "/a"},
        {"U+FEFF first in the section", u"\uFEFFSettings"_qs, "Out Path", "/a"},
        {"half of a surrogate pair", "Settings", "Out Path", QString("/a") + QChar(0xD800)},
    };
    const std::string original = "[Settings]\nOut Path=/old\n";
    WriteFile(original);
    CIniProfileStore store(FilePath());
    for (const BadCase& c : cases) {
        EXPECT_FALSE(store.WriteString(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(Visible(FileBytes()), Visible(original)) << c.name;
    }

    const QString missing = m_dir.filePath("sub/pagewright.ini");
    CIniProfileStore fresh(missing);
    EXPECT_FALSE(fresh.WriteString("Settings", "Out Path", "/a\n"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("sub"))) << "a refused write creates nothing";
}

TEST_F(IniProfileStore, AFolderInPlaceOfTheFileIsLeftAlone) {
    ASSERT_TRUE(QDir().mkdir(FilePath()));
    CIniProfileStore store(FilePath());
    EXPECT_EQ(store.ReadString("Settings", "Out Path", "dflt"), "dflt");
    EXPECT_FALSE(store.WriteString("Settings", "Out Path", "/new"));
    EXPECT_TRUE(QFileInfo(FilePath()).isDir());
}

#ifdef Q_OS_UNIX
TEST_F(IniProfileStore, ANamedPipeInPlaceOfTheFileIsUnreadableAndNeverWaitedFor) {
    const QByteArray pipe = QFile::encodeName(FilePath());
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    CIniProfileStore store(FilePath());
    // Runs `call`; when it waits for the pipe, that is a failure, and a writer that comes and goes
    // lets it go on.
    const auto withoutWaiting = [&](auto call, const char* what) {
        auto result = std::async(std::launch::async, call);
        if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << what << " waits for a writer of the pipe";
            while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
                const int fd = open(pipe.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    close(fd);
            }
        }
        return result.get();
    };
    EXPECT_EQ(withoutWaiting([&] { return store.ReadString("Settings", "Out Path", "dflt"); }, "reading"),
              "dflt");
    EXPECT_FALSE(
        withoutWaiting([&] { return store.WriteString("Settings", "Out Path", "/new"); }, "writing"));
    EXPECT_FALSE(QFileInfo(FilePath()).isFile()) << "the pipe was replaced";
}
#endif

TEST_F(IniProfileStore, WritersInSeveralProcessesLoseNoKey) {
    constexpr int kKeys = 40;
    const QStringList prefixes = {"first", "second", "third"};
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString& prefix : prefixes) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start(PAGEWRIGHT_INI_WRITER, {FilePath(), prefix, QString::number(kKeys)});
    }
    for (const auto& writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(120000));
        EXPECT_EQ(writer->exitCode(), 0) << "a write reported failure";
    }
    CIniProfileStore store(FilePath());
    int lost = 0;
    for (const QString& prefix : prefixes)
        for (int i = 0; i < kKeys; ++i)
            lost += store.ReadString("Settings", prefix + QString::number(i), "lost") ==
                            "value " + QString::number(i)
                        ? 0
                        : 1;
    EXPECT_EQ(lost, 0) << "of " << prefixes.size() * kKeys << " keys";
    EXPECT_FALSE(QFileInfo::exists(FilePath() + ".lock"));
}

} // namespace
