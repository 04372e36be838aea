#include "app/about_dlg.h"

#include "app/product_info.h"
#include "controls/drawing/dialog_units.h"
#include "controls/link_label.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

namespace {

constexpr int kWidthUnits = 204;
constexpr int kHeightUnits = 59;
constexpr int kDialogFontPoints = 8;
// Convert's icon in its drawing for the system's icon size.
const QString kIconResource = QStringLiteral(":/buttons/convert-32.svg");
const QString kNotice = QStringLiteral("Text out of PDF files.");

// An icon control shows its icon at the system's icon size.
constexpr int kSystemIconSide = 32;

// The icon drawn for the screen's pixel ratio, so every line falls on a pixel.
QPixmap IconPixmap(qreal ratio) {
    QSvgRenderer renderer(kIconResource);
    QPixmap pixmap(QSize(kSystemIconSide, kSystemIconSide) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

CAboutDlg::CAboutDlg(const CLinkOpener& links, QWidget* parent) : QDialog(parent) {
    QFont dialogFont = font();
    dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);
    const QSizeF base = DialogBaseUnits(dialogFont);
    const auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(DialogUnitsToPixels(QRect(x, y, width, height), base));
    };

    setWindowTitle(kProductNameText);
    setFixedSize(DialogUnitsToPixels(QRect(0, 0, kWidthUnits, kHeightUnits), base).size());

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("icon"));
    place(m_icon, 8, 9, 20, 20);
    // Like an icon control, the label takes the icon's size and keeps its top-left corner.
    m_icon->setPixmap(IconPixmap(devicePixelRatioF()));
    m_icon->resize(m_icon->pixmap().deviceIndependentSize().toSize());

    m_version = new QLabel(kProductNameText + QStringLiteral(" Version ") + kProductVersionText, this);
    m_version->setTextFormat(Qt::PlainText); // ampersands shown as they are
    m_version->setObjectName(QStringLiteral("version"));
    place(m_version, 35, 7, 168, 8);

    m_notice = new QLabel(kNotice, this);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setObjectName(QStringLiteral("notice"));
    place(m_notice, 37, 34, 73, 8);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    place(ok, 142, 30, 50, 14);

    m_link = new CLinkLabel(links, kHomePageAddress, this);
    m_link->setObjectName(QStringLiteral("homepage"));
    place(m_link, 37, 20, 89, 8);
    m_link->m_strAddress = kHomePageAddress;
    m_link->Bind();
}
