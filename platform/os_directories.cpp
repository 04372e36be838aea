#include "platform/os_directories.h"

#include <QDir>
#include <QFileInfo>

bool COsDirectories::DirectoryExists(const QString& path) const {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool COsDirectories::CreateDirectory(const QString& path) {
    // QDir::mkdir makes one level only and fails when the entry exists, as the profile flows expect.
    return !path.isEmpty() && QDir().mkdir(path);
}
