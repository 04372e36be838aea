#include "controls/drawing/menu_drawing.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kVersionClassXP = 7;
constexpr int kCheckSquareSide = 16;

ColorRef RgbOf(QRgb pixel) {
    return Rgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

QRgb Opaque(ColorRef color) {
    return qRgb(RedOf(color), GreenOf(color), BlueOf(color));
}

// `image` drawn over the colour `face`, in a format with one 32-bit pixel per point.
QImage OnFace(const QImage& image, ColorRef face) {
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(Opaque(face));
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

// A copy of `image` on the face in which the pixels that `keep` accepts become `change(pixel)` and
// all others are transparent.
template <typename Keep, typename Change>
QImage MapOnFace(const QImage& image, ColorRef face, Keep keep, Change change) {
    const QImage drawn = OnFace(image, face);
    QImage result(drawn.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    for (int y = 0; y < drawn.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < drawn.width(); ++x)
            if (keep(RgbOf(in[x])))
                out[x] = Opaque(change(RgbOf(in[x])));
    }
    return result;
}

// The vertical start of something `height` high centred in `item`, halving truncated.
int CentredTop(const QRect& item, int height) {
    return item.top() + (item.height() - height) / 2;
}

} // namespace

bool IsXpVisualStyle(int versionClass, bool classicTheme) {
    return versionClass == kVersionClassXP && !classicTheme;
}

MenuLook ChooseMenuLook(bool paletteDevice, int versionClass, bool classicTheme,
                        const MenuLookSwitches& switches) {
    if (paletteDevice)
        return MenuLook::Classic;
    if (IsXpVisualStyle(versionClass, classicTheme))
        return switches.flatOnXpVisualStyle ? MenuLook::Flat : MenuLook::Classic;
    return switches.flatElsewhere ? MenuLook::Flat : MenuLook::Classic;
}

int MenuExtraSpace(MenuLook look, bool threeDImages) {
    return look == MenuLook::Flat && threeDImages ? 7 : 4;
}

QSize MeasureSeparator(MenuLook look, bool threeDImages, QSize image, int menuHeight) {
    const int extra = MenuExtraSpace(look, threeDImages);
    return QSize(0, std::max((extra + image.height()) / 2, menuHeight / 2));
}

QSize MeasureTextItem(MenuLook look, bool threeDImages, QSize image, int textWidth, int menuHeight) {
    const int extra = MenuExtraSpace(look, threeDImages);
    const int width =
        look == MenuLook::Flat ? textWidth + image.width() + extra + 8 : textWidth + 2 * image.width() + 1;
    return QSize(width, std::max(image.height() + extra, menuHeight));
}

QString MenuLabel(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text : text.left(tab);
}

QString MenuAccelerator(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : text.mid(tab + 1);
}

int MenuTextWidth(const QFontMetrics& metrics, const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return metrics.horizontalAdvance(text);
    return metrics.horizontalAdvance(text.left(tab)) + metrics.horizontalAdvance(QStringLiteral("    ")) +
           metrics.horizontalAdvance(text.mid(tab + 1));
}

int MenuLineHeight(const QFontMetrics& metrics) {
    return metrics.height() + 6;
}

QStringList AlignAccelerators(const QStringList& texts, const QFontMetrics& metrics) {
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(MenuLabel(text)));
    QStringList aligned;
    for (const QString& text : texts) {
        if (!text.contains(QLatin1Char('\t'))) {
            aligned << text;
            continue;
        }
        // One blank at a time: a text's width is not the sum of its parts' widths.
        QString label = MenuLabel(text);
        for (int width = metrics.horizontalAdvance(label); width < widest;) {
            label += QLatin1Char(' ');
            const int wider = metrics.horizontalAdvance(label);
            if (wider <= width)
                break;
            width = wider;
        }
        aligned << label + QLatin1Char('\t') + MenuAccelerator(text);
    }
    return aligned;
}

ColorRef LightenColor(ColorRef color, double factor) {
    if (factor <= 0.0 || factor > 1.0)
        return color;
    const auto lighten = [&](int c) { return static_cast<int>(c + factor * (255 - c)); };
    return Rgb(lighten(RedOf(color)), lighten(GreenOf(color)), lighten(BlueOf(color)));
}

std::array<QRect, 7> TickStrokes(QPoint origin) {
    constexpr int tops[] = {2, 3, 4, 3, 2, 1, 0};
    std::array<QRect, 7> strokes;
    for (int i = 0; i < 7; ++i)
        strokes[i] = QRect(origin.x() + i, origin.y() + tops[i], 1, 3);
    return strokes;
}

QRect DotRect(QPoint origin) {
    return QRect(origin, QSize(6, 6));
}

FlatItemLayout LayOutFlatItem(const QRect& item, QSize image, int extra) {
    FlatItemLayout layout;
    const int bandWidth = image.width() + extra;
    layout.band = QRect(item.left(), item.top(), bandWidth, item.height());
    layout.image =
        QRect(QPoint(item.left() + (bandWidth - image.width()) / 2, CentredTop(item, image.height())), image);
    layout.imageBox = layout.image.adjusted(-2, -2, 2, 2);
    layout.checkSquare = QRect(item.left() + (bandWidth - kCheckSquareSide) / 2,
                               CentredTop(item, kCheckSquareSide), kCheckSquareSide, kCheckSquareSide);
    layout.markOrigin = layout.checkSquare.topLeft() + QPoint(5, 4);
    const int textLeft = item.left() + bandWidth + 8;
    layout.text = QRect(textLeft, item.top(), item.left() + item.width() - textLeft, item.height());
    layout.acceleratorRight = item.left() + item.width() - image.width();
    layout.separatorLeft = item.left() + bandWidth + extra;
    return layout;
}

ClassicItemLayout LayOutClassicItem(const QRect& item, QSize image) {
    ClassicItemLayout layout;
    const QSize box = image + QSize(4, 4);
    layout.imageBox = QRect(QPoint(item.left(), CentredTop(item, box.height())), box);
    layout.image = layout.imageBox.adjusted(2, 2, -2, -2);
    layout.checkBox = QRect(QPoint(item.left() + 1, CentredTop(item, image.height())), image);
    layout.dotOrigin = layout.checkBox.topLeft() + QPoint(5, 4);
    layout.tickOrigin = layout.checkBox.topLeft() + QPoint(4, 4);
    const int right = item.left() + item.width(); // exclusive
    const int selectionLeft = layout.imageBox.left() + layout.imageBox.width() + 5;
    layout.selectionBeside = QRect(selectionLeft, item.top(), right - selectionLeft, item.height());
    const int textLeft = item.left() + image.width() + 9;
    layout.text = QRect(textLeft, item.top(), right - textLeft, item.height());
    layout.acceleratorRight = right;
    return layout;
}

QImage LighterMenuImage(const QImage& image, ColorRef face) {
    return MapOnFace(
        image, face, [&](ColorRef c) { return c != face; }, [](ColorRef c) { return LightenColor(c, 0.3); });
}

QImage ShadowMenuImage(const QImage& image, ColorRef face, ColorRef shadow) {
    return MapOnFace(
        image, face, [&](ColorRef c) { return c != face; }, [&](ColorRef) { return shadow; });
}

QImage EngraveMenuImage(const QImage& image, ColorRef face, ColorRef light, ColorRef shadow) {
    const QImage drawn = OnFace(image, face);
    QImage result(drawn.width() + 1, drawn.height() + 1, QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    const auto inShape = [&](int x, int y) {
        const ColorRef c = RgbOf(drawn.pixel(x, y));
        return c != face && c != light;
    };
    for (const auto& [offset, color] : {std::pair{1, light}, std::pair{0, shadow}})
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (inShape(x, y))
                    result.setPixel(x + offset, y + offset, Opaque(color));
    return result;
}
