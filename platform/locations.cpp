#include "platform/locations.h"

#include <QDir>
#include <QtGlobal>

namespace {

#ifndef Q_OS_WIN
QString InHome(const QString& name) {
    return QDir::cleanPath(QDir::homePath() + u'/' + name);
}
#endif

} // namespace

QString SettingsFilePath() {
#ifdef Q_OS_WIN
    return QStringLiteral("pagewright.ini");
#else
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome + u'/' + QStringLiteral("pagewright.ini"));
    return InHome(QStringLiteral(".config/pagewright.ini"));
#endif
}

QString DefaultOutputDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\textharvest");
#else
    return InHome(QStringLiteral("textharvest"));
#endif
}

QString FallbackOutputDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\textharvest");
#else
    return InHome(QStringLiteral("textharvest"));
#endif
}
