#pragma once

#include <QString>

// Directory tests and creation as the settings store needs them.
class IDirectories {
public:
    virtual ~IDirectories() = default;

    // True when an entry of exactly this path exists and is a directory.
    virtual bool DirectoryExists(const QString& path) const = 0;

    // Creates the last component of `path` only. False when the parent is missing, the entry
    // already exists, or the directory cannot be made.
    virtual bool CreateDirectory(const QString& path) = 0;
};
