#pragma once

#include "app/job_list_adapter.h"
#include "app/main_window_layout.h"
#include "controls/link_opener.h"
#include "platform/folder_opener.h"
#include "platform/platform_services.h"
#include "settings/encoder_settings.h"

#include <QDialog>

#include <optional>

class CImageButton;
class CJobBatch;

// The main window: the job list, the row of command buttons above it and the output directory
// below it, laid out from the window's template (main_window_layout.h). It routes every command to
// its handler, keeps the buttons in the Empty, Ready and Converting states, and asks before
// quitting. The batch sees the window through IJobWindow: the rows through the job list adapter,
// the rest here.
//
// Closing the window during a conversion (close box, Escape, Alt+F4) turns into a stop request:
// the window stays usable until the worker has finished the file in hand, then closes; meanwhile
// a note over the job list says so.
//
// PDF files dropped onto the job list, and those named on the command line, are added by the rules
// of Add (CJobBatch::AddFromDesktop). Delete in the job list removes the selected rows when Remove
// is enabled.
class CConverterDlg : public QDialog, private CJobListAdapter {
    Q_OBJECT

public:
    explicit CConverterDlg(const PlatformServices& services, QWidget* parent = nullptr);
    ~CConverterDlg() override;

    // The control with the template's number (see main_window_template.h), or nullptr.
    QWidget* Control(int id) const { return m_ui.byId.value(id, nullptr); }
    // The image button with the template's number, or nullptr.
    CImageButton* Button(int id) const;
    CLinkLabel* HomePageLink() const { return m_ui.homePageLink; }
    // Opens addresses for the window's links and reports failures.
    const CLinkOpener& LinkOpener() const { return m_linkOpener; }
    QTreeWidget* JobList() const { return m_ui.list; }
    CJobBatch& Batch() const { return *m_batch; }
    // True while a close waits for the running conversion to stop.
    bool IsClosePending() const { return m_closePending; }
    // The note shown over the job list while a close waits.
    QLabel* ClosingNote() const { return m_ui.closingNote; }

    // Files handed over by the desktop: the command line at start-up, a drop onto the job list.
    void AddFromDesktop(const QStringList& paths);
    // Files of a later start of the program (Open With while this window runs): the window comes
    // to the front and adds them by the rules of AddFromDesktop once none of its questions or
    // dialogs is open.
    void AddFromAnotherStart(const QStringList& paths);

    // The handlers of the window's commands.
    void OnAdd();
    void OnRemove();
    void OnClear();
    void OnConvert();
    void OnStop();
    void OnBrowse();
    void OnOpenOutputDir();
    // Opens the user guide in the web browser by the links' rule; when the guide is missing, says
    // where it belongs instead.
    void OnHelp();
    void OnAbout();
    // The hidden Settings button: the encoder settings dialog, modal. Positions that could not be
    // stored are said so and kept for this run: the dialog opens on them again.
    void OnSettings();
    // Quit button and Enter: asks, then closes.
    void OnOK();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Drops onto the job list and the Delete key in it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The job list and the output row grow with the window; the Name column takes the list's new width.
    void resizeEvent(QResizeEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void OnInitDialog();
    void AddAboutCommand();
    void AddHandedOver();
    void ShowClosePending();
    // True where the window's own background shows: no control, or a frame or a plain label.
    bool IsBackgroundAt(const QPoint& at) const;
    bool ConfirmQuit();
    // Closes now, or once the running conversion has stopped.
    void CloseWhenIdle();

    // The window's part of IJobWindow, on the UI thread.
    QString OutputDirectory() const override;
    void EnableCommand(Command command, bool enabled) override;
    void SetProgressRange(int low, int high) override;
    void OpenFolder(const QString& path) override;

    PlatformServices m_services;
    CLinkOpener m_linkOpener;
    CFolderOpener m_folderOpener;
    MainWindowControls m_ui;
    CJobBatch* m_batch = nullptr;
    bool m_closePending = false;
    QStringList m_handedOver; // files of later starts waiting for the window's questions to end
    std::optional<EncoderPositions> m_unsavedEncoderPositions;
};
