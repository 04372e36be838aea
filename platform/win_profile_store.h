#pragma once

#include "platform/profile_store.h"

// The Windows private-profile functions on the bare file name "pagewright.ini", which Windows keeps
// in the Windows directory. Built on Windows only.
class CWinProfileStore : public IProfileStore {
public:
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    ProfileWriteResult WriteString(const QString& section, const QString& key, const QString& value) override;
    // The file in the Windows directory.
    QString FilePath() const override;
};
