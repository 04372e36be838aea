// Fuzz target for the settings file's text: reading any file, and writing a key into it. What was
// written must read back exactly, and no other key may change.
//
// Input: the file's bytes, then NUL-separated the section, key and value to write and a section and
// key to look at before and after.

#include "platform/ini_text.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "ini text: %s\n", what);
        std::abort();
    }
}

bool SameName(const QString& a, const QString& b) {
    return QString::compare(a.trimmed(), b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> parts = input.split('\0');
    const QByteArray& text = parts[0];
    const auto part = [&](qsizetype i) { return i < parts.size() ? QString::fromUtf8(parts[i]) : QString(); };
    const QString section = part(1);
    const QString key = part(2);
    const QString value = part(3);
    const QString otherSection = part(4);
    const QString otherKey = part(5);

    const std::optional<QString> before = ini::FindValue(text, otherSection, otherKey);
    const std::optional<QByteArray> written = ini::WithValue(text, section, key, value);
    if (!ini::CanStore(section, key, value))
        Require(!written, "a refused name or value was written");
    if (!written)
        return 0;
    Require(ini::FindValue(*written, section, key) == value, "the value does not read back as written");
    // Compared as the store compares names; the probe is another key unless both names match.
    if (!(SameName(otherSection, section) && SameName(otherKey, key)))
        Require(ini::FindValue(*written, otherSection, otherKey) == before, "another key changed");
    Require(ini::WithValue(*written, section, key, value) == written,
            "writing the same value again changed the file");
    return 0;
}
