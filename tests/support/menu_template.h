#pragma once

// Menu templates in the standard binary layout, written by hand for tests and tools: a header of two
// words (version 0, then the offset of the first item after the header), then the items, each a
// flags word, a command word unless it opens a popup, and its text as zero-terminated UTF-16. The
// flag 0x80 ends a level, 0x10 opens a popup whose items follow at once. Words are little-endian.

#include <QByteArray>
#include <QString>

class MenuTemplateWriter {
public:
    explicit MenuTemplateWriter(unsigned version = 0, unsigned offset = 0) {
        Word(version);
        Word(offset);
        m_bytes.append(QByteArray(static_cast<qsizetype>(offset), '\xAA'));
    }
    MenuTemplateWriter& Item(unsigned flags, unsigned id, const QString& text) {
        Word(flags);
        Word(id);
        return Text(text);
    }
    MenuTemplateWriter& Popup(unsigned flags, const QString& text) {
        Word(flags | 0x10);
        return Text(text);
    }
    const QByteArray& Bytes() const { return m_bytes; }

private:
    void Word(unsigned w) {
        m_bytes.append(static_cast<char>(w & 0xFF));
        m_bytes.append(static_cast<char>((w >> 8) & 0xFF));
    }
    MenuTemplateWriter& Text(const QString& text) {
        for (const QChar c : text)
            Word(c.unicode());
        Word(0);
        return *this;
    }

    QByteArray m_bytes;
};
