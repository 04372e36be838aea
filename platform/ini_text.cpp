#include "platform/ini_text.h"

#include <QByteArrayView>

#include <cstddef>
#include <vector>

namespace ini {

namespace {

struct Line {
    qsizetype begin;
    qsizetype contentEnd; // where the line break starts
    qsizetype end;        // after the line break
};

// A key line without '=' names its key but gives it no value.
enum class Kind { Other, Section, Key, KeyWithoutValue };

struct ParsedLine {
    Kind kind = Kind::Other;
    QByteArrayView name;
    QByteArrayView value;
};

// Where a key is, or where it would go.
struct Place {
    std::optional<std::size_t> keyLine;
    QByteArrayView keyName;
    std::optional<QByteArrayView> value;          // none for a key line without '='
    std::optional<std::size_t> lastLineOfSection; // of the first section with the wanted name
};

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView Trimmed(QByteArrayView v) {
    while (!v.isEmpty() && IsBlank(static_cast<unsigned char>(v.front())))
        v = v.sliced(1);
    while (!v.isEmpty() && IsBlank(static_cast<unsigned char>(v.back())))
        v.chop(1);
    return v;
}

QString Trimmed(const QString& s) {
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && IsBlank(s[from].unicode()))
        ++from;
    while (to > from && IsBlank(s[to - 1].unicode()))
        --to;
    return s.sliced(from, to - from);
}

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// Lines end with LF, CR LF or a CR alone.
std::vector<Line> SplitLines(const QByteArray& text) {
    std::vector<Line> lines;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype contentEnd = pos;
        while (contentEnd < text.size() && !IsLineBreak(text[contentEnd]))
            ++contentEnd;
        qsizetype end = contentEnd;
        if (end < text.size())
            end += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
        lines.push_back({pos, contentEnd, end});
        pos = end;
    }
    return lines;
}

ParsedLine Parse(QByteArrayView content) {
    content = Trimmed(content);
    if (content.startsWith('[')) {
        const qsizetype close = content.indexOf(']');
        if (close < 0)
            return {};
        return {Kind::Section, Trimmed(content.sliced(1, close - 1)), {}};
    }
    if (content.isEmpty() || content.startsWith(';'))
        return {};
    const qsizetype eq = content.indexOf('=');
    if (eq < 0)
        return {Kind::KeyWithoutValue, content, {}};
    return {Kind::Key, Trimmed(content.first(eq)), Trimmed(content.sliced(eq + 1))};
}

// Windows-1252 for 0x80 to 0x9F; the five bytes it leaves undefined stand for the C1 controls, as
// the Windows conversion has it. From 0xA0 on it is Latin-1.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// UTF-8 when the bytes are valid UTF-8; otherwise the file was saved in the Windows code page, as
// an editor on Windows does, and the bytes are read as Windows-1252 throughout.
QString Decoded(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte));
    }
    return text;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// A value wrapped in one matching pair of quotes reads without them ("C:\My Docs" or 'x').
QByteArrayView Unquoted(QByteArrayView value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// The value as it is written: in double quotes when the reading would otherwise take something off,
// that is blanks around it or a pair of quotes around it.
QByteArray Quoted(const QString& value) {
    const QByteArray bytes = value.toUtf8();
    const bool needsQuotes = !bytes.isEmpty() && (IsBlank(static_cast<unsigned char>(bytes.front())) ||
                                                  IsBlank(static_cast<unsigned char>(bytes.back())) ||
                                                  Unquoted(bytes).size() != bytes.size());
    return needsQuotes ? '"' + bytes + '"' : bytes;
}

bool SameName(QByteArrayView stored, const QString& wanted) {
    return QString::compare(Decoded(stored), wanted, Qt::CaseInsensitive) == 0;
}

Place Locate(const QByteArray& text, const std::vector<Line>& lines, const QString& section,
             const QString& key) {
    Place place;
    bool inWantedSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QByteArrayView content(text.constData() + lines[i].begin, lines[i].contentEnd - lines[i].begin);
        if (i == 0 && content.startsWith(kUtf8Bom))
            content = content.sliced(kUtf8Bom.size());
        const ParsedLine parsed = Parse(content);
        if (parsed.kind == Kind::Section) {
            // The wanted section ends here; a later one of the same name is never looked at.
            if (place.lastLineOfSection)
                return place;
            inWantedSection = SameName(parsed.name, section);
            if (inWantedSection)
                place.lastLineOfSection = i;
            continue;
        }
        if (!inWantedSection)
            continue;
        if (!Trimmed(content).isEmpty())
            place.lastLineOfSection = i;
        if ((parsed.kind == Kind::Key || parsed.kind == Kind::KeyWithoutValue) &&
            SameName(parsed.name, key)) {
            place.keyLine = i;
            place.keyName = parsed.name;
            if (parsed.kind == Kind::Key)
                place.value = parsed.value;
            return place;
        }
    }
    return place;
}

QByteArray LineEnding(const QByteArray& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            return "\n";
        if (text[i] == '\r')
            return i + 1 < text.size() && text[i + 1] == '\n' ? "\r\n" : "\r";
    }
    return "\n";
}

bool HasLineBreakOrNul(const QString& s) {
    return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(u'\0'));
}

} // namespace

std::optional<QString> FindValue(const QByteArray& text, const QString& section, const QString& key) {
    const Place place = Locate(text, SplitLines(text), Trimmed(section), Trimmed(key));
    if (!place.value)
        return std::nullopt;
    return Decoded(Unquoted(*place.value));
}

bool CanStore(const QString& section, const QString& key, const QString& value) {
    const QString s = Trimmed(section);
    const QString k = Trimmed(key);
    if (s.isEmpty() || k.isEmpty())
        return false;
    if (HasLineBreakOrNul(s) || HasLineBreakOrNul(k) || HasLineBreakOrNul(value))
        return false;
    return !s.contains(u']') && !k.contains(u'=') && !k.startsWith(u'[') && !k.startsWith(u';');
}

namespace {

QByteArray UpdatedText(const QByteArray& text, const QString& section, const QString& key,
                       const QString& value) {
    const QString sectionName = Trimmed(section);
    const QString keyName = Trimmed(key);
    const std::vector<Line> lines = SplitLines(text);
    const Place place = Locate(text, lines, sectionName, keyName);
    const QByteArray eol = LineEnding(text);
    QByteArray out = text;

    if (place.keyLine) {
        // The key keeps the spelling it has in the file; a key line without '=' is filled in.
        const Line& line = lines[*place.keyLine];
        const QByteArray rewritten = place.keyName.toByteArray() + '=' + Quoted(value);
        out.replace(line.begin, line.contentEnd - line.begin, rewritten);
        return out;
    }

    const QByteArray keyLine = keyName.toUtf8() + '=' + Quoted(value) + eol;
    if (place.lastLineOfSection) {
        const Line& line = lines[*place.lastLineOfSection];
        const QByteArray breakFirst = line.end == line.contentEnd ? eol : QByteArray();
        out.insert(line.end, breakFirst + keyLine);
        return out;
    }

    if (!out.isEmpty() && !out.endsWith('\n'))
        out += eol;
    out += '[' + sectionName.toUtf8() + ']' + eol + keyLine;
    return out;
}

} // namespace

std::optional<QByteArray> WithValue(const QByteArray& text, const QString& section, const QString& key,
                                    const QString& value) {
    if (!CanStore(section, key, value))
        return std::nullopt;
    QByteArray out = UpdatedText(text, section, key, value);
    // What the reading would change is not written: a leading U+FEFF (taken for a byte order mark),
    // text that is not valid Unicode.
    if (FindValue(out, section, key) != value)
        return std::nullopt;
    return out;
}

} // namespace ini
