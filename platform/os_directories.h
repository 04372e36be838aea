#pragma once

#include "platform/directories.h"

// Directory tests and creation on the real file system. Relative paths are taken from the current
// directory. A symbolic link to a directory counts as a directory.
class COsDirectories : public IDirectories {
public:
    bool DirectoryExists(const QString& path) const override;
    bool CreateDirectory(const QString& path) override;
};
