#include "app/converter_dlg.h"

#include "app/about_dlg.h"
#include "app/main_window_template.h"
#include "app/product_info.h"
#include "batch/job_batch.h"
#include "controls/image_button.h"
#include "controls/link_label.h"
#include "platform/widgets/system_menu.h"
#include "settings/output_directory.h"
#include "settings/widgets/encoder_settings_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QResizeEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <utility>

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
    m_ui = LayOutMainWindow(*this, m_linkOpener);
    for (const ControlTemplate& t : kMainWindowControls)
        if (t.onClick)
            connect(Button(t.id), &CImageButton::clicked, this, t.onClick);
    // The Delete key and drops.
    m_ui.list->installEventFilter(this);
    m_ui.list->viewport()->installEventFilter(this);
    m_ui.list->viewport()->setAcceptDrops(true);
    AttachJobList(m_ui.list);
    AddAboutCommand();
    setWindowIcon(QIcon(QStringLiteral(":/icons/pagewright.svg")));

    // The home-page link shows its address, without underline.
    m_ui.homePageLink->m_strAddress = kHomePageAddress;
    m_ui.homePageLink->Bind();
    m_ui.homePageLink->ChangeLinkStyle(HLS_UNDERLINE, 0, true);
    // The address is a build setting and the font the desktop's: the link widens to show all of
    // it, over the top row's hidden buttons, as far as the frames' right edge.
    QRect& linkPlace = m_ui.placed[m_ui.homePageLink];
    const int rightEdge = m_ui.placed.value(Control(IDC_STATIC_BUTTON_FRAME)).right();
    linkPlace.setWidth(std::clamp(m_ui.homePageLink->sizeHint().width(), linkPlace.width(),
                                  std::max(linkPlace.width(), rightEdge - linkPlace.left() + 1)));
    m_ui.homePageLink->setGeometry(linkPlace);

    setWindowTitle(kProductNameText + QStringLiteral(" ") + kProductVersionText);
    m_batch->ClearStopRequest();

    LoadOutputDirectory(m_services.profile, m_services.directories,
                        [this](const QString& path) { m_ui.outputDirectory->setText(path); });

    Button(IDC_WEBSITE)->SetLinkURL(kHomePageAddress);

    ApplyStateChange(*this, StateChange::Initialised);
}

void CConverterDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!m_ui.list)
        return;
    const int before = m_ui.list->width();
    FitMainWindow(m_ui, event->size());
    const int grown = m_ui.list->width() - before;
    if (grown != 0) {
        // Long paths are what a wider window is for; a column the user narrowed keeps some width.
        const int name = m_ui.list->columnWidth(kColumnName);
        m_ui.list->setColumnWidth(kColumnName, std::max(name + grown, std::min(name, 40)));
    }
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
        EnsureOutputDirectory(m_services.directories, m_ui.outputDirectory->text());
    m_batch->OnConvert();
}

void CConverterDlg::OnStop() {
    m_batch->OnStop();
}

void CConverterDlg::OnBrowse() {
    ::OnBrowse(
        m_services.prompts, m_services.profile,
        [this](const QString& path) { m_ui.outputDirectory->setText(path); }, m_ui.outputDirectory->text());
}

void CConverterDlg::OnOpenOutputDir() {
    m_folderOpener.Open(m_ui.outputDirectory->text());
}

void CConverterDlg::OnHelp() {
    const QString& guide = m_services.userGuide;
    if (!QFileInfo(guide).isFile()) {
        m_services.prompts.Beep(PromptIcon::Exclamation);
        const QString where = guide.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" It belongs here:\n") + QDir::toNativeSeparators(guide);
        m_services.prompts.ShowMessage(QStringLiteral("The user guide could not be found.") + where +
                                           QStringLiteral("\n\nInstalling Pagewright again puts it back."),
                                       QCoreApplication::applicationName(), PromptIcon::Exclamation);
        return;
    }
    m_linkOpener.OpenLink(QUrl::fromLocalFile(guide).toString(QUrl::FullyEncoded));
}

void CConverterDlg::AddFromDesktop(const QStringList& paths) {
    m_batch->AddFromDesktop(paths);
}

void CConverterDlg::AddFromAnotherStart(const QStringList& paths) {
    const bool waiting = !m_handedOver.isEmpty();
    m_handedOver += paths;
    if (!waiting)
        AddHandedOver();
}

void CConverterDlg::AddHandedOver() {
    // A question or dialog of this window runs its own event loop: adding now would ask questions
    // inside it, about a list it may be changing.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        QTimer::singleShot(250, this, &CConverterDlg::AddHandedOver);
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    AddFromDesktop(std::exchange(m_handedOver, {}));
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
    m_ui.closingNote->raise();
    m_ui.closingNote->show();
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
    if (watched == m_ui.list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->matches(QKeySequence::Delete) || key->key() == Qt::Key_Delete) &&
            Control(IDC_REMOVE)->isEnabled()) {
            OnRemove();
            return true;
        }
        return false;
    }
    if (watched != m_ui.list->viewport())
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

// The window's part of IJobWindow.

QString CConverterDlg::OutputDirectory() const {
    return m_ui.outputDirectory->text();
}

void CConverterDlg::EnableCommand(Command command, bool enabled) {
    Control(ControlFor(command))->setEnabled(enabled);
}

void CConverterDlg::SetProgressRange(int low, int high) {
    m_ui.progress->setRange(low, high);
}

void CConverterDlg::OpenFolder(const QString& path) {
    m_folderOpener.Open(path);
}
