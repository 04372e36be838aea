#pragma once

#include "platform/profile_store.h"

#include <QString>

// The private-profile store on a file of our own, for systems without the Windows functions.
//
// Reads of a missing or unreadable file give the default; so does anything that is not a regular
// file (a folder, a named pipe), and reading never waits. A write creates the file and its missing
// parent folders, and replaces the file as a whole (write to a temporary, then rename), so a crash
// leaves either the old or the new file, never half of one. Writes from several processes are
// serialised by a lock file beside the ini file ("pagewright.ini.lock"), so none of them loses
// another's key; a write that cannot have the lock within a few seconds fails. A file that exists
// but cannot be read is never overwritten. A write also fails, leaving the file alone, when the
// names or the value would not read back as written (see ini::WithValue).
class CIniProfileStore : public IProfileStore {
public:
    explicit CIniProfileStore(QString filePath);

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    bool WriteString(const QString& section, const QString& key, const QString& value) override;

private:
    QString m_filePath;
};
