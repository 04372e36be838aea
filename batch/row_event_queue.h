#pragma once

#include "batch/job_window.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <vector>

namespace pagewright::run {
class OrderedRunner;
}

// The one channel from a conversion run's worker to the window, and every rule the two threads
// share besides the stop request:
//
// - The worker posts each row's writes (its selection, its statuses) and the end of the run, and
//   never waits for the UI thread. The UI thread carries them out in the order posted, all that
//   have come in one batch, at most once per frame; only the last selection of a batch scrolls.
// - A row's text file may be put in place only once the row shows "Converting". Once a batch is
//   carried out, the queue lets the run (OrderedRunner::Release) put in place the rows whose
//   "Converting" it showed.
// - A stop counts before each row as the window shows it: a row whose selection comes up once the
//   stop request is set is not shown, and the run is cut short there (OrderedRunner::Cut); the rows
//   shown "Converting" before it are finished.
//
// Writes posted from the UI thread itself (a worker driven on the test's thread) are carried out at
// once.
class RowEventQueue : public QObject {
    Q_OBJECT

public:
    // Lives on the UI thread; `window` is written there. `stopRequested` is the run's stop request.
    RowEventQueue(IWorkerWindow& window, const std::atomic<bool>& stopRequested, QObject* parent = nullptr);
    ~RowEventQueue() override;

    // The worker's side, any thread.
    // The run whose rows are shown (null: none); its Release and Cut are called from the UI thread
    // until it is detached, never after.
    void Attach(pagewright::run::OrderedRunner* runner);
    void SelectRow(int row);
    void SetStatus(int row, const QString& status, const QString& toolTip);
    // The run's last step: the folder is opened (unless empty), then the buttons return to Ready.
    void EndRun(const QString& folderToOpen);

    // Carries out every write posted so far (UI thread).
    void Drain();
    // UI thread: a run starts; whether its end has been carried out since.
    void ExpectEnd() { m_endShown = false; }
    bool EndShown() const { return m_endShown; }

    // The shortest time between two batches.
    static constexpr int kFrameMs = 16;

private:
    struct Event {
        enum class Kind { Select, Status, End } kind;
        int row = 0;
        QString text;    // the status, or the folder to open
        QString toolTip; // of a status
    };
    void Post(Event event);
    // Drains now, or once a frame has passed since the last batch (UI thread).
    void DrainInFrame();

    IWorkerWindow& m_window;
    const std::atomic<bool>& m_stopRequested;

    std::mutex m_mutex;                              // guards what follows, up to the UI thread's own
    std::vector<Event> m_posted;                     // written, not yet carried out
    bool m_drainAsked = false;                       // a drain is on its way to the UI thread
    pagewright::run::OrderedRunner* m_run = nullptr; // called under m_mutex

    // The UI thread's own.
    std::vector<Event> m_batch;
    QTimer m_frame;
    QElapsedTimer m_sinceDrain;
    int m_cutAt = -1; // the row where a stop cut the run short
    bool m_endShown = true;
    bool m_draining = false;
    bool m_drainAgain = false;
};
