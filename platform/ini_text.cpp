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

enum class Kind { Other, Section, Key };

struct ParsedLine {
    Kind kind = Kind::Other;
    QByteArrayView name;
    QByteArrayView value;
};

// Where a key is, or where it would go.
struct Place {
    std::optional<std::size_t> keyLine;
    QByteArrayView keyName;
    QByteArrayView value;
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

std::vector<Line> SplitLines(const QByteArray& text) {
    std::vector<Line> lines;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype lf = text.indexOf('\n', pos);
        if (lf < 0) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        const qsizetype contentEnd = lf > pos && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({pos, contentEnd, lf + 1});
        pos = lf + 1;
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
    if (content.startsWith(';'))
        return {};
    const qsizetype eq = content.indexOf('=');
    if (eq < 0)
        return {};
    return {Kind::Key, Trimmed(content.first(eq)), Trimmed(content.sliced(eq + 1))};
}

bool SameName(QByteArrayView stored, const QString& wanted) {
    return QString::compare(QString::fromUtf8(stored), wanted, Qt::CaseInsensitive) == 0;
}

Place Locate(const QByteArray& text, const std::vector<Line>& lines, const QString& section,
             const QString& key) {
    Place place;
    bool inWantedSection = false;
    bool inFirstWantedSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QByteArrayView content(text.constData() + lines[i].begin, lines[i].contentEnd - lines[i].begin);
        if (i == 0 && content.startsWith(kUtf8Bom))
            content = content.sliced(kUtf8Bom.size());
        const ParsedLine parsed = Parse(content);
        if (parsed.kind == Kind::Section) {
            inWantedSection = SameName(parsed.name, section);
            inFirstWantedSection = inWantedSection && !place.lastLineOfSection;
            if (inFirstWantedSection)
                place.lastLineOfSection = i;
            continue;
        }
        if (inFirstWantedSection && !Trimmed(content).isEmpty())
            place.lastLineOfSection = i;
        if (inWantedSection && parsed.kind == Kind::Key && SameName(parsed.name, key)) {
            place.keyLine = i;
            place.keyName = parsed.name;
            place.value = parsed.value;
            return place;
        }
    }
    return place;
}

QByteArray LineEnding(const QByteArray& text) {
    const qsizetype lf = text.indexOf('\n');
    return lf > 0 && text[lf - 1] == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

bool HasLineBreakOrNul(const QString& s) {
    return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(u'\0'));
}

} // namespace

std::optional<QString> FindValue(const QByteArray& text, const QString& section, const QString& key) {
    const Place place = Locate(text, SplitLines(text), Trimmed(section), Trimmed(key));
    if (!place.keyLine)
        return std::nullopt;
    return QString::fromUtf8(place.value);
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
        // The key keeps the spelling it has in the file.
        const Line& line = lines[*place.keyLine];
        const QByteArray rewritten = place.keyName.toByteArray() + '=' + value.toUtf8();
        out.replace(line.begin, line.contentEnd - line.begin, rewritten);
        return out;
    }

    const QByteArray keyLine = keyName.toUtf8() + '=' + value.toUtf8() + eol;
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
    // blanks around the value, text that is not valid Unicode.
    if (FindValue(out, section, key) != value)
        return std::nullopt;
    return out;
}

} // namespace ini
