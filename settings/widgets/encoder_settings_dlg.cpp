#include "settings/widgets/encoder_settings_dlg.h"

#include "controls/drawing/dialog_units.h"
#include "settings/encoder_settings.h"
#include "settings/widgets/encoder_settings_template.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

CEncoderSettingsDlg::CEncoderSettingsDlg(IProfileStore& store, QWidget* parent,
                                         const std::optional<EncoderPositions>& shown)
    : QDialog(parent), m_store(store) {
    CreateControls();
    OnInitDialog(shown);
}

QComboBox* CEncoderSettingsDlg::List(int id) const {
    return qobject_cast<QComboBox*>(Control(id));
}

void CEncoderSettingsDlg::CreateControls() {
    QFont dialogFont = font();
    dialogFont.setPointSize(kEncoderSettingsFontPoints);
    setFont(dialogFont);
    const QSizeF base = DialogBaseUnits(dialogFont);
    setWindowTitle(QStringLiteral("Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(
        DialogUnitsToPixels(QRect(0, 0, kEncoderSettingsWidthUnits, kEncoderSettingsHeightUnits), base)
            .size());

    QWidget* previous = nullptr;
    for (const SettingsControlTemplate& t : kEncoderSettingsControls) {
        const QString text = t.text ? QString::fromUtf8(t.text) : QString();
        QRect geometry = DialogUnitsToPixels(t.units, base);
        QWidget* w = nullptr;
        switch (t.kind) {
        case SettingsControlKind::DefaultButton:
        case SettingsControlKind::Button: {
            auto* button = new QPushButton(text, this);
            // OK takes Enter, unless another button has the focus: then that one does.
            button->setDefault(t.kind == SettingsControlKind::DefaultButton);
            w = button;
            break;
        }
        case SettingsControlKind::Group:
            w = new QGroupBox(text, this);
            break;
        case SettingsControlKind::Label: {
            // The labels of a column end where their lists begin; a text wider than its label grows
            // to the left rather than being cut.
            auto* label = new QLabel(text, this);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            const int needed = QFontMetrics(dialogFont).horizontalAdvance(text);
            if (needed > geometry.width())
                geometry.setLeft(geometry.right() + 1 - needed);
            w = label;
            break;
        }
        case SettingsControlKind::List: {
            // A drop-down list without typing, unsorted, filled in its entries' order. The template's
            // height is the dropped-down one; closed, the list is as tall as its style makes it.
            auto* list = new QComboBox(this);
            for (const EncoderList& l : kEncoderLists)
                if (l.controlId == t.id)
                    for (const char* entry : l.entries)
                        list->addItem(QString::fromUtf8(entry));
            geometry.setHeight(list->sizeHint().height());
            w = list;
            break;
        }
        }
        w->setGeometry(geometry);
        w->setObjectName(QStringLiteral("control%1").arg(t.id));
        if (w->focusPolicy() != Qt::NoFocus) {
            if (previous)
                setTabOrder(previous, w);
            previous = w;
        }
        m_controls.insert(t.id, w);
    }

    // Each label stands level with its list: the template puts some a unit or two higher or lower,
    // which shows once the lists are as tall as the style makes them.
    for (const SettingsControlTemplate& t : kEncoderSettingsControls) {
        if (t.kind != SettingsControlKind::Label)
            continue;
        auto* label = qobject_cast<QLabel*>(Control(t.id));
        const QWidget* list = Control(t.buddy);
        label->setBuddy(Control(t.buddy));
        QRect geometry = label->geometry();
        geometry.moveCenter(QPoint(geometry.center().x(), list->geometry().center().y()));
        label->setGeometry(geometry);
    }

    connect(qobject_cast<QPushButton*>(Control(IDOK_SETTINGS)), &QPushButton::clicked, this,
            &CEncoderSettingsDlg::OnOK);
    connect(qobject_cast<QPushButton*>(Control(IDCANCEL_SETTINGS)), &QPushButton::clicked, this,
            &QDialog::reject);
    connect(qobject_cast<QPushButton*>(Control(IDC_DEFAULT)), &QPushButton::clicked, this,
            &CEncoderSettingsDlg::OnDefault);
    // The first tab stop, OK, starts with the focus.
    Control(IDOK_SETTINGS)->setFocus();
}

void CEncoderSettingsDlg::OnInitDialog(const std::optional<EncoderPositions>& shown) {
    const EncoderPositions positions = shown ? *shown : LoadEncoderPositions(m_store);
    for (int i = 0; i < kEncoderListCount; ++i) {
        QComboBox* list = List(kEncoderLists[i].controlId);
        // A position outside the list leaves it without a selection.
        const bool inList = positions[i] >= 0 && positions[i] < list->count();
        list->setCurrentIndex(inList ? positions[i] : -1);
    }
}

void CEncoderSettingsDlg::OnDefault() {
    for (const EncoderList& l : kEncoderLists)
        List(l.controlId)->setCurrentIndex(l.defaultPosition);
}

EncoderPositions CEncoderSettingsDlg::Positions() const {
    EncoderPositions positions{};
    for (int i = 0; i < kEncoderListCount; ++i)
        positions[i] = List(kEncoderLists[i].controlId)->currentIndex();
    return positions;
}

void CEncoderSettingsDlg::OnOK() {
    m_storeResult = StoreEncoderPositions(m_store, Positions());
    QDialog::accept();
}
