#include "batch/row_event_queue.h"

#include "runner/ordered_runner.h"

#include <QMetaObject>
#include <QThread>

RowEventQueue::RowEventQueue(IWorkerWindow& window, const std::atomic<bool>& stopRequested, QObject* parent)
    : QObject(parent), m_window(window), m_stopRequested(stopRequested) {
    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, &RowEventQueue::Drain);
}

RowEventQueue::~RowEventQueue() = default;

void RowEventQueue::Attach(pagewright::run::OrderedRunner* runner) {
    const std::lock_guard lock(m_mutex);
    m_run = runner;
}

void RowEventQueue::SelectRow(int row) {
    Post({Event::Kind::Select, row, {}, {}});
}

void RowEventQueue::SetStatus(int row, const QString& status, const QString& toolTip) {
    Post({Event::Kind::Status, row, status, toolTip});
}

void RowEventQueue::EndRun(const QString& folderToOpen) {
    Post({Event::Kind::End, 0, folderToOpen, {}});
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
    std::size_t lastSelect = m_batch.size();
    for (std::size_t k = m_batch.size(); k-- > 0;) {
        if (m_batch[k].kind == Event::Kind::Select) {
            lastSelect = k;
            break;
        }
    }
    int shown = -1;      // the last row shown "Converting" in this batch
    int cutHere = -1;    // where this batch cut the run short
    int unscrolled = -1; // a row selected without scrolling to it
    for (std::size_t k = 0; k < m_batch.size(); ++k) {
        const Event& event = m_batch[k];
        if (event.kind == Event::Kind::Select && m_cutAt < 0 && m_stopRequested.load()) {
            m_cutAt = cutHere = event.row;
            if (unscrolled >= 0)
                m_window.SelectRow(unscrolled, true);
        }
        switch (event.kind) {
        case Event::Kind::Select:
            if (m_cutAt >= 0 && event.row >= m_cutAt)
                break;
            m_window.SelectRow(event.row, k == lastSelect);
            unscrolled = k == lastSelect ? -1 : event.row;
            break;
        case Event::Kind::Status:
            if (m_cutAt >= 0 && event.row >= m_cutAt)
                break;
            m_window.SetStatus(event.row, event.text, event.toolTip);
            if (event.text == kStatusConverting)
                shown = event.row;
            break;
        case Event::Kind::End:
            m_cutAt = -1;
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
        if (m_run && shown >= 0)
            m_run->Release(static_cast<std::size_t>(shown) + 1);
        if (m_run && cutHere >= 0)
            m_run->Cut(static_cast<std::size_t>(cutHere));
    }
    m_draining = false;
    if (m_drainAgain) {
        m_drainAgain = false;
        DrainInFrame();
    }
}
