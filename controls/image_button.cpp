#include "controls/image_button.h"

#include "controls/drawing/shading.h"
#include "controls/link_opener.h"
#include "controls/menu/menu_popup.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

namespace {

// The link address is kept in a field of 260 bytes that always ends with a zero.
constexpr qsizetype kMaxLinkBytes = 259;

constexpr int kCaptionFlags = Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

// The longest start of `text` whose UTF-8 form fits in `maxBytes`.
QString TruncateUtf8(const QString& text, qsizetype maxBytes) {
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const qsizetype size = text.mid(end, units).toUtf8().size();
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        end += units;
    }
    return text.left(end);
}

} // namespace

CImageButton::CImageButton(const CLinkOpener& links, const QString& text, QWidget* parent)
    : QPushButton(text, parent), m_links(links) {
    setMouseTracking(true);
    // Enter on the focused button clicks it, whatever window holds it.
    setAutoDefault(true);
    ResetColors();
    // Connected before any owner's handler, so the button's own click action runs first.
    connect(this, &QAbstractButton::clicked, this, &CImageButton::OnClicked);
}

ImageButtonResult CImageButton::SetIconImages(const ImageSource& hot, int hotWidth, int hotHeight,
                                              const ImageSource& normal, int normalWidth, int normalHeight) {
    ReleaseImages();
    update();
    if (hot.resource.isEmpty() && hot.image.isNull())
        return ImageButtonResult::Ok;
    QImage hotImage = hot.image.isNull() ? Render(hot.resource, QSize(hotWidth, hotHeight)) : hot.image;
    if (hotImage.isNull())
        return ImageButtonResult::BadImage;
    const QSize hotSize = hotImage.deviceIndependentSize().toSize();

    ImageRecord normalRecord;
    switch (normal.special) {
    case AutoDarker:
    case AutoGrey:
        normalRecord.image =
            DeriveIcon(hotImage, normal.special == AutoDarker ? DerivedImage::Darker : DerivedImage::Grey);
        normalRecord.size = hotSize;
        break;
    case NoImage:
        // A normal image that cannot be had is no normal image: the hot one serves both states.
        normalRecord.image =
            normal.image.isNull() ? Render(normal.resource, QSize(normalWidth, normalHeight)) : normal.image;
        normalRecord.size = normalRecord.image.deviceIndependentSize().toSize();
        break;
    }
    m_images.icons[0] = {std::move(hotImage), hotSize, 0};
    m_images.icons[1] = std::move(normalRecord);
    return ImageButtonResult::Ok;
}

ImageButtonResult CImageButton::SetBitmapImages(const ImageSource& hot, ColorRef hotTransparent,
                                                const ImageSource& normal, ColorRef normalTransparent) {
    ReleaseImages();
    update();
    if (hot.resource.isEmpty() && hot.image.isNull())
        return ImageButtonResult::Ok;
    const QImage hotBitmap = hot.image.isNull() ? Render(hot.resource, QSize()) : hot.image;
    if (hotBitmap.isNull())
        return ImageButtonResult::BadImage;

    QImage normalBitmap;
    if (normal.special == AutoDarker || normal.special == AutoGrey) {
        normalBitmap =
            DeriveBitmap(hotBitmap, normal.special == AutoDarker ? DerivedImage::Darker : DerivedImage::Grey,
                         hotTransparent);
        normalTransparent = hotTransparent;
    } else if (!normal.image.isNull()) {
        normalBitmap = normal.image;
    } else {
        // None when it cannot be had: the hot bitmap serves both states.
        normalBitmap = Render(normal.resource, QSize());
    }

    ImageRecord hotRecord{ApplyTransparentColor(hotBitmap, hotTransparent),
                          hotBitmap.deviceIndependentSize().toSize(), hotTransparent};
    if (hotRecord.image.isNull())
        return ImageButtonResult::MaskFailed;
    hotRecord.image.setDevicePixelRatio(hotBitmap.devicePixelRatio());
    ImageRecord normalRecord;
    if (!normalBitmap.isNull()) {
        normalRecord = {ApplyTransparentColor(normalBitmap, normalTransparent),
                        normalBitmap.deviceIndependentSize().toSize(), normalTransparent};
        if (normalRecord.image.isNull())
            return ImageButtonResult::MaskFailed;
        normalRecord.image.setDevicePixelRatio(normalBitmap.devicePixelRatio());
    }
    m_images.bitmaps[0] = std::move(hotRecord);
    m_images.bitmaps[1] = std::move(normalRecord);
    return ImageButtonResult::Ok;
}

ImageButtonResult CImageButton::SetSlotColor(std::uint8_t slot, ColorRef color, bool repaint) {
    if (slot >= ColorSlotCount)
        return ImageButtonResult::BadSlot;
    m_colors[slot] = color & 0x00FFFFFFu;
    if (repaint)
        update();
    return ImageButtonResult::Ok;
}

ImageButtonResult CImageButton::ShadeSlotColor(std::uint8_t slot, std::int16_t shade, bool repaint) {
    if (slot >= ColorSlotCount)
        return ImageButtonResult::BadSlot;
    if (shade < -255 || shade > 255)
        return ImageButtonResult::BadValue;
    m_colors[slot] = ShadeColor(m_colors[slot], shade);
    if (repaint)
        update();
    return ImageButtonResult::Ok;
}

void CImageButton::SetTipText(const QString& text, bool activate) {
    if (text.isNull())
        return;
    m_tipText = text;
    setToolTip(activate ? m_tipText : QString());
}

ImageButtonResult CImageButton::SetLinkURL(const QString& address) {
    m_linkAddress = TruncateUtf8(address, kMaxLinkBytes);
    return ImageButtonResult::Ok;
}

void CImageButton::SetCheckMode(bool on) {
    m_options.checkMode = on;
    setCheckable(on);
    update();
}

void CImageButton::SetCheck(int state) {
    if (!m_options.checkMode)
        return;
    setChecked(state == 1 || state == 2);
    update();
}

void CImageButton::SetImagePlacement(ImagePlacement placement) {
    m_options.placement = placement;
    update();
}

void CImageButton::SetFlat(bool flat) {
    m_options.flat = flat;
    if (!flat)
        SetHot(false);
    update();
}

ImageButtonState CImageButton::State() const {
    ImageButtonState state;
    state.hot = m_bHot;
    state.down = isDown() || (m_options.checkMode && isChecked()) || (m_menu.IsCreated() && m_bMenuShown);
    state.focused = hasFocus();
    state.disabled = !isEnabled();
    state.isDefault = isDefault();
    // Once the keyboard has moved the focus in the window (Qt keeps that mark), the focused button
    // shows its focus rectangle, as the classic desktop keeps its keyboard cues on.
    state.keyboardCues = window()->testAttribute(Qt::WA_KeyboardFocusChange);
    return state;
}

ButtonLook CImageButton::Look() const {
    return ButtonLookFor(State(), m_options);
}

void CImageButton::OnClicked() {
    setFocus(Qt::MouseFocusReason);
    if (m_options.checkMode)
        return;
    if (m_menu.IsCreated())
        ShowMenu();
    else if (!m_linkAddress.isEmpty())
        m_links.OpenLink(m_linkAddress);
}

void CImageButton::ShowMenu() {
    COwnerDrawMenu* popup = m_menu.GetSubMenu(0);
    if (!popup)
        return;
    m_bMenuShown = true;
    update();
    unsigned command = 0;
    {
        CMenuPopup shown(*popup, this, this);
        command = shown.Exec(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
    }
    m_bMenuShown = false;
    update();
    if (command != 0)
        QMetaObject::invokeMethod(
            this, [this, command] { emit MenuCommand(command & 0xFFFF); }, Qt::QueuedConnection);
}

bool CImageButton::MeasureMenuItem(MeasureItemRecord& record) {
    if (!COwnerDrawMenu::IsOurMenu(record.menu))
        return false;
    // Measured by the menu that holds the item, with its image size.
    record.menu->MeasureItem(record);
    return true;
}

MenuCharResult CImageButton::MenuChar(QChar typed, unsigned menuFlags, COwnerDrawMenu* menu) {
    if (!COwnerDrawMenu::IsOurMenu(menu))
        return {};
    return COwnerDrawMenu::FindMnemonic(typed, menuFlags, menu);
}

void CImageButton::SetHot(bool hot) {
    if (m_bHot == hot || (hot && !m_options.flat))
        return;
    m_bHot = hot;
    update();
}

void CImageButton::ResetColors() {
    const ColorRef face = ToColorRef(palette().color(QPalette::Button));
    const ColorRef text = ToColorRef(palette().color(QPalette::ButtonText));
    m_colors = {face, text, face, text, face, text};
    update();
}

void CImageButton::ReleaseImages() {
    m_images = ImageBlock();
}

QImage CImageButton::Render(const QString& resource, QSize size) const {
    if (resource.isEmpty())
        return {};
    const qreal ratio = devicePixelRatioF();
    if (resource.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer renderer(resource);
        if (!renderer.isValid())
            return {};
        if (size.isEmpty())
            size = renderer.defaultSize();
        if (size.isEmpty())
            return {};
        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        image.setDevicePixelRatio(ratio);
        return image.convertToFormat(QImage::Format_ARGB32);
    }
    QImage image(resource);
    if (image.isNull() || size.isEmpty())
        return image;
    image = image.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(ratio);
    return image;
}

const CImageButton::ImageRecord& CImageButton::Choose(const std::array<ImageRecord, 2>& records,
                                                      const ButtonLook& look) const {
    if (look.hotImage || records[1].image.isNull())
        return records[0];
    return records[1];
}

void CImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ButtonLook look = Look();
    const QRect item = rect();
    QRect area = item;
    if (look.blackBorder) {
        painter.fillRect(area, Qt::black);
        area.adjust(1, 1, -1, -1);
    }
    painter.fillRect(area, ToQColor(m_colors[look.background]));
    DrawFrame(painter, area, look.frame);

    const bool hasCaption = !text().isEmpty();
    QRect caption = item;
    for (const auto* records : {&m_images.icons, &m_images.bitmaps}) {
        if ((*records)[0].image.isNull())
            continue;
        const ImageRecord& record = Choose(*records, look);
        const QRect imageRect = ImageRect(hasCaption, item, caption, record.size, State().down, m_options);
        const bool emboss = look.embossed && (records == &m_images.icons || m_bEmbossDisabledBitmap);
        DrawImage(painter, record, imageRect, emboss);
    }
    if (hasCaption)
        DrawCaption(painter, caption, look);

    if (look.focusRect) {
        // Inverted dots, as the classic desktop draws a focus rectangle: seen on any face or image.
        const QList<QPoint> dots = FocusRectDots(area.adjusted(3, 3, -3, -3));
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        painter.drawPoints(dots.constData(), static_cast<int>(dots.size()));
    }
}

void CImageButton::DrawFrame(QPainter& painter, const QRect& r, ButtonFrame frame) const {
    const QPalette& pal = palette();
    // A run of pixels from (x, y), `w` wide and `h` high.
    const auto run = [&](int x, int y, int w, int h, QPalette::ColorRole role) {
        if (w > 0 && h > 0)
            painter.fillRect(x, y, w, h, pal.color(role));
    };
    const int left = r.left();
    const int top = r.top();
    const int width = r.width();
    const int height = r.height();
    const int right = left + width; // exclusive
    const int bottom = top + height;
    switch (frame) {
    case ButtonFrame::None:
        return;
    case ButtonFrame::Raised:
    case ButtonFrame::Sunken: {
        const auto light = frame == ButtonFrame::Raised ? QPalette::Light : QPalette::Dark;
        const auto dark = frame == ButtonFrame::Raised ? QPalette::Dark : QPalette::Light;
        run(left, top, width - 1, 1, light);
        run(left, top, 1, height - 1, light);
        run(right - 1, top, 1, height, dark);
        run(left, bottom - 1, width, 1, dark);
        return;
    }
    case ButtonFrame::PressedEdge:
        run(left, top, width, 1, QPalette::Dark);
        run(left, bottom - 1, width, 1, QPalette::Dark);
        run(left, top, 1, height, QPalette::Dark);
        run(right - 1, top, 1, height, QPalette::Dark);
        return;
    case ButtonFrame::Edge:
        run(left, top + 1, 1, height - 2, QPalette::Light);
        run(left, top, width - 1, 1, QPalette::Light);
        run(left + 1, top + 2, 1, height - 3, QPalette::Midlight);
        run(left + 1, top + 1, width - 2, 1, QPalette::Midlight);
        run(left, bottom - 1, width - 1, 1, QPalette::Shadow);
        run(right - 1, top, 1, height, QPalette::Shadow);
        run(left + 1, bottom - 2, width - 3, 1, QPalette::Dark);
        run(right - 2, top + 1, 1, height - 2, QPalette::Dark);
        return;
    }
}

void CImageButton::DrawImage(QPainter& painter, const ImageRecord& record, const QRect& imageRect,
                             bool disabled) const {
    if (!disabled) {
        painter.drawImage(QRect(imageRect.topLeft(), record.size), record.image);
        return;
    }
    const QImage embossed =
        EmbossImage(record.image, palette().color(QPalette::Light), palette().color(QPalette::Dark));
    painter.drawImage(imageRect.topLeft(), embossed);
}

void CImageButton::DrawCaption(QPainter& painter, const QRect& captionRect, const ButtonLook& look) const {
    const QRect space = captionRect.translated(look.contentOffset);
    // The underlined key clicks the button; one whose letter went to another button shows none.
    const int flags =
        shortcut().isEmpty() ? (kCaptionFlags & ~Qt::TextShowMnemonic) | Qt::TextHideMnemonic : kCaptionFlags;
    const QRect measured = painter.boundingRect(space, flags, text());
    const QRect block = CenterTextBlock(space, measured.size());
    if (look.embossed) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(block.translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(block, flags, text());
        return;
    }
    painter.setPen(ToQColor(m_colors[look.text]));
    painter.drawText(block, flags, text());
}

bool CImageButton::event(QEvent* event) {
    // A mnemonic's click comes after a flash, taking the focus for the pointer's reason: the key
    // itself moves the focus here and turns the window's keyboard cues on, as Tab does.
    if (event->type() == QEvent::Shortcut && isEnabled() && focusPolicy() != Qt::NoFocus) {
        window()->setAttribute(Qt::WA_KeyboardFocusChange);
        setFocus(Qt::ShortcutFocusReason);
        update();
    }
    return QPushButton::event(event);
}

void CImageButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    // A pointer that arrives with the left button held (a press that began elsewhere) is no hover.
    if (!m_bHot && (QGuiApplication::mouseButtons() & Qt::LeftButton))
        return;
    SetHot(true);
}

void CImageButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    SetHot(false);
}

void CImageButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    if (!m_bHot && (event->buttons() & Qt::LeftButton))
        return;
    SetHot(rect().contains(event->position().toPoint()));
}

void CImageButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    SetHot(false);
}

void CImageButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (!isActiveWindow())
            SetHot(false);
        break;
    case QEvent::EnabledChange:
        if (!isEnabled())
            SetHot(false);
        break;
    case QEvent::PaletteChange:
        ResetColors();
        break;
    default:
        break;
    }
}
