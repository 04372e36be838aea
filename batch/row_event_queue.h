#pragma once

#include "batch/job_window.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

class IPrompts;

namespace pagewright::run {
class OrderedRunner;
}

// The one channel from a conversion run's worker to the window, and every rule the two threads
// share besides the stop request:
//
// - The worker posts each row's writes (its selection and "Converting" as it takes the row, then its
//   last status) and the end of the run, and never waits for the UI thread. The UI thread carries them out in
//   the order posted, all that have come in one batch, at most once per frame; only the last selection of a
//   batch scrolls.
// - A row's text file may be put in place only once the row shows "Converting". Once a batch is
//   carried out, the queue lets the run (OrderedRunner::Release) put in place the jobs whose rows
//   it showed "Converting".
// - A stop counts before each row as the window shows it: a row taken once the stop request is set
//   is not shown, and the run is cut short at its job (OrderedRunner::Cut); the rows shown
//   "Converting" before it are finished.
//
// Writes posted from the UI thread itself (a worker driven on the test's thread) are carried out at
// once.
class RowEventQueue : public QObject {
    Q_OBJECT

public:
    // Lives on the UI thread; `window` is written there, and `prompts` shows the end's message.
    // `stopRequested` is the run's stop request.
    RowEventQueue(IWorkerWindow& window, IPrompts& prompts, const std::atomic<bool>& stopRequested,
                  QObject* parent = nullptr);
    ~RowEventQueue() override;

    // The worker's side, any thread.
    // The run whose rows are shown (null: none); its Release and Cut are called from the UI thread
    // until it is detached, never after.
    void Attach(pagewright::run::OrderedRunner* runner);
    // The run took `row` as its job `job`: the row is selected, scrolled to and marked "Converting".
    void TakeRow(int row, std::size_t job);
    void SetStatus(int row, const QString& status, const QString& toolTip);
    // The run's last step: the message is shown (unless empty), the folder opened (unless empty),
    // then the buttons return to Ready.
    void EndRun(const QString& folderToOpen, const QString& message = {});

    // Carries out every write posted so far (UI thread).
    void Drain();
    // UI thread: a run starts; whether its end has been carried out since.
    void ExpectEnd() { m_endShown = false; }
    bool EndShown() const { return m_endShown; }

    // The shortest time between two batches: 30 a second is smooth to the eye, and against 60 it
    // halves what a run of many tiny files spends painting.
    static constexpr int kFrameMs = 33;

private:
    struct Event {
        enum class Kind { Take, Status, End } kind;
        int row = 0;
        std::size_t job = 0; // of a row taken
        QString text;        // the status, or the folder to open
        QString toolTip;     // of a status, or the end's message
    };
    void Post(Event event);
    // Drains now, or once a frame has passed since the last batch (UI thread).
    void DrainInFrame();

    IWorkerWindow& m_window;
    IPrompts& m_prompts;
    const std::atomic<bool>& m_stopRequested;

    std::mutex m_mutex;                              // guards what follows, up to the UI thread's own
    std::vector<Event> m_posted;                     // written, not yet carried out
    bool m_drainAsked = false;                       // a drain is on its way to the UI thread
    pagewright::run::OrderedRunner* m_run = nullptr; // called under m_mutex

    // The UI thread's own.
    std::vector<Event> m_batch;
    QTimer m_frame;
    QElapsedTimer m_sinceDrain;
    bool m_cut = false; // a stop cut the run short: its rows taken from then on are not shown
    bool m_endShown = true;
    bool m_draining = false;
    bool m_drainAgain = false;
};
