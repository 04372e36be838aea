#include "settings/output_directory.h"

#include "platform/locations.h"
#include "platform/os_directories.h"
#include "platform/system_profile_store.h"
#include "tests/fakes/fake_platform.h"
#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scoped_env.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// A home folder of its own, with the real settings store and the real file system.
class TemporaryHome {
public:
    TemporaryHome()
        : m_home(m_root.filePath("home")), m_homeEnv("HOME", m_home.toUtf8()),
          m_configEnv(ScopedEnv::Unset("XDG_CONFIG_HOME")), m_store(MakeSystemProfileStore()) {
        QDir().mkdir(m_home);
    }

    QString Root() const { return m_root.path(); }
    QString Path(const QString& relative) const { return m_root.filePath(relative); }
    QString Fallback() const { return m_home + "/textharvest"; }
    std::string SettingsPath() const { return (m_home + "/.config/pagewright.ini").toStdString(); }
    std::optional<std::string> SettingsBytes() const {
        if (!QFileInfo::exists(QString::fromStdString(SettingsPath())))
            return std::nullopt;
        return Visible(ReadBytes(SettingsPath()));
    }
    void StoreSettings(const QString& text) const {
        QDir().mkpath(m_home + "/.config");
        WriteBytes(SettingsPath(), text.toStdString());
    }

    QString Load() {
        return LoadOutputDirectory(*m_store, m_directories, [this](const QString& s) { shown << s; });
    }

    QStringList shown;

private:
    QTemporaryDir m_root;
    QString m_home;
    ScopedEnv m_homeEnv;
    ScopedEnv m_configEnv;
    std::unique_ptr<IProfileStore> m_store;
    COsDirectories m_directories;
};

std::string SettingsHolding(const QString& outPath) {
    return Visible("[Settings]\nOut Path=" + outPath.toStdString() + "\n");
}

TEST(LoadOutputDirectory, FirstRunWithoutSettings) {
    {
        TemporaryHome home;
        EXPECT_EQ(home.Fallback(), DefaultOutputDirectory());
        EXPECT_EQ(home.Load(), home.Fallback());
        EXPECT_EQ(home.shown, QStringList{home.Fallback()});
        EXPECT_TRUE(QFileInfo(home.Fallback()).isDir());
        EXPECT_EQ(home.SettingsBytes(), std::nullopt) << "a creatable default writes nothing";
    }
    {
        TemporaryHome home;
        WriteBytes(home.Fallback().toStdString(), "in the way");
        EXPECT_EQ(home.Load(), home.Fallback());
        EXPECT_EQ(home.shown, QStringList({home.Fallback(), home.Fallback()}));
        EXPECT_EQ(home.SettingsBytes(), SettingsHolding(home.Fallback()));
        EXPECT_EQ(ReadBytes(home.Fallback().toStdString()), "in the way") << "the file in the way is kept";
    }
}

TEST(LoadOutputDirectory, StoredValues) {
    struct Case {
        const char* name;
        QString stored;     // "@" stands for the temporary root
        bool keepsStored;   // else the fallback replaces it in box and file
        bool dirAfterwards; // whether the stored path is a folder afterwards
    };
    const std::vector<Case> cases = {
        {"existing folder", "@/out", true, true},       {"last component missing", "@/out/new", true, true},
        {"parent missing", "@/gone/new", false, false}, {"names a file", "@/file.txt", false, false},
        {"present but empty", "", false, false},
    };
    for (const Case& c : cases) {
        TemporaryHome home;
        ASSERT_TRUE(QDir().mkdir(home.Path("out")));
        WriteBytes(home.Path("file.txt").toStdString(), "keep me");
        QString stored = c.stored;
        stored.replace("@", home.Root());
        const QString settings = "; mine\n[settings]\nFormat=3\nout path=" + stored + "\n";
        home.StoreSettings(settings);

        const QString expected = c.keepsStored ? stored : home.Fallback();
        EXPECT_EQ(home.Load(), expected) << c.name;
        QStringList shown{stored};
        if (!c.keepsStored)
            shown << home.Fallback();
        EXPECT_EQ(home.shown, shown) << c.name;
        const QString after =
            c.keepsStored ? settings : "; mine\n[settings]\nFormat=3\nout path=" + expected + "\n";
        EXPECT_EQ(home.SettingsBytes(), Visible(after.toStdString())) << c.name;
        EXPECT_EQ(!stored.isEmpty() && QFileInfo(stored).isDir(), c.dirAfterwards) << c.name;
        EXPECT_EQ(QFileInfo(home.Fallback()).isDir(), !c.keepsStored) << c.name;
        EXPECT_FALSE(QFileInfo::exists(home.Path("gone"))) << c.name;
        EXPECT_EQ(ReadBytes(home.Path("file.txt").toStdString()), "keep me") << c.name;
    }
}

TEST(LoadOutputDirectory, ReadDefaultAndFallbackAreDistinct) {
    const OutputDirectoryDefaults windowsForms{"C:\\textharvest", "c:\\textharvest"};
    struct Case {
        const char* name;
        bool defaultCreatable;
        bool fallbackCreatable;
        QStringList shown;
        QStringList created;
    };
    const std::vector<Case> cases = {
        {"default made", true, true, {"C:\\textharvest"}, {"C:\\textharvest"}},
        {"fallback made", false, true, {"C:\\textharvest", "c:\\textharvest"}, {"c:\\textharvest"}},
        {"fallback stored even when not made", false, false, {"C:\\textharvest", "c:\\textharvest"}, {}},
    };
    for (const Case& c : cases) {
        FakeProfileStore store;
        FakeDirectories directories;
        if (c.defaultCreatable)
            directories.creatable << windowsForms.readDefault;
        if (c.fallbackCreatable)
            directories.creatable << windowsForms.fallback;
        QStringList shown;
        const QString result = LoadOutputDirectory(
            store, directories, [&](const QString& s) { shown << s; }, windowsForms);
        EXPECT_EQ(result, c.shown.back()) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_EQ(directories.created, c.created) << c.name;
        EXPECT_EQ(store.writes, c.defaultCreatable ? 0 : 1) << c.name;
        EXPECT_EQ(store.ReadString("Settings", "Out Path", "none"),
                  c.defaultCreatable ? "none" : "c:\\textharvest")
            << c.name;
    }
}

TEST(OnBrowse, CancelChangesNothingAndAPickIsShownThenStored) {
    TemporaryHome home;
    const QString settings = "[Settings]\r\nOut Path=/old\r\nFormat=1\r\n";
    home.StoreSettings(settings);
    std::unique_ptr<IProfileStore> store = MakeSystemProfileStore();
    FakePrompts prompts;
    QStringList shown;
    QStringList storedWhenShown;
    const ShowInBox show = [&](const QString& s) {
        shown << s;
        storedWhenShown << store->ReadString("Settings", "Out Path", "none");
    };

    EXPECT_EQ(OnBrowse(prompts, *store, show), std::nullopt);
    EXPECT_EQ(shown, QStringList());
    EXPECT_EQ(home.SettingsBytes(), Visible(settings.toStdString()));

    prompts.folders.push_back("/picked folder");
    EXPECT_EQ(OnBrowse(prompts, *store, show), "/picked folder");
    EXPECT_EQ(shown, QStringList{"/picked folder"});
    EXPECT_EQ(storedWhenShown, QStringList{"/old"}) << "the box is filled before the file";
    EXPECT_EQ(home.SettingsBytes(), Visible("[Settings]\r\nOut Path=/picked folder\r\nFormat=1\r\n"));

    EXPECT_EQ(prompts.folderTitles, QStringList({"Select output file path", "Select output file path"}));
}

TEST(OnBrowse, AFolderThatCannotBeSavedIsUsedAndTheMessageSaysWhy) {
    const struct {
        const char* name;
        std::function<void(const QString& settingsFile)> spoil;
        QString reason; // "@" stands for the settings file
    } cases[] = {
        {"read-only file",
         [](const QString& file) {
             ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
         },
         "the file is read-only"},
        // Left by another machine that shares the home folder: never taken over, however old.
        {"an hour-old lock of another machine",
         [](const QString& file) {
             WriteBytes((file + ".lock").toStdString(), "4242\npagewright\nfaraway\n");
             QFile lock(file + ".lock");
             ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
             ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                          QFileDevice::FileModificationTime));
         },
         "its lock file @.lock is held by process 4242 on faraway"},
        {"folder in place of the lock",
         [](const QString& file) { ASSERT_TRUE(QDir().mkdir(file + ".lock")); },
         "its lock file @.lock is in the way"},
    };
    // A lambda per row, so that a failed assertion ends only its own row.
    const auto check = [](const auto& c) {
        SCOPED_TRACE(c.name);
        TemporaryHome home;
        home.StoreSettings("[Settings]\nOut Path=/old\n");
        const QString file = QString::fromStdString(home.SettingsPath());
        c.spoil(file);
        std::unique_ptr<IProfileStore> store = MakeSystemProfileStore();
        FakePrompts prompts;
        prompts.folders.push_back("/picked");
        QStringList shown;

        // Returns (the lock wait is bounded by the store), with the folder in use.
        EXPECT_EQ(OnBrowse(prompts, *store, [&](const QString& s) { shown << s; }), "/picked");
        EXPECT_EQ(shown, QStringList{"/picked"});
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "The output directory could not be saved in the settings file " +
                                             file + ": " + QString(c.reason).replace("@", file) +
                                             ".\n\nPagewright uses /picked until it closes.");
        EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(home.SettingsBytes(), SettingsHolding("/old"));
    };
    for (const auto& c : cases)
        check(c);
}

TEST(OnBrowse, StartsAtTheCurrentFolderAndRefusesAPathThatWouldNotReadBack) {
    FakePrompts prompts;
    FakeProfileStore store;
    QStringList shown;
    const QString current = "/current";
    const QString longest = "/" + QString(258, 'x');
    for (const QString& folder : {longest, longest + "y"})
        prompts.folders.push_back(folder);
    EXPECT_EQ(OnBrowse(
                  prompts, store, [&](const QString& s) { shown << s; }, current),
              longest);
    EXPECT_EQ(OnBrowse(
                  prompts, store, [&](const QString& s) { shown << s; }, longest),
              std::nullopt);
    EXPECT_EQ(prompts.folderStarts, QStringList({current, longest}));
    EXPECT_EQ(shown, QStringList{longest});
    EXPECT_EQ(store.ReadString("Settings", "Out Path", ""), longest) << "the current folder is kept";
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "The path of this folder is 260 characters long; the output directory can have "
              "at most 259:\n\n" +
                  longest + "y\n\nThe output directory stays " + longest + ".");
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
}

} // namespace
