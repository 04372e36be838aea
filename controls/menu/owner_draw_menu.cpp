#include "controls/menu/owner_draw_menu.h"

#include "controls/drawing/menu_drawing.h"
#include "controls/drawing/shading.h"
#include "controls/menu/menu_shared_state.h"
#include "platform/os_version.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <optional>

namespace {

// The lighter and the shadow copy of an image when the screen's look is flat with three-dimensional
// images; none otherwise.
std::vector<QImage> ThreeDCopies(const QImage& image) {
    if (MenuScreenLook() != MenuLook::Flat || !MenuSwitches().threeDImages)
        return {};
    const MenuColors colors = MenuSystemColors();
    const ColorRef shadow = MenuXpVisualStyle() ? colors.shadow : LightenColor(colors.shadow, 0.49);
    return {LighterMenuImage(image, colors.face), ShadowMenuImage(image, colors.face, shadow)};
}

} // namespace

COwnerDrawMenu::COwnerDrawMenu() = default;

COwnerDrawMenu::~COwnerDrawMenu() {
    DestroyMenuTree();
}

// Measuring and drawing.

void COwnerDrawMenu::MeasureItem(MeasureItemRecord& record) {
    const COwnerDrawMenuItem* item = record.item;
    if (!item)
        return;
    const MenuLook look = MenuScreenLook();
    const bool threeD = MenuSwitches().threeDImages;
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
    const COwnerDrawMenuItem& item = *record.item;
    MenuItemPaint paint;
    paint.rect = record.rect;
    paint.state = record.state;
    paint.menuFlags = item.m_menuFlags;
    paint.text = item.m_text;
    paint.imageSize = m_imageSize;
    paint.image = ItemImage(item);
    if (!paint.image.isNull()) {
        paint.lighter = ItemImage(item, 1);
        paint.shadow = ItemImage(item, 2);
    }
    paint.checkMarks = m_checkMarks.get();
    paint.checkPresent = m_checkPresent > 0;
    paint.selectedCheckPresent = m_selectedCheckPresent > 0;
    PaintMenuItem(*record.painter, paint);
}

QImage COwnerDrawMenu::ItemImage(const COwnerDrawMenuItem& item, int shift) const {
    if (item.m_imageOffset < 0)
        return {};
    if (item.m_privateImages) {
        const size_t index = static_cast<size_t>(item.m_imageOffset) + static_cast<size_t>(shift);
        return index < item.m_privateImages->images.size() ? item.m_privateImages->images[index] : QImage();
    }
    return SharedMenuImages().At(item.m_imageOffset, shift);
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
        item->m_sharedImageIndex = SharedMenuImages().Find(commandId);
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
    RegisterMenuPopup(popup.get());
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
        UnregisterMenuPopup(this);
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
    return menu && IsRegisteredMenuPopup(menu);
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
            record->m_sharedImageIndex = live.id != 0 && !separator ? SharedMenuImages().Find(live.id) : -1;
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
    return m_useMaskColor ? m_maskColor : MenuSystemColors().face;
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

int COwnerDrawMenu::AddToSharedImages(const MenuImageList& list, int index, unsigned commandId) const {
    if (index < 0 || static_cast<size_t>(index) >= list.images.size())
        return -1;
    CSharedMenuImages& shared = SharedMenuImages();
    const QSize size = shared.SizeFor(m_imageSize);
    QImage image = list.images[static_cast<size_t>(index)];
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<QImage> set = {image};
    const std::vector<QImage> copies = ThreeDCopies(image);
    set.insert(set.end(), copies.begin(), copies.end());
    return shared.Put(commandId, set);
}

// Templates.

int COwnerDrawMenu::LoadMenuTemplate(const QString& resource) {
    // Found first: a menu that has nothing to replace it with keeps what it holds.
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
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
    const std::optional<std::vector<MenuTemplateItem>> items = ParseMenuTemplate(bytes);
    if (!items)
        return 0;
    CreatePopupMenu();
    // Builds one level; a popup shares its parent's check marks.
    const auto build = [](const auto& self, COwnerDrawMenu& level,
                          const std::vector<MenuTemplateItem>& children) -> void {
        for (const MenuTemplateItem& child : children) {
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
