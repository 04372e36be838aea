#include "app/user_guide_file.h"

#include "app/build_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString UserGuideFile(const QString& programFolder) {
    const QString beside =
        QDir::cleanPath(programFolder + QLatin1Char('/') + QString::fromUtf8(kUserGuideFolderFromProgram) +
                        QLatin1Char('/') + QString::fromUtf8(kUserGuideFileName));
    if (QFileInfo(beside).isFile())
        return beside;
    const QString shared =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                               QStringLiteral("pagewright/") + QString::fromUtf8(kUserGuideFileName));
    return shared.isEmpty() ? beside : shared;
}
