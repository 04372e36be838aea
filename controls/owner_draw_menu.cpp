#include "controls/owner_draw_menu.h"

#include "controls/drawing/shading.h"
#include "controls/memory_dc.h"
#include "platform/os_version.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QScreen>

#include <algorithm>
#include <optional>

namespace {

// Set when the shared state below is made; a constant, so nothing runs for it at start-up.
bool g_sharedStateMade = false;

// What every menu of the process shares. Made on first use, never while the program starts: as a
// global it would be built before the application object, in no set order with other globals.
struct SharedMenuState {
    SharedMenuState() { g_sharedStateMade = true; }

    MenuImageList images;           // sized by the menu that adds the first image
    std::vector<unsigned> imageIds; // the command of each image
    std::vector<const COwnerDrawMenu*> popups;
    MenuLookSwitches switches;
    int versionClass = RunningVersionClass();
    std::optional<bool> classicTheme;
};

SharedMenuState& Shared() {
    static SharedMenuState state;
    return state;
}

ColorRef ColorOf(const QPalette& palette, QPalette::ColorGroup group, QPalette::ColorRole role) {
    return ToColorRef(palette.color(group, role));
}

// A menu template: items in the standard binary layout, parsed whole before anything is built.
struct TemplateItem {
    unsigned flags = 0; // without MenuEnd
    unsigned id = 0;
    QString text;
    std::vector<TemplateItem> children; // of a popup
};

// Popups nested deeper than this are taken for a damaged template.
constexpr int kMaxTemplateDepth = 32;

class TemplateReader {
public:
    explicit TemplateReader(QByteArrayView bytes) : m_bytes(bytes) {}

    std::optional<std::vector<TemplateItem>> Read() {
        const std::optional<unsigned> version = Word();
        const std::optional<unsigned> offset = Word();
        // Version 0 is the standard layout; the offset counts from the end of the header.
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

    std::optional<std::vector<TemplateItem>> Level(int depth) {
        if (depth >= kMaxTemplateDepth)
            return std::nullopt;
        std::vector<TemplateItem> items;
        for (;;) {
            const std::optional<unsigned> flags = Word();
            if (!flags)
                return std::nullopt;
            TemplateItem item;
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
                std::optional<std::vector<TemplateItem>> children = Level(depth + 1);
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

void FillRect(QPainter& painter, const QRect& rect, ColorRef color) {
    painter.fillRect(rect, ToQColor(color));
}

// A one-pixel frame: `topLeft` along the top and left, `bottomRight` along the bottom and right.
void Frame3d(QPainter& painter, const QRect& r, ColorRef topLeft, ColorRef bottomRight) {
    FillRect(painter, QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    FillRect(painter, QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    FillRect(painter, QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    FillRect(painter, QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

void FrameRect(QPainter& painter, const QRect& r, ColorRef color) {
    Frame3d(painter, r, color, color);
}

// An etched line from `left` to `right` (exclusive) through the middle of `item`.
void EtchedLine(QPainter& painter, const QRect& item, int left, int right, const MenuColors& colors) {
    const int middle = item.top() + item.height() / 2 - 1;
    FillRect(painter, QRect(left, middle, right - left, 1), colors.shadow);
    FillRect(painter, QRect(left, middle + 1, right - left, 1), colors.light);
}

constexpr int kLabelFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
constexpr int kAcceleratorFlags =
    Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;

// The label in `text`, and the accelerator right-aligned against `acceleratorRight`.
void DrawItemText(QPainter& painter, const QString& itemText, const QRect& text, int acceleratorRight,
                  ColorRef color, QPoint offset = {}) {
    painter.setPen(ToQColor(color));
    painter.drawText(text.translated(offset), kLabelFlags, MenuLabel(itemText));
    const QString accelerator = MenuAccelerator(itemText);
    if (!accelerator.isEmpty()) {
        const QRect space(text.left(), text.top(), acceleratorRight - text.left(), text.height());
        painter.drawText(space.translated(offset), kAcceleratorFlags, accelerator);
    }
}

void DrawMark(QPainter& painter, bool dot, QPoint dotOrigin, QPoint tickOrigin, ColorRef color) {
    if (dot) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(color));
        painter.drawEllipse(DotRect(dotOrigin));
        painter.restore();
        return;
    }
    for (const QRect& stroke : TickStrokes(tickOrigin))
        FillRect(painter, stroke, color);
}

} // namespace

COwnerDrawMenu::COwnerDrawMenu() = default;

COwnerDrawMenu::~COwnerDrawMenu() {
    DestroyMenuTree();
}

// The system.

bool COwnerDrawMenu::SharedStateMade() {
    return g_sharedStateMade;
}

MenuLookSwitches& COwnerDrawMenu::Switches() {
    return Shared().switches;
}

int COwnerDrawMenu::SystemVersionClass() {
    return Shared().versionClass;
}

bool COwnerDrawMenu::SystemClassicTheme() {
    std::optional<bool>& classic = Shared().classicTheme;
    if (!classic)
        classic = IsClassicThemeFile(CurrentThemeFile().value_or(QString()));
    return *classic;
}

QFont COwnerDrawMenu::MenuFont() {
    return QApplication::font("QMenu");
}

MenuColors COwnerDrawMenu::SystemColors() {
    const QPalette palette = QApplication::palette("QMenu");
    const auto active = QPalette::Active;
    return MenuColors{
        ColorOf(palette, active, QPalette::Window),
        ColorOf(palette, active, QPalette::WindowText),
        ColorOf(palette, active, QPalette::Highlight),
        ColorOf(palette, active, QPalette::HighlightedText),
        ColorOf(palette, QPalette::Disabled, QPalette::WindowText),
        ColorOf(palette, active, QPalette::Button),
        ColorOf(palette, active, QPalette::Light),
        ColorOf(palette, active, QPalette::Dark),
        ColorOf(palette, active, QPalette::Base),
    };
}

MenuLook COwnerDrawMenu::ScreenLook() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const bool palette = screen && screen->depth() <= 8;
    return ChooseMenuLook(palette, SystemVersionClass(), SystemClassicTheme(), Switches());
}

// Measuring and drawing.

void COwnerDrawMenu::MeasureItem(MeasureItemRecord& record) {
    const COwnerDrawMenuItem* item = record.item;
    if (!item)
        return;
    const MenuLook look = ScreenLook();
    const bool threeD = Switches().threeDImages;
    // Always in the menu font, so that the text drawn in it fits the item measured.
    const QFontMetrics metrics(MenuFont());
    const QSize size = (item->m_menuFlags & MenuSeparator)
                           ? MeasureSeparator(look, threeD, m_imageSize, MenuLineHeight(metrics))
                           : MeasureTextItem(look, threeD, m_imageSize, MenuTextWidth(metrics, item->m_text),
                                             MenuLineHeight(metrics));
    record.itemWidth = size.width();
    record.itemHeight = size.height();
}

void COwnerDrawMenu::DrawItem(const DrawItemRecord& record) {
    if (!record.painter || !record.item || !record.painter->device())
        return;
    QPainter& painter = *record.painter;
    const bool palette = painter.device()->depth() <= 8;
    painter.save();
    painter.setFont(MenuFont());
    if (ChooseMenuLook(palette, SystemVersionClass(), SystemClassicTheme(), Switches()) == MenuLook::Flat)
        DrawFlat(painter, record);
    else
        DrawClassic(painter, record);
    painter.restore();
}

QImage COwnerDrawMenu::ItemImage(const COwnerDrawMenuItem& item, int shift) const {
    if (item.m_imageOffset < 0)
        return {};
    const auto first = static_cast<size_t>(item.m_imageOffset);
    const size_t index = first + static_cast<size_t>(shift);
    if (item.m_privateImages)
        return index < item.m_privateImages->images.size() ? item.m_privateImages->images[index] : QImage();
    // In the shared list a copy counts only when it belongs to the same command: images added in the
    // classic look have none.
    const SharedMenuState& shared = Shared();
    if (index >= shared.images.images.size() || shared.imageIds[index] != shared.imageIds[first])
        return {};
    return shared.images.images[index];
}

void COwnerDrawMenu::DrawCheckedWithoutImage(QPainter& painter, const QRect& square, QPoint dot, QPoint tick,
                                             bool selected, const COwnerDrawMenuItem& item) const {
    if (m_checkMarks && m_checkPresent > 0 && !m_checkMarks->images.empty()) {
        const bool useSelected = selected && m_selectedCheckPresent > 0 && m_checkMarks->images.size() > 1;
        const QImage& mark = m_checkMarks->images[useSelected ? 1 : 0];
        painter.drawImage(square.topLeft() + QPoint((square.width() - mark.width()) / 2,
                                                    (square.height() - mark.height()) / 2),
                          mark);
        return;
    }
    DrawMark(painter, item.m_menuFlags & MenuRadioCheck, dot, tick, SystemColors().menuText);
}

void COwnerDrawMenu::DrawFlat(QPainter& target, const DrawItemRecord& record) const {
    const COwnerDrawMenuItem& item = *record.item;
    const MenuColors colors = SystemColors();
    const bool xp = IsXpVisualStyle(SystemVersionClass(), SystemClassicTheme());
    const bool threeD = Switches().threeDImages;
    const int extra = MenuExtraSpace(MenuLook::Flat, threeD);
    const QRect& rect = record.rect;
    const FlatItemLayout layout = LayOutFlatItem(rect, m_imageSize, extra);
    const ColorRef band = xp ? colors.face : LightenColor(colors.face, 0.25);

    const bool disabled = record.state & (ItemGrayed | ItemDisabled);
    const bool checked = record.state & ItemChecked;
    const bool selected = (record.state & ItemSelected) && !(disabled && !Switches().highlightDisabledFlat);
    // A disabled item is drawn off-screen and copied in one step, so that it does not flicker.
    std::optional<CMemoryDC> memory;
    if (disabled)
        memory.emplace(target, rect);
    QPainter& painter = memory ? memory->Painter() : target;
    painter.setFont(MenuFont());

    if (item.m_menuFlags & MenuSeparator) {
        FillRect(painter, rect, colors.window);
        FillRect(painter, layout.band, band);
        EtchedLine(painter, rect, layout.separatorLeft, rect.left() + rect.width(), colors);
        return;
    }
    if (selected) {
        FillRect(painter, rect, LightenColor(colors.highlight, xp ? 0.7 : 0.85));
        FrameRect(painter, rect, colors.highlight);
    } else {
        FillRect(painter, rect, colors.window);
        FillRect(painter, layout.band, band);
    }

    const QImage image = ItemImage(item);
    if (!image.isNull()) {
        const QImage lighter = ItemImage(item, 1);
        const QImage shadow = ItemImage(item, 2);
        if (disabled) {
            painter.drawImage(layout.image.topLeft(),
                              EngraveMenuImage(image, colors.face, colors.light, colors.shadow));
        } else if (checked) {
            FillRect(painter, layout.imageBox, LightenColor(colors.highlight, 0.85));
            FrameRect(painter, layout.imageBox, colors.highlight);
            painter.drawImage(layout.image.topLeft(), image);
        } else if (threeD && selected && !shadow.isNull()) {
            painter.drawImage(layout.image.topLeft() + QPoint(1, 1), shadow);
            painter.drawImage(layout.image.topLeft() - QPoint(1, 1), image);
        } else {
            painter.drawImage(layout.image.topLeft(), threeD && !lighter.isNull() ? lighter : image);
        }
    } else if (checked) {
        if (!m_checkMarks || m_checkPresent <= 0) {
            FillRect(painter, layout.checkSquare, LightenColor(colors.highlight, 0.85));
            FrameRect(painter, layout.checkSquare, colors.highlight);
        }
        DrawCheckedWithoutImage(painter, layout.checkSquare, layout.markOrigin, layout.markOrigin, selected,
                                item);
    }

    ColorRef text = colors.menuText;
    if (disabled)
        text = selected || xp ? colors.grayText : LightenColor(colors.grayText, 0.4);
    DrawItemText(painter, item.m_text, layout.text, layout.acceleratorRight, text);
}

void COwnerDrawMenu::DrawClassic(QPainter& painter, const DrawItemRecord& record) const {
    const COwnerDrawMenuItem& item = *record.item;
    const MenuColors colors = SystemColors();
    const bool xp = IsXpVisualStyle(SystemVersionClass(), SystemClassicTheme());
    const bool framed = SystemVersionClass() >= kVersionWin95;
    const QRect& rect = record.rect;
    const ClassicItemLayout layout = LayOutClassicItem(rect, m_imageSize);
    const ColorRef background = xp ? colors.face : colors.menu;

    const bool disabled = record.state & (ItemGrayed | ItemDisabled);
    const bool checked = record.state & ItemChecked;
    const bool selected =
        (record.state & ItemSelected) && !(disabled && !Switches().highlightDisabledClassic);

    FillRect(painter, rect, background);
    if (item.m_menuFlags & MenuSeparator) {
        EtchedLine(painter, rect, rect.left(), rect.left() + rect.width(), colors);
        return;
    }
    const QImage image = ItemImage(item);
    if (selected)
        FillRect(painter, !image.isNull() || checked ? layout.selectionBeside : rect, colors.highlight);

    if (!image.isNull()) {
        if (framed) {
            if (selected)
                Frame3d(painter, layout.imageBox, checked ? colors.shadow : colors.light,
                        checked ? colors.light : colors.shadow);
            else if (checked) {
                FillRect(painter, layout.imageBox, LightenColor(colors.menu, 0.6));
                Frame3d(painter, layout.imageBox, colors.shadow, colors.light);
            }
        }
        painter.drawImage(layout.image.topLeft(),
                          disabled ? EngraveMenuImage(image, colors.face, colors.light, colors.shadow)
                                   : image);
    } else if (checked) {
        FillRect(painter, layout.checkBox, selected ? colors.menu : LightenColor(colors.menu, 0.6));
        if (framed)
            Frame3d(painter, layout.checkBox, colors.shadow, colors.light);
        DrawCheckedWithoutImage(painter, layout.checkBox, layout.dotOrigin, layout.tickOrigin, selected,
                                item);
    }

    if (disabled) {
        // Engraved: the light colour one pixel right and down, the grey text over it.
        DrawItemText(painter, item.m_text, layout.text, layout.acceleratorRight, colors.light, QPoint(1, 1));
        DrawItemText(painter, item.m_text, layout.text, layout.acceleratorRight, colors.grayText);
        return;
    }
    DrawItemText(painter, item.m_text, layout.text, layout.acceleratorRight,
                 selected ? colors.highlightText : colors.menuText);
}

// The live menu.

bool COwnerDrawMenu::CreatePopupMenu() {
    if (m_created)
        return false;
    m_created = true;
    return true;
}

unsigned COwnerDrawMenu::ItemFlags(int position) const {
    return position >= 0 && position < ItemCount() ? m_live[position].flags : 0;
}

unsigned COwnerDrawMenu::ItemId(int position) const {
    return position >= 0 && position < ItemCount() ? m_live[position].id : 0;
}

QString COwnerDrawMenu::ItemText(int position) const {
    if (position < 0 || position >= ItemCount())
        return {};
    const LiveItem& live = m_live[position];
    return (live.flags & MenuOwnerDraw) && live.data ? live.data->m_text : live.text;
}

COwnerDrawMenuItem* COwnerDrawMenu::ItemData(int position) const {
    return position >= 0 && position < ItemCount() ? m_live[position].data : nullptr;
}

COwnerDrawMenu* COwnerDrawMenu::GetSubMenu(int position) const {
    return position >= 0 && position < ItemCount() ? m_live[position].popup : nullptr;
}

bool COwnerDrawMenu::CheckMenuItem(unsigned commandId, bool checked) {
    bool found = false;
    for (LiveItem& live : m_live)
        if (live.id == commandId && !(live.flags & (MenuPopup | MenuSeparator))) {
            live.flags =
                checked ? live.flags | MenuChecked : live.flags & ~static_cast<unsigned>(MenuChecked);
            found = true;
        }
    return found;
}

bool COwnerDrawMenu::EnableMenuItem(unsigned commandId, bool enabled) {
    bool found = false;
    for (LiveItem& live : m_live)
        if (live.id == commandId && !(live.flags & (MenuPopup | MenuSeparator))) {
            live.flags = enabled ? live.flags & ~static_cast<unsigned>(MenuGrayed | MenuDisabled)
                                 : live.flags | MenuGrayed;
            found = true;
        }
    return found;
}

bool COwnerDrawMenu::AppendMenu(unsigned flags, unsigned commandId, const QString& text) {
    if (!m_created)
        return false;
    m_live.push_back(
        {flags & ~static_cast<unsigned>(MenuOwnerDraw | MenuPopup), commandId, nullptr, nullptr, text});
    return true;
}

bool COwnerDrawMenu::RemoveMenu(int position) {
    if (position < 0 || position >= ItemCount())
        return false;
    m_live.erase(m_live.begin() + position);
    return true;
}

bool COwnerDrawMenu::AppendItem(const QString& text, unsigned flags, unsigned commandId,
                                const MenuToolbar* toolbar) {
    if (!m_created)
        return false;
    auto item = std::make_unique<COwnerDrawMenuItem>();
    item->m_text = text;
    item->m_commandId = commandId;
    item->m_menuFlags = commandId != 0
                            ? (flags & ~static_cast<unsigned>(MenuSeparator | MenuPopup)) | MenuOwnerDraw
                            : (flags & MenuByPosition) | MenuOwnerDraw | MenuSeparator;
    if (commandId != 0 && !toolbar) {
        item->m_sharedImageIndex = FindCommandImage(commandId);
    } else if (commandId != 0) {
        // The toolbar's images are those of its buttons that are not separators, in order.
        int image = 0;
        for (const unsigned command : toolbar->commands) {
            if (command == commandId) {
                MenuImageList strip;
                if (AddImage(strip, toolbar->strip))
                    item->m_sharedImageIndex = AddToSharedImages(strip, image, commandId);
                break;
            }
            image += command != 0;
        }
    }
    item->m_imageOffset = item->m_sharedImageIndex;
    m_live.push_back({item->m_menuFlags, commandId, nullptr, item.get(), QString()});
    m_items.push_back(std::move(item));
    if (m_loadedFromTemplate)
        MakePlain(false);
    return true;
}

bool COwnerDrawMenu::AppendItem(const QString& text, unsigned flags, std::unique_ptr<COwnerDrawMenu> popup) {
    if (!m_created || !popup)
        return false;
    popup->CreatePopupMenu();
    Shared().popups.push_back(popup.get());
    popup->m_registered = true;
    auto item = std::make_unique<COwnerDrawMenuItem>();
    item->m_text = text;
    item->m_menuFlags = (flags & ~static_cast<unsigned>(MenuSeparator)) | MenuPopup | MenuOwnerDraw;
    item->m_popup = popup.get();
    m_live.push_back({item->m_menuFlags, 0, popup.get(), item.get(), QString()});
    m_items.push_back(std::move(item));
    m_submenus.push_back(std::move(popup));
    if (m_loadedFromTemplate)
        MakePlain(false);
    return true;
}

void COwnerDrawMenu::MakePlain(bool everyItem) {
    for (LiveItem& live : m_live) {
        if (!(live.flags & MenuOwnerDraw) || !(everyItem || (live.flags & MenuPopup)) || !live.data)
            continue;
        live.text = live.data->m_text;
        live.flags &= ~static_cast<unsigned>(MenuOwnerDraw);
    }
}

void COwnerDrawMenu::DestroyMenuTree() {
    if (m_registered || !m_submenus.empty()) {
        std::vector<const COwnerDrawMenu*>& popups = Shared().popups;
        popups.erase(std::remove(popups.begin(), popups.end(), this), popups.end());
        m_registered = false;
    }
    // Each submenu takes itself and its own submenus off the list as it goes.
    m_submenus.clear();
    m_items.clear();
    m_live.clear();
    m_checkMarks.reset();
    m_checkPresent = -1;
    m_selectedCheckPresent = -1;
    m_loadedFromTemplate = false;
    m_created = false;
}

bool COwnerDrawMenu::IsOurMenu(const COwnerDrawMenu* menu) {
    if (!menu)
        return false;
    const std::vector<const COwnerDrawMenu*>& popups = Shared().popups;
    return std::find(popups.begin(), popups.end(), menu) != popups.end();
}

// Mnemonics.

void COwnerDrawMenu::SyncRecords() {
    for (const auto& record : m_items)
        record->m_syncMark = false;
    std::vector<std::unique_ptr<COwnerDrawMenuItem>> synced;
    for (LiveItem& live : m_live) {
        const bool separator = live.flags & MenuSeparator;
        // The record of the same popup, or of the same command, or a separator's, not yet taken.
        auto match = std::find_if(m_items.begin(), m_items.end(), [&](const auto& record) {
            if (!record || record->m_syncMark)
                return false;
            if (live.popup)
                return record->m_popup == live.popup;
            if (separator)
                return (record->m_menuFlags & MenuSeparator) != 0;
            return !record->m_popup && !(record->m_menuFlags & MenuSeparator) &&
                   record->m_commandId == live.id;
        });
        std::unique_ptr<COwnerDrawMenuItem> record;
        if (match != m_items.end()) {
            record = std::move(*match);
        } else {
            record = std::make_unique<COwnerDrawMenuItem>();
            record->m_text = live.text;
            record->m_menuFlags = live.flags;
            record->m_commandId = live.id;
            record->m_popup = live.popup;
            record->m_sharedImageIndex = live.id != 0 && !separator ? FindCommandImage(live.id) : -1;
            record->m_imageOffset = record->m_sharedImageIndex;
        }
        record->m_syncMark = true;
        if (live.flags & MenuOwnerDraw)
            live.data = record.get();
        synced.push_back(std::move(record));
    }
    // Records that match no item go.
    m_items = std::move(synced);
}

MenuCharResult COwnerDrawMenu::FindMnemonic(QChar typed, unsigned menuFlags, COwnerDrawMenu* menu) {
    if (!(menuFlags & MenuPopup) || !menu)
        return {};
    if (menu->m_items.size() != menu->m_live.size())
        menu->SyncRecords();
    const QString mnemonic = QLatin1Char('&') + QString(typed).toLower();
    for (size_t i = 0; i < menu->m_items.size(); ++i)
        if (menu->m_items[i]->m_text.toLower().contains(mnemonic))
            return {MenuCharAction::Execute, static_cast<int>(i)};
    return {};
}

// Images.

void COwnerDrawMenu::SetBitmapMaskColor(ColorRef color, bool use) {
    m_maskColor = color;
    m_useMaskColor = use;
}

void COwnerDrawMenu::SetCheckMarkImages(std::shared_ptr<MenuImageList> images) {
    m_checkMarks = std::move(images);
    const size_t count = m_checkMarks ? m_checkMarks->images.size() : 0;
    m_checkPresent = count > 0 ? 1 : 0;
    m_selectedCheckPresent = count > 1 ? 1 : 0;
}

ColorRef COwnerDrawMenu::MaskColor() const {
    return m_useMaskColor ? m_maskColor : SystemColors().face;
}

bool COwnerDrawMenu::AddImage(MenuImageList& list, const QImage& image) const {
    if (image.isNull())
        return false;
    if (list.imageSize.isEmpty())
        list.imageSize = m_imageSize;
    const QImage masked = m_imagesAreIcons ? image.convertToFormat(QImage::Format_ARGB32)
                                           : ApplyTransparentColor(image, MaskColor());
    const QSize size = list.imageSize;
    // Never no image: one narrower than the size is one image, and the copies below are made from
    // the first image added.
    const int count = std::max(1, masked.width() / size.width());
    const size_t first = list.images.size();
    for (int i = 0; i < count; ++i) {
        QImage tile(size, QImage::Format_ARGB32);
        tile.fill(Qt::transparent);
        QPainter painter(&tile);
        painter.drawImage(QPoint(0, 0), masked, QRect(QPoint(i * size.width(), 0), size));
        painter.end();
        list.images.push_back(tile);
    }
    // The copies of the three-dimensional flat look follow all the images of a strip, whose positions
    // stay those of its buttons.
    const std::vector<QImage> copies = ThreeDCopies(list.images[first]);
    list.images.insert(list.images.end(), copies.begin(), copies.end());
    return true;
}

std::vector<QImage> COwnerDrawMenu::ThreeDCopies(const QImage& image) {
    if (ScreenLook() != MenuLook::Flat || !Switches().threeDImages)
        return {};
    const MenuColors colors = SystemColors();
    const ColorRef shadow = IsXpVisualStyle(SystemVersionClass(), SystemClassicTheme())
                                ? colors.shadow
                                : LightenColor(colors.shadow, 0.49);
    return {LighterMenuImage(image, colors.face), ShadowMenuImage(image, colors.face, shadow)};
}

int COwnerDrawMenu::AddToSharedImages(const MenuImageList& list, int index, unsigned commandId) const {
    if (index < 0 || static_cast<size_t>(index) >= list.images.size())
        return -1;
    SharedMenuState& shared = Shared();
    if (shared.images.imageSize.isEmpty())
        shared.images.imageSize = m_imageSize;
    const QSize size = shared.images.imageSize;
    QImage image = list.images[static_cast<size_t>(index)];
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<QImage> set = {image};
    const std::vector<QImage> copies = ThreeDCopies(image);
    set.insert(set.end(), copies.begin(), copies.end());
    const int existing = FindCommandImage(commandId);
    if (existing >= 0) {
        // In place: as many of the command's images as it has, so no other command's index moves.
        for (size_t i = 0, at = static_cast<size_t>(existing);
             i < set.size() && at < shared.imageIds.size() && shared.imageIds[at] == commandId; ++i, ++at)
            shared.images.images[at] = set[i];
        return existing;
    }
    const int first = static_cast<int>(shared.images.images.size());
    for (const QImage& copy : set) {
        shared.images.images.push_back(copy);
        shared.imageIds.push_back(commandId);
    }
    return first;
}

int COwnerDrawMenu::FindCommandImage(unsigned commandId) {
    const std::vector<unsigned>& ids = Shared().imageIds;
    const auto found = std::find(ids.begin(), ids.end(), commandId);
    return found == ids.end() ? -1 : static_cast<int>(found - ids.begin());
}

const MenuImageList& COwnerDrawMenu::SharedImages() {
    return Shared().images;
}

// Templates.

int COwnerDrawMenu::LoadMenuTemplate(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        DestroyMenuTree();
        return 0;
    }
    return LoadMenuTemplate(QByteArrayView(file.readAll()));
}

void COwnerDrawMenu::AlignLevelAccelerators() {
    QStringList texts;
    for (const auto& item : m_items)
        texts << item->m_text;
    const QStringList aligned = AlignAccelerators(texts, QFontMetrics(MenuFont()));
    for (size_t i = 0; i < m_items.size(); ++i)
        m_items[i]->m_text = aligned[static_cast<qsizetype>(i)];
}

int COwnerDrawMenu::LoadMenuTemplate(QByteArrayView bytes) {
    // The check marks belong to the menu object, not to the items it held.
    const std::shared_ptr<MenuImageList> checkMarks = m_checkMarks;
    DestroyMenuTree();
    SetCheckMarkImages(checkMarks);
    const std::optional<std::vector<TemplateItem>> items = TemplateReader(bytes).Read();
    if (!items)
        return 0;
    CreatePopupMenu();
    // Builds one level; a popup shares its parent's check marks.
    const auto build = [](const auto& self, COwnerDrawMenu& level,
                          const std::vector<TemplateItem>& children) -> void {
        for (const TemplateItem& child : children) {
            if (child.flags & MenuPopup) {
                auto popup = std::make_unique<COwnerDrawMenu>();
                popup->m_checkMarks = level.m_checkMarks;
                popup->m_checkPresent = level.m_checkPresent;
                popup->m_selectedCheckPresent = level.m_selectedCheckPresent;
                popup->CreatePopupMenu();
                self(self, *popup, child.children);
                level.AppendItem(child.text, child.flags, std::move(popup));
            } else {
                level.AppendItem(child.text, child.flags, child.id);
            }
        }
        level.AlignLevelAccelerators();
    };
    build(build, *this, *items);
    // Only the popups are drawn by the menu; the top level is shown by the system.
    MakePlain(true);
    m_loadedFromTemplate = true;
    return 1;
}
