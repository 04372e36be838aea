#pragma once

#include "batch/job_window.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class IPrompts;
class QThread;
class RowEventQueue;

// The batch commands of the main window: Add, Remove and Clear edit the job list; Convert starts
// one conversion run on a worker thread and Stop asks it to end before its next row. All of them
// run on the UI thread. The object owns the worker and the stop request.
class CJobBatch : public QObject {
    Q_OBJECT

public:
    CJobBatch(IJobWindow& window, IPrompts& prompts, QObject* parent = nullptr);
    // Waits for a running worker, keeping the UI thread's events going meanwhile, so the worker
    // never outlives the window it drives.
    ~CJobBatch() override;

    // Picks PDF files and adds them (AddFiles).
    void OnAdd();
    // The rules of Add for chosen PDF files: a row for each at the top of the list, in the given
    // order. The first path that is already in the list ends the Add silently; a path whose text
    // file exists is added only when the overwrite question is answered Yes. An Add that went
    // through every path, or that added any row, leaves the buttons in the Ready state. Clears the
    // stop request; does nothing else during a run.
    void AddFiles(const QStringList& paths);
    // Paths handed over by the desktop (the command line, a drop): the PDF files among them are
    // added by AddFiles, the others named in one message. Nothing during a run.
    void AddFromDesktop(const QStringList& paths);
    // Removes the selected rows; the row after each removed block becomes selected.
    void OnRemove();
    void OnClear();
    // True when some row holds exactly this path (ASCII case folded on Windows).
    bool IsFileInList(const QString& path) const;
    // Starts a run over the list (nothing when the list is empty).
    void OnConvert();
    // Asks whether to stop; anything but No sets the stop request.
    void OnStop();

    bool IsRunning() const;
    // Returns once no worker runs, carrying out the worker's writes into the window meanwhile.
    void WaitUntilIdle();
    bool StopRequested() const { return m_stopRequested.load(); }
    // Sets the stop request without asking (the window is being closed during a run).
    void RequestStop() { m_stopRequested.store(true); }
    void ClearStopRequest() { m_stopRequested.store(false); }

signals:
    // The worker has made its last step; the window may close now.
    void RunFinished();

private:
    IJobWindow& m_window;
    IPrompts& m_prompts;
    std::atomic<bool> m_stopRequested{false};
    std::unique_ptr<RowEventQueue> m_events;
    std::unique_ptr<QThread> m_worker;
};
