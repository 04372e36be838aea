#include "app/converter_dlg.h"

#include "app/about_dlg.h"
#include "app/job_list_delegate.h"
#include "app/main_window_template.h"
#include "app/product_info.h"
#include "batch/job_batch.h"
#include "controls/drawing/dialog_units.h"
#include "controls/image_button.h"
#include "controls/link_label.h"
#include "platform/widgets/system_menu.h"
#include "settings/output_directory.h"
#include "settings/widgets/encoder_settings_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

const QString kQuitQuestion = QStringLiteral("Do you want to quit?");
const QString kWarning = QStringLiteral("Warning");
const QString kAboutCommandText = QStringLiteral("&About Pagewright");

// The button of the template that carries `command`.
int ControlFor(Command command) {
    for (const ControlTemplate& t : kMainWindowControls)
        if (t.command == command)
            return t.id;
    return 0;
}

} // namespace

CConverterDlg::CConverterDlg(const PlatformServices& services, QWidget* parent)
    : QDialog(parent), m_services(services),
      m_linkOpener(m_services.shell, m_services.browser, m_services.prompts),
      m_folderOpener(m_services.shell, m_services.browser, m_services.prompts) {
    m_batch = new CJobBatch(*this, m_services.prompts, this);
    connect(m_batch, &CJobBatch::RunFinished, this, [this] {
        if (m_closePending) {
            m_closePending = false;
            QDialog::reject();
        }
    });
    OnInitDialog();
}

CConverterDlg::~CConverterDlg() {
    // The worker drives this window until its last step; let it finish while everything exists.
    m_batch->RequestStop();
    m_batch->WaitUntilIdle();
}

CImageButton* CConverterDlg::Button(int id) const {
    return qobject_cast<CImageButton*>(Control(id));
}

void CConverterDlg::OnInitDialog() {
    CreateControls();
    AddAboutCommand();
    setWindowIcon(QIcon(QStringLiteral(":/icons/pagewright.svg")));

    // The home-page link shows its address, without underline.
    m_homePageLink->m_strAddress = kHomePageAddress;
    m_homePageLink->Bind();
    m_homePageLink->ChangeLinkStyle(HLS_UNDERLINE, 0, true);

    setWindowTitle(kProductNameText + QStringLiteral(" ") + kProductVersionText);
    m_batch->ClearStopRequest();

    LoadOutputDirectory(m_services.profile, m_services.directories,
                        [this](const QString& path) { m_outputDirectory->setText(path); });

    SetUpImageButtons();
    Button(IDC_WEBSITE)->SetLinkURL(kHomePageAddress);
    Button(IDC_HELP_BUTTON)->SetLinkURL(kHelpPageAddress);

    ApplyStateChange(*this, StateChange::Initialised);
    SetUpJobList();
}

void CConverterDlg::CreateControls() {
    QFont dialogFont = font();
    dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);
    const QSizeF base = DialogBaseUnits(dialogFont);
    setFixedSize(
        DialogUnitsToPixels(QRect(0, 0, kMainWindowWidthUnits, kMainWindowHeightUnits), base).size());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    QList<QWidget*> frames;
    for (const ControlTemplate& t : kMainWindowControls) {
        const QString text = t.text ? QString::fromUtf8(t.text) : QString();
        QWidget* w = nullptr;
        switch (t.kind) {
        case ControlKind::DefaultButton:
        case ControlKind::Button: {
            auto* button = new CImageButton(m_linkOpener, text, this);
            button->setDefault(t.kind == ControlKind::DefaultButton);
            w = button;
            break;
        }
        case ControlKind::List:
            m_list = new QTreeWidget(this);
            w = m_list;
            break;
        case ControlKind::Progress:
            m_progress = new QProgressBar(this);
            m_progress->setTextVisible(false);
            w = m_progress;
            break;
        case ControlKind::Label: {
            auto* label = new QLabel(text, this);
            label->setWordWrap(true);
            w = label;
            break;
        }
        case ControlKind::Edit:
            m_outputDirectory = new QLineEdit(text, this);
            w = m_outputDirectory;
            break;
        case ControlKind::Frame: {
            // An etched rectangle with nothing inside: the buttons' flat faces blend into it.
            auto* frame = new QFrame(this);
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
            frames << frame;
            w = frame;
            break;
        }
        case ControlKind::Link:
            m_homePageLink = new CLinkLabel(m_linkOpener, text, this);
            w = m_homePageLink;
            break;
        }
        w->setGeometry(DialogUnitsToPixels(t.units, base));
        w->setEnabled(t.enabled);
        // Hidden controls exist but are never shown.
        w->setVisible(t.visible);
        w->setObjectName(QStringLiteral("control%1").arg(t.id));
        if (t.accessibleName || !text.isEmpty())
            w->setAccessibleName(t.accessibleName ? QString::fromUtf8(t.accessibleName)
                                                  : QString(text).remove(QLatin1Char('&')));
        if (t.description)
            w->setAccessibleDescription(QString::fromUtf8(t.description));
        m_controls.insert(t.id, w);
    }
    // The frames lie over the controls, whose flat faces would otherwise cut their lines where the
    // template lets them overlap (Help, About, Open); the mouse goes through them.
    for (QWidget* frame : frames) {
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        frame->raise();
    }

    for (const ControlTemplate& t : kMainWindowControls)
        if (t.onClick)
            connect(Button(t.id), &CImageButton::clicked, this, t.onClick);
    SetUpKeyboard();
    // Adding files is the first thing to do.
    Control(IDC_ADD)->setFocus();

    // Shown while a close waits for the file in hand: over the foot of the job list.
    m_closingNote = new QLabel(QStringLiteral("Closing once the file being converted is done..."), this);
    m_closingNote->setObjectName(QStringLiteral("closingNote"));
    m_closingNote->setAlignment(Qt::AlignCenter);
    m_closingNote->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_closingNote->setAutoFillBackground(true);
    m_closingNote->setBackgroundRole(QPalette::ToolTipBase);
    m_closingNote->setForegroundRole(QPalette::ToolTipText);
    const QRect list = m_list->geometry();
    const int height = m_closingNote->fontMetrics().height() + 12;
    m_closingNote->setGeometry(list.left() + 12, list.bottom() - height - 12, list.width() - 24, height);
    m_closingNote->hide();
}

void CConverterDlg::SetUpKeyboard() {
    // Tab goes through the layout: rows from the top, each from the left.
    std::vector<const ControlTemplate*> order;
    for (const ControlTemplate& t : kMainWindowControls)
        order.push_back(&t);
    std::stable_sort(order.begin(), order.end(), [](const ControlTemplate* a, const ControlTemplate* b) {
        return std::pair(a->units.y(), a->units.x()) < std::pair(b->units.y(), b->units.x());
    });
    QWidget* previous = nullptr;
    for (const ControlTemplate* t : order) {
        QWidget* w = Control(t->id);
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    // "&Add" and "&About" share their letter, and the toolkit answers a shared letter by moving the
    // focus between the buttons without clicking either. The letter stays with the first of them
    // in the template, Add, so Alt+A adds files at the first press; About keeps its caption.
    QSet<QString> taken;
    for (const ControlTemplate& t : kMainWindowControls) {
        auto* button = qobject_cast<QAbstractButton*>(Control(t.id));
        if (!button || button->shortcut().isEmpty())
            continue;
        const QString key = button->shortcut().toString();
        if (taken.contains(key))
            button->setShortcut(QKeySequence());
        else
            taken.insert(key);
    }

    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    m_list->viewport()->setAcceptDrops(true);
}

void CConverterDlg::SetUpImageButtons() {
    for (const ButtonImageTemplate& b : kButtonImages) {
        CImageButton* button = Button(b.id);
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

void CConverterDlg::SetUpJobList() {
    m_list->setColumnCount(kJobColumnCount);
    QStringList headings;
    for (const JobColumnTemplate& c : kJobColumns)
        headings << QString::fromUtf8(c.heading);
    m_list->setHeaderLabels(headings);
    for (int column = 0; column < kJobColumnCount; ++column)
        m_list->setColumnWidth(column, JobColumnWidth(column, m_list->font()));
    m_list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setSortingEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->setUniformRowHeights(true);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setItemDelegate(new CJobListDelegate(m_list));
}

void CConverterDlg::AddAboutCommand() {
#ifndef Q_OS_WIN
    // Without a system menu of the platform's own, the About command lives in a context menu on
    // the window's background.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!IsBackgroundAt(at))
            return;
        QMenu menu(this);
        menu.addSeparator();
        menu.addAction(kAboutCommandText, this, &CConverterDlg::OnAbout);
        menu.exec(mapToGlobal(at));
    });
#else
    AppendToSystemMenu(this, kAboutSystemCommand, kAboutCommandText);
#endif
}

bool CConverterDlg::IsBackgroundAt(const QPoint& at) const {
    // The frames let the mouse through, so they are never found here; the plain labels are part of
    // the background, the link is a control.
    const QWidget* child = childAt(at);
    return !child || (qobject_cast<const QLabel*>(child) && !qobject_cast<const CLinkLabel*>(child));
}

#ifdef Q_OS_WIN
bool CConverterDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (IsSystemCommand(eventType, message, kAboutSystemCommand)) {
        OnAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CConverterDlg::OnAdd() {
    m_batch->OnAdd();
}
void CConverterDlg::OnRemove() {
    m_batch->OnRemove();
}
void CConverterDlg::OnClear() {
    m_batch->OnClear();
}
void CConverterDlg::OnConvert() {
    // A folder deleted since start-up is made again as start-up makes it; only when that fails do
    // the rows fail.
    if (RowCount() > 0 && !m_batch->IsRunning())
        EnsureOutputDirectory(m_services.directories, m_outputDirectory->text());
    m_batch->OnConvert();
}

void CConverterDlg::OnStop() {
    m_batch->OnStop();
}

void CConverterDlg::OnBrowse() {
    ::OnBrowse(
        m_services.prompts, m_services.profile,
        [this](const QString& path) { m_outputDirectory->setText(path); }, m_outputDirectory->text());
}

void CConverterDlg::OnOpenOutputDir() {
    m_folderOpener.Open(m_outputDirectory->text());
}

void CConverterDlg::AddFromDesktop(const QStringList& paths) {
    m_batch->AddFromDesktop(paths);
}

void CConverterDlg::OnAbout() {
    CAboutDlg about(m_linkOpener, this);
    about.exec();
}

void CConverterDlg::OnSettings() {
    CEncoderSettingsDlg settings(m_services.profile, this, m_unsavedEncoderPositions);
    if (settings.exec() != QDialog::Accepted)
        return;
    const ProfileWriteResult& stored = settings.StoreResult();
    if (stored) {
        m_unsavedEncoderPositions.reset();
        return;
    }
    // Kept for this run, so that the dialog opens on them again.
    m_unsavedEncoderPositions = settings.Positions();
    m_services.prompts.ShowMessage(
        QStringLiteral("The encoder settings could not be saved in the settings file %1: %2.\n\n"
                       "Pagewright keeps them until it closes.")
            .arg(QDir::toNativeSeparators(m_services.profile.FilePath()), stored.reason),
        QCoreApplication::applicationName(), PromptIcon::Exclamation);
}

bool CConverterDlg::ConfirmQuit() {
    return m_services.prompts.AskYesNo(kQuitQuestion, kWarning, PromptIcon::Question) != PromptAnswer::No;
}

void CConverterDlg::OnOK() {
    if (ConfirmQuit())
        accept();
}

void CConverterDlg::closeEvent(QCloseEvent* event) {
    if (!m_closePending && !ConfirmQuit()) {
        event->ignore();
        return;
    }
    if (m_batch->IsRunning()) {
        event->ignore();
        CloseWhenIdle();
        return;
    }
    QDialog::closeEvent(event);
}

// Escape closes at once, without a question.
void CConverterDlg::reject() {
    CloseWhenIdle();
}

void CConverterDlg::CloseWhenIdle() {
    if (!m_batch->IsRunning()) {
        QDialog::reject();
        return;
    }
    m_batch->RequestStop();
    if (!m_closePending) {
        m_closePending = true;
        ShowClosePending();
    }
}

void CConverterDlg::ShowClosePending() {
    // The stop is already asked for; the note says why the window is still there.
    Control(IDC_STOP)->setEnabled(false);
    setCursor(Qt::BusyCursor);
    m_closingNote->raise();
    m_closingNote->show();
}

namespace {

bool HoldsLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

bool CConverterDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->matches(QKeySequence::Delete) || key->key() == Qt::Key_Delete) &&
            Control(IDC_REMOVE)->isEnabled()) {
            OnRemove();
            return true;
        }
        return false;
    }
    if (watched != m_list->viewport())
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Files are taken only while no run is on.
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!m_batch->IsRunning() && HoldsLocalFiles(drag->mimeData())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (m_batch->IsRunning() || !HoldsLocalFiles(drop->mimeData())) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls())
            paths << (url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString());
        // The questions and the message come once the drop has ended: a modal prompt inside it
        // would keep the program the files came from waiting too.
        QMetaObject::invokeMethod(
            this, [this, paths] { AddFromDesktop(paths); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}

// The job list, seen by the batch.

int CConverterDlg::RowCount() const {
    return m_list->topLevelItemCount();
}

QString CConverterDlg::CellText(int row, int column) const {
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

QStringList CConverterDlg::ColumnTexts(int column) const {
    QStringList texts;
    texts.reserve(m_list->topLevelItemCount());
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        texts << m_list->topLevelItem(row)->text(column);
    return texts;
}

void CConverterDlg::SetCellText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = m_list->topLevelItem(row))
        item->setText(column, text);
}

void CConverterDlg::SetStatus(int row, const QString& status, const QString& toolTip) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    item->setText(kColumnStatus, status);
    if (item->toolTip(0) == toolTip)
        return;
    for (int column = 0; column < kJobColumnCount; ++column)
        item->setToolTip(column, toolTip);
}

void CConverterDlg::InsertRow(int row) {
    m_list->insertTopLevelItem(row, new QTreeWidgetItem());
}

void CConverterDlg::DeleteRow(int row) {
    const std::unique_ptr<QTreeWidgetItem> removed(m_list->takeTopLevelItem(row));
}

void CConverterDlg::DeleteAllRows() {
    m_list->clear();
}

bool CConverterDlg::IsRowSelected(int row) const {
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item && item->isSelected();
}

void CConverterDlg::SelectRow(int row, bool ensureVisible) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    // A run selects every row it converts. Added one range per row, the selection would grow to
    // thousands of ranges that every repaint walks; growing the neighbouring range keeps it short.
    const QAbstractItemModel* model = m_list->model();
    const QModelIndex first = model->index(row, 0);
    const QModelIndex last = model->index(row, kJobColumnCount - 1);
    QItemSelectionModel* selectionModel = m_list->selectionModel();
    if (!selectionModel->isRowSelected(row, QModelIndex())) {
        QItemSelection selection = selectionModel->selection();
        bool grown = false;
        for (QItemSelectionRange& range : selection) {
            if (range.bottom() == row - 1 && range.left() == 0 && range.right() == kJobColumnCount - 1) {
                range = QItemSelectionRange(range.topLeft(), last);
                grown = true;
                break;
            }
            if (range.top() == row + 1 && range.left() == 0 && range.right() == kJobColumnCount - 1) {
                range = QItemSelectionRange(first, range.bottomRight());
                grown = true;
                break;
            }
        }
        if (grown)
            selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
        else
            selectionModel->select(QItemSelection(first, last), QItemSelectionModel::Select);
    }
    if (ensureVisible)
        m_list->scrollToItem(item);
}

void CConverterDlg::FocusList() {
    m_list->setFocus();
}

QString CConverterDlg::OutputDirectory() const {
    return m_outputDirectory->text();
}

void CConverterDlg::EnableCommand(Command command, bool enabled) {
    Control(ControlFor(command))->setEnabled(enabled);
}

void CConverterDlg::SetProgressRange(int low, int high) {
    m_progress->setRange(low, high);
}

void CConverterDlg::OpenFolder(const QString& path) {
    m_folderOpener.Open(path);
}
