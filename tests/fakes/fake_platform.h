#pragma once

// Test doubles for the platform services: prompts answered from a queue, a shell and a browser
// launcher that record what they were asked to open, an in-memory profile store and a directory set.

#include "platform/platform_services.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

struct AskedQuestion {
    QString text;
    QString caption;
    PromptIcon icon;
    bool toAllOffered = false; // a question of a series that offered "Yes to All" and "No to All"
};

class FakePrompts : public IPrompts {
public:
    // Answers for the next questions, in order; Yes once they run out.
    std::deque<PromptAnswer> answers;
    // Called while a question is open, before it is answered (to act "during" a modal prompt).
    std::function<void(const AskedQuestion&)> whileAsking;
    std::vector<AskedQuestion> asked;
    std::vector<AskedQuestion> shown;
    // Alert sounds, and how many had sounded when each message was shown.
    std::vector<PromptIcon> beeps;
    std::vector<size_t> beepsBeforeShown;
    // What the pickers return next; empty means cancelled.
    std::deque<QStringList> pdfSelections;
    std::deque<QString> folders;
    QStringList folderTitles;
    QStringList folderStarts;
    int pdfPickerCalls = 0;

    PromptAnswer AskYesNo(const QString& text, const QString& caption, PromptIcon icon) override {
        return Ask({text, caption, icon});
    }
    PromptAnswer AskYesNoInSeries(const QString& text, const QString& caption, PromptIcon icon,
                                  bool moreFollow) override {
        return Ask({text, caption, icon, moreFollow});
    }
    PromptAnswer Ask(const AskedQuestion& question) {
        asked.push_back(question);
        if (whileAsking)
            whileAsking(asked.back());
        if (answers.empty())
            return PromptAnswer::Yes;
        const PromptAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(const QString& text, const QString& caption, PromptIcon icon) override {
        shown.push_back({text, caption, icon});
        beepsBeforeShown.push_back(beeps.size());
    }
    void Beep(PromptIcon icon) override { beeps.push_back(icon); }
    QStringList PickPdfFiles() override {
        ++pdfPickerCalls;
        if (pdfSelections.empty())
            return {};
        QStringList s = pdfSelections.front();
        pdfSelections.pop_front();
        return s;
    }
    QString PickFolder(const QString& title, const QString& startFolder) override {
        folderTitles << title;
        folderStarts << startFolder;
        if (folders.empty())
            return {};
        QString f = folders.front();
        folders.pop_front();
        return f;
    }
};

class FakeShell : public IDesktopShell {
public:
    QStringList openedFolders;
    QStringList openedAddresses;
    bool succeed = true;

    bool OpenFolder(const QString& path) override {
        openedFolders << path;
        return succeed;
    }
    bool OpenAddress(const QString& address) override {
        openedAddresses << address;
        return succeed;
    }
};

// Answers every launch with `result` (empty: no browser to try) and records the addresses; folders
// likewise with `folderResult`.
class FakeBrowserLauncher : public IBrowserLauncher {
public:
    QStringList launched;
    std::optional<int> result = 33;
    QStringList launchedFolders;
    std::optional<int> folderResult = 33;

    std::optional<int> LaunchBrowser(const QString& address) override {
        launched << address;
        return result;
    }
    std::optional<int> LaunchFileBrowser(const QString& folder) override {
        launchedFolders << folder;
        return folderResult;
    }
};

// Keys are kept as "section/key" in lower case; no file is involved. While `failure` holds a
// reason, every write fails with it and changes nothing.
class FakeProfileStore : public IProfileStore {
public:
    QMap<QString, QString> values;
    int writes = 0;
    std::optional<QString> failure;

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const override {
        return values.value(Key(section, key), defaultValue).left(259);
    }
    ProfileWriteResult WriteString(const QString& section, const QString& key,
                                   const QString& value) override {
        ++writes;
        if (failure)
            return ProfileWriteResult::Failed(*failure);
        values.insert(Key(section, key), value);
        return ProfileWriteResult::Written();
    }
    QString FilePath() const override { return QStringLiteral("/fake/pagewright.ini"); }
    static QString Key(const QString& section, const QString& key) { return (section + "/" + key).toLower(); }
};

class FakeDirectories : public IDirectories {
public:
    QSet<QString> existing;
    QSet<QString> creatable;
    QStringList created;

    bool DirectoryExists(const QString& path) const override { return existing.contains(path); }
    bool CreateDirectory(const QString& path) override {
        if (existing.contains(path) || !creatable.contains(path))
            return false;
        existing.insert(path);
        created << path;
        return true;
    }
};
