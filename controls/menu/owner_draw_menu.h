#pragma once

#include "controls/drawing/color_ref.h"
#include "controls/menu/menu_images.h"
#include "controls/menu/menu_item_painter.h"
#include "controls/menu/menu_template.h"

#include <QByteArrayView>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

class COwnerDrawMenu;
class QPainter;

// The record of one item of a COwnerDrawMenu, which the menu hands to its drawing and measuring.
class COwnerDrawMenuItem {
public:
    QString m_text;                    // the label, then a tab and the accelerator, if any
    int m_privateImageIndex = -1;      // in m_privateImages
    int m_sharedImageIndex = -1;       // in the shared image list; -1 when the command has none there
    int m_imageOffset = -1;            // the image drawn, in the list drawn for the item; -1: none
    unsigned m_menuFlags = 0;          // MenuItemFlag
    unsigned m_commandId = 0;          // 0 for separators and popups
    COwnerDrawMenu* m_popup = nullptr; // a popup item's menu
    bool m_syncMark = false;           // set while the records are matched to the live menu
    std::unique_ptr<MenuImageList> m_privateImages;
};

// What the system asks of an item's owner before showing it, and what the owner answers.
struct MeasureItemRecord {
    COwnerDrawMenu* menu = nullptr;     // the menu that holds the item
    COwnerDrawMenuItem* item = nullptr; // its record
    int itemWidth = 0;
    int itemHeight = 0;
};

// One item to draw, in its state, into `rect` of `painter`.
struct DrawItemRecord {
    QPainter* painter = nullptr;
    QRect rect;
    unsigned state = 0; // MenuItemState
    COwnerDrawMenuItem* item = nullptr;
};

// The answer to a character typed in an open menu: let the system decide (Default), close the menu,
// or execute or select the item at `position`.
enum class MenuCharAction { Default = 0, Close = 1, Execute = 2, Select = 3 };
struct MenuCharResult {
    MenuCharAction action = MenuCharAction::Default;
    int position = 0;
    bool operator==(const MenuCharResult&) const = default;
};

// The window that shows a menu: the system asks it to measure the menu's owner-drawn items and to
// answer characters typed in the menu. The image button passes both on to its embedded menu.
class IMenuOwner {
public:
    virtual ~IMenuOwner() = default;
    // False: not handled here; the menu then measures the item itself.
    virtual bool MeasureMenuItem(MeasureItemRecord& record) = 0;
    // `menuFlags` holds MenuPopup when the character was typed in a popup menu.
    virtual MenuCharResult MenuChar(QChar typed, unsigned menuFlags, COwnerDrawMenu* menu) = 0;
};

// A menu whose popup items the program draws itself: an image band at the left of each item, its
// text, and the accelerator right-aligned, in a classic three-dimensional look or a flat look with a
// tinted band (menu_item_painter.h). The menu keeps a record for every item appended to it; the
// images of all commands sit in one image list shared by every menu of the process
// (menu_shared_state.h, made on first use).
//
// The live menu is the list of items the system shows; the records follow it but can drift apart
// when the live menu is changed directly (RemoveMenu, AppendMenu); FindMnemonic then matches them up
// again.
class COwnerDrawMenu {
public:
    COwnerDrawMenu();
    virtual ~COwnerDrawMenu();
    COwnerDrawMenu(const COwnerDrawMenu&) = delete;
    COwnerDrawMenu& operator=(const COwnerDrawMenu&) = delete;

    // Draws an item in the look ChooseMenuLook gives for the painter's device and the system.
    virtual void DrawItem(const DrawItemRecord& record);
    // The item's size in the look of the screen, its text measured in the menu font.
    virtual void MeasureItem(MeasureItemRecord& record);
    // Replaces the menu by the one in a menu template (ParseMenuTemplate) read from a file or
    // resource. 1 on success; 0 when there is no such file or resource, the menu left as it was; 0
    // when the template is malformed, the menu left empty.
    virtual int LoadMenuTemplate(const QString& resource);
    virtual int LoadMenuTemplate(QByteArrayView bytes);
    int LoadMenuTemplate(const QByteArray& bytes) { return LoadMenuTemplate(QByteArrayView(bytes)); }
    // Forgets every item, record and submenu, and the menu itself.
    virtual void DestroyMenuTree();

    // The live menu.
    // An empty popup menu, replacing nothing: fails when the menu exists.
    bool CreatePopupMenu();
    // True once the menu exists: made, loaded or given items.
    bool IsCreated() const { return m_created; }
    int ItemCount() const { return static_cast<int>(m_live.size()); }
    unsigned ItemFlags(int position) const;
    unsigned ItemId(int position) const;
    // The text shown: a plain item's own, an owner-drawn item's record's.
    QString ItemText(int position) const;
    COwnerDrawMenuItem* ItemData(int position) const;
    // The menu of the popup item at `position`, or nullptr.
    COwnerDrawMenu* GetSubMenu(int position) const;
    // Check, or enable, the items with the command id; false when there is none.
    bool CheckMenuItem(unsigned commandId, bool checked);
    bool EnableMenuItem(unsigned commandId, bool enabled);
    // The live menu only, without records: a plain item at the end, or an item taken out.
    bool AppendMenu(unsigned flags, unsigned commandId, const QString& text);
    bool RemoveMenu(int position);

    // Appends an owner-drawn item with a record. A command id of 0 makes a separator (of the flags only
    // MenuByPosition is kept). The image is the command's in the shared list, or, with a toolbar, the
    // toolbar's image for the command, which is then copied into the shared list.
    bool AppendItem(const QString& text, unsigned flags, unsigned commandId,
                    const MenuToolbar* toolbar = nullptr);
    // Appends an owner-drawn popup item; the menu takes the popup over.
    bool AppendItem(const QString& text, unsigned flags, std::unique_ptr<COwnerDrawMenu> popup);
    const std::vector<std::unique_ptr<COwnerDrawMenuItem>>& Items() const { return m_items; }

    // True when `menu` was appended as a popup by some COwnerDrawMenu and is still alive.
    static bool IsOurMenu(const COwnerDrawMenu* menu);
    // The answer to `typed` in the popup `menu`: execute the first item whose text, in lower case,
    // holds "&" and the lower-case character; otherwise, and outside popups, let the system decide.
    static MenuCharResult FindMnemonic(QChar typed, unsigned menuFlags, COwnerDrawMenu* menu);

    // Images. The size of this menu's images (16 by 15 unless set).
    void SetImageSize(QSize size) { m_imageSize = size; }
    QSize ImageSize() const { return m_imageSize; }
    // The colour left out of added bitmaps: `color` when `use` is set, else the button face.
    void SetBitmapMaskColor(ColorRef color, bool use);
    // Added images are icons with their own transparency: nothing is left out of them.
    void SetImagesAreIcons(bool icons) { m_imagesAreIcons = icons; }
    // The images for checked items without an image of their own: the first for a checked item, the
    // second (if any) for a checked and selected one. Shared with the popups a template loads.
    void SetCheckMarkImages(std::shared_ptr<MenuImageList> images);
    // Adds `image` to `list`, split into images of the list's size (this menu's, for a new list),
    // without its transparent colour; an image narrower than that size is one image, transparent
    // beyond its width. In the flat look with three-dimensional images its first image's lighter and
    // shadow copies follow. False for a null image.
    bool AddImage(MenuImageList& list, const QImage& image) const;
    // Copies image `index` of `list` into the shared list under the command (with the copies of the
    // three-dimensional flat look), in place of the command's images when it has some. Its index
    // there, or -1.
    int AddToSharedImages(const MenuImageList& list, int index, unsigned commandId) const;

private:
    struct LiveItem {
        unsigned flags = 0;
        unsigned id = 0;
        COwnerDrawMenu* popup = nullptr;
        COwnerDrawMenuItem* data = nullptr;
        QString text; // plain items
    };

    // The item's image number `shift` after its own (the three-dimensional copies), or a null image.
    QImage ItemImage(const COwnerDrawMenuItem& item, int shift = 0) const;
    ColorRef MaskColor() const;
    void SyncRecords();
    // After a template: the popups (or every item) of this level shown as plain items again.
    void MakePlain(bool everyItem);
    void AlignLevelAccelerators();

    bool m_created = false;
    std::vector<LiveItem> m_live;
    std::vector<std::unique_ptr<COwnerDrawMenuItem>> m_items;
    std::vector<std::unique_ptr<COwnerDrawMenu>> m_submenus;
    QSize m_imageSize{16, 15};
    ColorRef m_maskColor = Rgb(192, 192, 192);
    bool m_useMaskColor = false;
    std::shared_ptr<MenuImageList> m_checkMarks;
    int m_selectedCheckPresent = -1;
    int m_checkPresent = -1;
    bool m_imagesAreIcons = false;
    bool m_loadedFromTemplate = false;
    bool m_registered = false; // in the shared list of popups
};
