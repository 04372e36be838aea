#include "batch/row_event_queue.h"

#include "tests/fakes/fake_job_window.h"
#include "tests/fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

// A write that runs an event loop of its own (as a message box does) while the worker goes on
// posting: the writes posted meanwhile wait for the rest of their batch, then come in order.
TEST(RowEventQueue, WritesPostedDuringANestedEventLoopDoNotOvertakeTheirBatch) {
    FakeJobWindow window;
    for (int row = 0; row < 3; ++row)
        window.AddRow(QString::number(row));
    const std::atomic<bool> stop{false};
    FakePrompts prompts;
    RowEventQueue events(window, prompts, stop);
    std::atomic<bool> posted{false};
    std::thread worker;
    window.afterSetCell = [&](int row, int, const QString& text) {
        if (row != 0 || text != "nest")
            return;
        worker = std::thread([&] {
            for (int k = 0; k < 50; ++k)
                events.SetStatus(2, QString::number(k), {});
            posted = true;
        });
        // Long enough for the frame after the posts: a queue without the rule drains them here.
        QEventLoop nested;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!posted)
                return;
            poll.stop();
            QTimer::singleShot(3 * RowEventQueue::kFrameMs, &nested, &QEventLoop::quit);
        });
        poll.start(1);
        nested.exec();
    };
    // The batch: row 0's write that nests, then row 1's.
    std::thread first([&] {
        events.SetStatus(0, "nest", {});
        events.SetStatus(1, "after the nest", {});
    });
    first.join();
    QEventLoop loop;
    QTimer::singleShot(0, [&] {
        events.Drain();
        worker.join();
        QTimer::singleShot(3 * RowEventQueue::kFrameMs, &loop, &QEventLoop::quit);
    });
    loop.exec();
    ASSERT_EQ(window.statusLog.size(), 52);
    EXPECT_EQ(window.statusLog[0], "0:nest");
    EXPECT_EQ(window.statusLog[1], "1:after the nest");
    for (int k = 0; k < 50; ++k)
        EXPECT_EQ(window.statusLog[2 + k], "2:" + QString::number(k));
}

} // namespace
