#include "app/about_dlg.h"

#include "app/dialog_units.h"
#include "app/product_info.h"
#include "platform/desktop_shell.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kWidthUnits = 204;
constexpr int kHeightUnits = 59;

} // namespace

CAboutDlg::CAboutDlg(IDesktopShell& shell, QWidget* parent) : QDialog(parent) {
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    const QSizeF base = DialogBaseUnits(dialogFont);
    const auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(DialogUnitsToPixels(QRect(x, y, width, height), base));
    };

    setWindowTitle(kProductNameText);
    setFixedSize(DialogUnitsToPixels(QRect(0, 0, kWidthUnits, kHeightUnits), base).size());

    m_version = new QLabel(kProductNameText + QStringLiteral(" Version ") + kProductVersionText, this);
    m_version->setTextFormat(Qt::PlainText); // ampersands shown as they are
    m_version->setObjectName(QStringLiteral("version"));
    place(m_version, 35, 7, 168, 8);

    m_link = new QLabel(this);
    m_link->setObjectName(QStringLiteral("homepage"));
    m_link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(kHomePageAddress.toHtmlEscaped()));
    m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_link->setCursor(Qt::PointingHandCursor);
    connect(m_link, &QLabel::linkActivated, this,
            [&shell](const QString& address) { shell.OpenAddress(address); });
    place(m_link, 37, 20, 89, 8);

    auto* notice = new QLabel(QStringLiteral("Plain text out of PDF files."), this);
    place(notice, 37, 34, 100, 8);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    place(ok, 142, 30, 50, 14);
}
