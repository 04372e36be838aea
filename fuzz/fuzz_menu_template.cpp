// Fuzz target for the owner-drawn menu's template reader: any bytes are read without a fault, and a
// template that reads is one that writes back: written again in the standard layout, it reads as the
// same items.
//
// Input: the template's bytes.

#include "controls/menu/menu_template.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "menu template: %s\n", what);
        std::abort();
    }
}

void Word(QByteArray& out, unsigned word) {
    out.append(static_cast<char>(word & 0xFF));
    out.append(static_cast<char>((word >> 8) & 0xFF));
}

void Write(QByteArray& out, const std::vector<MenuTemplateItem>& level, int depth) {
    Require(!level.empty(), "a level without items");
    Require(depth < kMaxMenuTemplateDepth, "popups nested deeper than the limit");
    for (size_t i = 0; i < level.size(); ++i) {
        const MenuTemplateItem& item = level[i];
        Require(!(item.flags & MenuEnd), "the end flag kept");
        const bool popup = item.flags & MenuPopup;
        Require(popup || item.children.empty(), "children of an item that is no popup");
        Require(!popup || item.id == 0, "a popup with a command");
        Word(out, item.flags | (i + 1 == level.size() ? static_cast<unsigned>(MenuEnd) : 0u));
        if (!popup)
            Word(out, item.id);
        for (const QChar c : item.text) {
            Require(c.unicode() != 0, "a NUL inside a text");
            Word(out, c.unicode());
        }
        Word(out, 0);
        if (popup)
            Write(out, item.children, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const std::optional<std::vector<MenuTemplateItem>> items = ParseMenuTemplate(bytes);
    if (!items)
        return 0;
    QByteArray written;
    Word(written, 0);
    Word(written, 0);
    Write(written, *items, 0);
    Require(ParseMenuTemplate(written) == items, "written again, the template reads otherwise");
    return 0;
}
