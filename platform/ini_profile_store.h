#pragma once

#include "platform/profile_store.h"

#include <QString>

#include <chrono>

// The private-profile store on a file of our own, for systems without the Windows functions.
//
// Reads of a missing or unreadable file give the default; so does anything that is not a regular
// file (a folder, a named pipe), and reading never waits. A write creates the file and its missing
// parent folders, and replaces the file as a whole (write to a temporary, then rename), so a crash
// leaves either the old or the new file, never half of one. Writes from several processes are
// serialised by a lock file beside the ini file ("pagewright.ini.lock"), so none of them loses
// another's key; a write that cannot have the lock within `lockWait` fails, so a lock held elsewhere
// (by another machine that shares the folder) stalls the caller no longer than that. A lock of a dead
// process of this machine is taken over; one of another machine never is. A file that exists but
// cannot be read is never overwritten, nor is a read-only file (no write permission for anyone). A
// write also fails, leaving the file alone, when the names or the value would not read back as
// written (see ini::WithValue). Every failure comes with its reason.
class CIniProfileStore : public IProfileStore {
public:
    // Short enough that the window does not seem to hang while it waits.
    static constexpr std::chrono::milliseconds kDefaultLockWait{200};

    explicit CIniProfileStore(QString filePath, std::chrono::milliseconds lockWait = kDefaultLockWait);

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    ProfileWriteResult WriteString(const QString& section, const QString& key, const QString& value) override;
    QString FilePath() const override;

private:
    QString m_filePath;
    std::chrono::milliseconds m_lockWait;
};
