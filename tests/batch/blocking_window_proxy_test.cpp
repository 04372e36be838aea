#include "batch/blocking_window_proxy.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Counts the statuses written and checks that they come in the order the worker wrote them.
class CountingWindow : public IWorkerWindow {
public:
    int RowCount() const override { return 1; }
    QString CellText(int, int) const override { return {}; }
    QStringList ColumnTexts(int) const override { return {}; }
    void SetStatus(int, const QString& status, const QString&) override {
        if (status.toLongLong() != applied)
            outOfOrder = true;
        ++applied;
    }
    void SelectRow(int, bool) override {}
    QString OutputDirectory() const override { return {}; }
    void EnableCommand(Command, bool) override {}
    void SetProgressRange(int, int) override {}
    void OpenFolder(const QString&) override {}

    long long applied = 0;
    bool outOfOrder = false;
};

// A worker that writes as fast as it can: every write is carried out, in order, and the UI thread,
// which keeps looking for writes while they come that fast, still gives its event loop turns.
TEST(BlockingWindowProxy, AStreamOfWritesArrivesInOrderAndLeavesTheEventLoopItsTurns) {
    QObject context;
    CountingWindow window;
    BlockingWindowProxy proxy(&context, window);
    QEventLoop loop;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);

    std::atomic<long long> written = 0;
    std::atomic<bool> shownAtEnd = false;
    std::thread worker([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        long long n = 0;
        while (std::chrono::steady_clock::now() < until) {
            for (int k = 0; k < 64; ++k, ++n)
                proxy.SetStatus(0, QString::number(n), {});
        }
        proxy.WaitUntilShown();
        shownAtEnd = proxy.IsShown();
        written = n;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    EXPECT_EQ(window.applied, written.load());
    EXPECT_FALSE(window.outOfOrder);
    EXPECT_TRUE(shownAtEnd.load());
    // A UI thread that kept looking for as long as writes came would have ticked once or not at all.
    EXPECT_GE(ticks, 20) << written.load() << " writes";
}

} // namespace
