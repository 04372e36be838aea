#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The private-profile (ini) format on the bytes of a whole file, UTF-8 text.
//
// Read as the Windows private-profile functions read a file. A line whose first non-blank character is
// '[' and that holds a ']' starts a section named by the text between them. A line that starts with
// ';' is a comment. Any other line with an '=' is a key: the name before the first '=', the value
// after it. Any other non-blank line names a key without a value, which reads as missing. Everything
// else is junk and is kept as it is. Names and values are read without their surrounding blanks, and
// a value wrapped in one matching pair of quotes (" or ') without them; section and key names match
// without regard to case. Text is UTF-8; a name or value that is not valid UTF-8 is read as
// Windows-1252, as a file saved on Windows is. Lines end with LF, CR LF or a CR alone, and the last
// line may have no ending. When a section or key appears twice, the first one counts: a key in a
// later section of the same name is never read or written.

namespace ini {

// The value of `key` in `section`, or nothing when the section or the key is missing or the key's
// line has no '='.
std::optional<QString> FindValue(const QByteArray& text, const QString& section, const QString& key);

// True when "key=value" under "[section]" reads back as the same names: the names are not blank, and
// no line break, ']' in the section, '=' in the key, or leading '[' / ';' of the key would make the
// line mean something else.
bool CanStore(const QString& section, const QString& key, const QString& value);

// `text` with the key set to `value`. The key's line (with or without '=') is rewritten in place with
// its line ending kept; a missing key is added after the last non-blank line of its section; a missing
// section is added at the end together with the key. New lines use the file's first line ending (LF
// when it has none). A value with blanks around it, or itself wrapped in a pair of quotes, is written
// in double quotes, so that it reads back whole. Every other byte stays as it was. Nothing when
// CanStore() refuses the names or the value, or when the key would not read back from the result with
// exactly this value (FindValue): a name or value that starts with U+FEFF, text that is not valid
// Unicode.
std::optional<QByteArray> WithValue(const QByteArray& text, const QString& section, const QString& key,
                                    const QString& value);

} // namespace ini
