#include "batch/row_event_queue.h"

#include "platform/prompts.h"
#include "runner/ordered_runner.h"

#include <QCoreApplication>

#include <QMetaObject>
#include <QThread>

RowEventQueue::RowEventQueue(IWorkerWindow& window, IPrompts& prompts, const std::atomic<bool>& stopRequested,
                             QObject* parent)
    : QObject(parent), m_window(window), m_prompts(prompts), m_stopRequested(stopRequested) {
    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, &RowEventQueue::Drain);
}

RowEventQueue::~RowEventQueue() = default;

void RowEventQueue::Attach(pagewright::run::OrderedRunner* runner) {
    const std::lock_guard lock(m_mutex);
    m_run = runner;
}

void RowEventQueue::TakeRow(int row, std::size_t job) {
    Post({Event::Kind::Take, row, job, {}, {}});
}

void RowEventQueue::SetStatus(int row, const QString& status, const QString& toolTip) {
    Post({Event::Kind::Status, row, 0, status, toolTip});
}

void RowEventQueue::EndRun(const QString& folderToOpen, const QString& message) {
    Post({Event::Kind::End, 0, 0, folderToOpen, message});
}

void RowEventQueue::Post(Event event) {
    bool ask = false;
    {
        const std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(event));
        ask = !m_drainAsked;
        m_drainAsked = true;
    }
    if (QThread::currentThread() == thread())
        Drain();
    else if (ask)
        QMetaObject::invokeMethod(this, &RowEventQueue::DrainInFrame, Qt::QueuedConnection);
}

void RowEventQueue::DrainInFrame() {
    const qint64 since = m_sinceDrain.isValid() ? m_sinceDrain.elapsed() : kFrameMs;
    if (since >= kFrameMs)
        Drain();
    else if (!m_frame.isActive())
        m_frame.start(static_cast<int>(kFrameMs - since));
}

void RowEventQueue::Drain() {
    // A write that runs an event loop of its own (a message box when the folder cannot be shown)
    // must not let later writes overtake the rest of its batch: they wait for the next one.
    if (m_draining) {
        m_drainAgain = true;
        return;
    }
    m_draining = true;
    m_frame.stop();
    m_sinceDrain.start();
    {
        const std::lock_guard lock(m_mutex);
        m_batch.swap(m_posted);
        m_drainAsked = false;
    }
    std::size_t lastTake = m_batch.size();
    for (std::size_t k = m_batch.size(); k-- > 0;) {
        if (m_batch[k].kind == Event::Kind::Take) {
            lastTake = k;
            break;
        }
    }
    bool release = false;
    std::size_t shown = 0; // the jobs whose rows show "Converting"
    bool cutHere = false;
    std::size_t cutAt = 0; // the job where this batch cut the run short
    int unscrolled = -1;   // a row taken without scrolling to it
    for (std::size_t k = 0; k < m_batch.size(); ++k) {
        const Event& event = m_batch[k];
        switch (event.kind) {
        case Event::Kind::Take:
            if (!m_cut && m_stopRequested.load()) {
                m_cut = cutHere = true;
                cutAt = event.job;
                if (unscrolled >= 0)
                    m_window.SelectRow(unscrolled, true);
            }
            if (m_cut)
                break;
            m_window.SelectRow(event.row, k == lastTake);
            m_window.SetStatus(event.row, kStatusConverting, {});
            unscrolled = k == lastTake ? -1 : event.row;
            release = true;
            shown = event.job + 1;
            break;
        case Event::Kind::Status:
            m_window.SetStatus(event.row, event.text, event.toolTip);
            break;
        case Event::Kind::End:
            m_cut = false;
            if (!event.toolTip.isEmpty())
                m_prompts.ShowMessage(event.toolTip, QCoreApplication::applicationName(),
                                      PromptIcon::Exclamation);
            if (!event.text.isEmpty())
                m_window.OpenFolder(event.text);
            ApplyStateChange(m_window, StateChange::RunEnded);
            m_endShown = true;
            break;
        }
    }
    m_batch.clear();
    {
        const std::lock_guard lock(m_mutex);
        if (m_run && release)
            m_run->Release(shown);
        if (m_run && cutHere)
            m_run->Cut(cutAt);
    }
    m_draining = false;
    if (m_drainAgain) {
        m_drainAgain = false;
        DrainInFrame();
    }
}
