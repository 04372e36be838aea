#pragma once

#include <QString>

#include <utility>

// The longest value that reads back whole: the Windows functions read into 260 units, the last of
// them the terminator.
inline constexpr qsizetype kProfileValueMaxLength = 259;

// The outcome of a write. When the value was not written, `reason` says why in a few words, for a
// message that names the file ("the file is read-only").
struct [[nodiscard]] ProfileWriteResult {
    bool written = false;
    QString reason;

    explicit operator bool() const { return written; }
    static ProfileWriteResult Written() { return {true, {}}; }
    static ProfileWriteResult Failed(QString reason) { return {false, std::move(reason)}; }
};

// The private-profile (ini) store: one file, sections in square brackets, "key=value" lines.
// Section and key names match without regard to case. Every call opens the file, reads or changes
// one key, and closes it again; nothing is kept in memory between calls.
class IProfileStore {
public:
    virtual ~IProfileStore() = default;

    // The stored value of `key` in `section`, cut to its first 259 characters, or `defaultValue`
    // when the file, the section or the key is missing. A key present with an empty value reads as
    // empty, not as the default.
    virtual QString ReadString(const QString& section, const QString& key,
                               const QString& defaultValue) const = 0;

    // Stores `value`: replaces the key's line in place, or adds the key at the end of its section,
    // or adds the section (and the file) at the end when missing. Every other line of the file is
    // left as it was. Not written, with the reason, when the file could not be written.
    virtual ProfileWriteResult WriteString(const QString& section, const QString& key,
                                           const QString& value) = 0;

    // The settings file, as a message names it to the user.
    virtual QString FilePath() const = 0;
};
