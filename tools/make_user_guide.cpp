// Makes the user guide at build time from the README: its introduction and the named sections, as
// one HTML page (tools/user_guide.h). Also writes a Makefile-style list of the files the page was
// made from, so that the build makes it again when one of them changes. Fails, naming the reason,
// when a section is missing or an image cannot be read.
//
// Usage: make_user_guide README.md OUTPUT.html DEPFILE TITLE SECTION...

#include "tools/user_guide.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "make_user_guide: %s\n", message.toLocal8Bit().constData());
    return 1;
}

// A name in a Makefile rule: blanks, "#" and "$" escaped.
QString MakeName(QString name) {
    name.replace(QLatin1Char('$'), QStringLiteral("$$"));
    name.replace(QLatin1Char(' '), QStringLiteral("\\ "));
    name.replace(QLatin1Char('#'), QStringLiteral("\\#"));
    return name;
}

bool WriteWhole(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: make_user_guide README.md OUTPUT.html DEPFILE TITLE SECTION...\n", stderr);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString depfile = QString::fromLocal8Bit(argv[3]);
    const QString title = QString::fromLocal8Bit(argv[4]);
    QStringList sections;
    for (int i = 5; i < argc; ++i)
        sections << QString::fromLocal8Bit(argv[i]);

    QFile readme(source);
    if (!readme.open(QIODevice::ReadOnly))
        return Fail(source + QStringLiteral(": ") + readme.errorString());
    QStringList missing;
    const QString markdown = PickSections(QString::fromUtf8(readme.readAll()), sections, &missing);
    if (!missing.isEmpty())
        return Fail(source + QStringLiteral(" has no section \"") + missing.join(QStringLiteral("\", \"")) +
                    QStringLiteral("\""));
    const UserGuide guide = MakeUserGuide(markdown, QFileInfo(source).absoluteDir(), title);
    if (!guide.error.isEmpty())
        return Fail(guide.error);

    QString error;
    QString depends = MakeName(output) + QStringLiteral(":");
    for (const QString& file : QStringList{QFileInfo(source).absoluteFilePath()} + guide.files)
        depends += QStringLiteral(" ") + MakeName(QFileInfo(file).absoluteFilePath());
    if (!WriteWhole(output, guide.html.toUtf8(), &error) ||
        !WriteWhole(depfile, (depends + QStringLiteral("\n")).toUtf8(), &error))
        return Fail(error);
    return 0;
}
