#include "app/main_window_layout.h"

#include "app/main_window_template.h"
#include "controls/drawing/dialog_units.h"
#include "controls/image_button.h"
#include "controls/link_label.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSet>
#include <QTreeWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

QWidget* MakeControl(const ControlTemplate& t, const QString& text, QDialog& window, const CLinkOpener& links,
                     MainWindowControls& made) {
    switch (t.kind) {
    case ControlKind::DefaultButton:
    case ControlKind::Button: {
        auto* button = new CImageButton(links, text, &window);
        button->setDefault(t.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::List:
        made.list = new QTreeWidget(&window);
        return made.list;
    case ControlKind::Progress:
        made.progress = new QProgressBar(&window);
        made.progress->setTextVisible(false);
        return made.progress;
    case ControlKind::Label: {
        auto* label = new QLabel(text, &window);
        label->setWordWrap(true);
        return label;
    }
    case ControlKind::Edit:
        made.outputDirectory = new QLineEdit(text, &window);
        return made.outputDirectory;
    case ControlKind::Frame: {
        // An etched rectangle with nothing inside: the buttons' flat faces blend into it.
        auto* frame = new QFrame(&window);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        return frame;
    }
    case ControlKind::Link:
        made.homePageLink = new CLinkLabel(links, text, &window);
        return made.homePageLink;
    }
    return nullptr;
}

// Tab goes through the layout: rows from the top, each from the left. A mnemonic letter that two
// buttons share stays with the first of them in the template.
void SetUpKeyboard(QDialog& window, const QHash<int, QWidget*>& controls) {
    std::vector<const ControlTemplate*> order;
    for (const ControlTemplate& t : kMainWindowControls)
        order.push_back(&t);
    std::stable_sort(order.begin(), order.end(), [](const ControlTemplate* a, const ControlTemplate* b) {
        return std::pair(a->units.y(), a->units.x()) < std::pair(b->units.y(), b->units.x());
    });
    QWidget* previous = nullptr;
    for (const ControlTemplate* t : order) {
        QWidget* w = controls.value(t->id);
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            window.setTabOrder(previous, w);
        previous = w;
    }

    // "&Add" and "&About" share their letter, and the toolkit answers a shared letter by moving the
    // focus between the buttons without clicking either. The letter stays with Add, so Alt+A adds
    // files at the first press; About keeps its caption.
    QSet<QString> taken;
    for (const ControlTemplate& t : kMainWindowControls) {
        auto* button = qobject_cast<QAbstractButton*>(controls.value(t.id));
        if (!button || button->shortcut().isEmpty())
            continue;
        const QString key = button->shortcut().toString();
        if (taken.contains(key))
            button->setShortcut(QKeySequence());
        else
            taken.insert(key);
    }
}

void SetUpImageButtons(const QHash<int, QWidget*>& controls) {
    for (const ButtonImageTemplate& b : kButtonImages) {
        auto* button = qobject_cast<CImageButton*>(controls.value(b.id));
        const QString resource = b.resource ? QString::fromUtf8(b.resource) : QString();
        switch (b.kind) {
        case ButtonImageKind::Icon:
            button->SetIconImages(resource, b.size, b.size, resource, b.size, b.size);
            break;
        case ButtonImageKind::Bitmap:
            button->SetBitmapImages(resource, kSettingsHotTransparent, resource, kSettingsNormalTransparent);
            break;
        case ButtonImageKind::None:
            break;
        }
        button->ShadeSlotColor(BackHot, 30, true);
        for (const ControlTemplate& t : kMainWindowControls)
            if (t.id == b.id && t.toolTip)
                button->SetTipText(QString::fromUtf8(t.toolTip), true);
        button->SetSlotColor(TextHot, Rgb(0, 0, 255), true);
        button->SetSlotColor(TextNormal, Rgb(0, 0, 0), true);
    }
}

QLabel* MakeClosingNote(QDialog& window) {
    auto* note = new QLabel(QStringLiteral("Closing once the file being converted is done..."), &window);
    note->setObjectName(QStringLiteral("closingNote"));
    note->setAlignment(Qt::AlignCenter);
    note->setFrameStyle(QFrame::Box | QFrame::Plain);
    note->setAutoFillBackground(true);
    note->setBackgroundRole(QPalette::ToolTipBase);
    note->setForegroundRole(QPalette::ToolTipText);
    note->hide();
    return note;
}

} // namespace

MainWindowControls LayOutMainWindow(QDialog& window, const CLinkOpener& links) {
    QFont dialogFont = window.font();
    dialogFont.setPointSize(kDialogFontPoints);
    window.setFont(dialogFont);
    const QSizeF base = DialogBaseUnits(dialogFont);
    MainWindowControls made;
    made.templateSize =
        DialogUnitsToPixels(QRect(0, 0, kMainWindowWidthUnits, kMainWindowHeightUnits), base).size();
    // Long paths want a wider list: the window can be resized and maximised, never made smaller
    // than its template.
    window.setMinimumSize(made.templateSize);
    window.resize(made.templateSize);
    window.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint);
    const int halfLine = QFontMetrics(dialogFont).height() / 2;

    QList<QWidget*> frames;
    for (const ControlTemplate& t : kMainWindowControls) {
        const QString text = t.text ? QString::fromUtf8(t.text) : QString();
        QWidget* w = MakeControl(t, text, window, links, made);
        QRect place = DialogUnitsToPixels(t.units, base);
        if (t.kind == ControlKind::Frame) {
            frames << w;
            // A group box's line runs half a text line below its top, where its caption would be
            // centred; at the top itself it would cut through the buttons above the row.
            place.setTop(place.top() + halfLine);
        }
        w->setGeometry(place);
        made.placed.insert(w, place);
        w->setEnabled(t.enabled);
        // Hidden controls exist but are never shown.
        w->setVisible(t.visible);
        w->setObjectName(QStringLiteral("control%1").arg(t.id));
        if (t.accessibleName || !text.isEmpty())
            w->setAccessibleName(t.accessibleName ? QString::fromUtf8(t.accessibleName)
                                                  : QString(text).remove(QLatin1Char('&')));
        if (t.description)
            w->setAccessibleDescription(QString::fromUtf8(t.description));
        made.byId.insert(t.id, w);
    }
    // The frames lie over the controls, whose flat faces would otherwise cut their lines where the
    // template lets them overlap (Help, About, Open); the mouse goes through them.
    for (QWidget* frame : frames) {
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        frame->raise();
    }

    SetUpKeyboard(window, made.byId);
    // The template's first tab stop: Enter at start asks whether to quit.
    made.byId.value(IDOK)->setFocus();
    made.closingNote = MakeClosingNote(window);
    FitMainWindow(made, made.templateSize);
    SetUpImageButtons(made.byId);
    return made;
}

void FitMainWindow(const MainWindowControls& made, QSize size) {
    const int dx = std::max(0, size.width() - made.templateSize.width());
    const int dy = std::max(0, size.height() - made.templateSize.height());
    for (auto it = made.byId.cbegin(); it != made.byId.cend(); ++it) {
        QRect place = made.placed.value(it.value());
        switch (it.key()) {
        case IDC_FILE_LIST:
            place.adjust(0, 0, dx, dy);
            break;
        case IDC_STATIC_BUTTON_FRAME:
            place.adjust(0, 0, dx, 0);
            break;
        case IDC_STATIC_OUTDIR_FRAME:
        case IDC_OUTDIR_EDIT:
        case IDC_PROGRESS:
            place.adjust(0, dy, dx, dy);
            break;
        case IDC_BROWSE:
        case IDC_OPEN_OUTDIR:
            place.translate(dx, dy);
            break;
        case IDC_STATIC_OUTDIR_LABEL:
        case IDC_STATIC_PROGRESS_LABEL:
        case IDC_STATIC_NOTE:
            place.translate(0, dy);
            break;
        default:
            break;
        }
        it.value()->setGeometry(place);
    }
    // Over the foot of the job list.
    const QRect list = made.list->geometry();
    const int height = made.closingNote->fontMetrics().height() + 12;
    made.closingNote->setGeometry(list.left() + 12, list.bottom() - height - 12, list.width() - 24, height);
}
