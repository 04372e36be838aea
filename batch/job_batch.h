#pragma once

#include "batch/job_paths.h"
#include "batch/job_window.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

class IPrompts;
class RowEventQueue;

// The batch commands of the main window: Add, Remove and Clear edit the job list; Convert starts
// one conversion run on a worker thread and Stop asks it to end before its next row. All of them
// run on the UI thread. The object owns the worker and the stop request. The worker shares with
// the UI thread only the stop request, the event queue (RowEventQueue) and, as its last step, the
// flag that it has returned; the UI thread joins it once it sees that flag or the queued call that
// follows it.
class CJobBatch : public QObject {
    Q_OBJECT

public:
    CJobBatch(IJobWindow& window, IPrompts& prompts, QObject* parent = nullptr);
    // Waits for a running worker, carrying out its writes meanwhile, so the worker never outlives
    // the window it drives.
    ~CJobBatch() override;

    // Picks PDF files and adds them (AddFiles).
    void OnAdd();
    // The rules of Add for chosen PDF files: a row for each at the top of the list, in the given
    // order. A path already in the list is left out, and those left out are named in one message;
    // a path whose text file exists, or is the text file of a row or of an earlier path of this
    // Add, is added only when the overwrite question is answered Yes (or Yes to All). An Add with
    // any path not in the list leaves the buttons in the Ready state. Clears the stop request; does
    // nothing else during a run.
    void AddFiles(const QStringList& paths);
    // Paths handed over by the desktop (the command line, a drop): the PDF files among them are
    // added by the rules of AddFiles; the others and those already in the list are named in one
    // message. During a run nothing is added, and the message names every path.
    void AddFromDesktop(const QStringList& paths);
    // Removes the selected rows; the row after each removed block becomes selected.
    void OnRemove();
    void OnClear();
    // True when some row holds exactly this path (ASCII case folded on Windows).
    bool IsFileInList(const QString& path) const;
    // Starts a run over the list (nothing when the list is empty). A row whose text file is not the
    // one its Add (or its last run) cleared, and exists, is converted only after a Yes to the
    // overwrite question; with every row declined, no run starts.
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
    // The worker has returned (UI thread): join it, carry out its last writes, end the run.
    void OnWorkerEnded();
    // AddFiles without the message: returns the paths left out.
    QList<LeftOutPath> AddPaths(const QStringList& paths);

    IJobWindow& m_window;
    IPrompts& m_prompts;
    std::atomic<bool> m_stopRequested{false};
    std::unique_ptr<RowEventQueue> m_events;
    std::unique_ptr<std::thread> m_worker;
    std::atomic<bool> m_workerReturned{false}; // set by the worker as its last step but one
    // For each row (by the key of its path): the key of the text file that Add or a run cleared to
    // be written.
    QHash<QString, QString> m_cleared;
};
