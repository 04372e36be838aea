#include "controls/menu/menu_template.h"

#include <utility>

namespace {

class TemplateReader {
public:
    explicit TemplateReader(QByteArrayView bytes) : m_bytes(bytes) {}

    std::optional<std::vector<MenuTemplateItem>> Read() {
        const std::optional<unsigned> version = Word();
        const std::optional<unsigned> offset = Word();
        if (!version || !offset || *version != 0)
            return std::nullopt;
        m_at += *offset;
        return Level(0);
    }

private:
    std::optional<unsigned> Word() {
        if (m_at + 2 > m_bytes.size())
            return std::nullopt;
        const auto low = static_cast<unsigned char>(m_bytes[m_at]);
        const auto high = static_cast<unsigned char>(m_bytes[m_at + 1]);
        m_at += 2;
        return low | (high << 8);
    }

    std::optional<QString> Text() {
        QString text;
        for (;;) {
            const std::optional<unsigned> unit = Word();
            if (!unit)
                return std::nullopt;
            if (*unit == 0)
                return text;
            text += QChar(static_cast<char16_t>(*unit));
        }
    }

    std::optional<std::vector<MenuTemplateItem>> Level(int depth) {
        if (depth >= kMaxMenuTemplateDepth)
            return std::nullopt;
        std::vector<MenuTemplateItem> items;
        for (;;) {
            const std::optional<unsigned> flags = Word();
            if (!flags)
                return std::nullopt;
            MenuTemplateItem item;
            item.flags = *flags & ~static_cast<unsigned>(MenuEnd);
            if (!(*flags & MenuPopup)) {
                const std::optional<unsigned> id = Word();
                if (!id)
                    return std::nullopt;
                item.id = *id;
            }
            std::optional<QString> text = Text();
            if (!text)
                return std::nullopt;
            item.text = std::move(*text);
            if (*flags & MenuPopup) {
                std::optional<std::vector<MenuTemplateItem>> children = Level(depth + 1);
                if (!children)
                    return std::nullopt;
                item.children = std::move(*children);
            }
            items.push_back(std::move(item));
            if (*flags & MenuEnd)
                return items;
        }
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

} // namespace

std::optional<std::vector<MenuTemplateItem>> ParseMenuTemplate(QByteArrayView bytes) {
    return TemplateReader(bytes).Read();
}
