#include "app/instance_channel.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

namespace {

// The first window, on a thread of its own: a later start waits for its answer.
class RunningWindow {
public:
    explicit RunningWindow(const QString& name) {
        m_thread = std::thread([this, name] {
            QEventLoop loop; // first: the thread's sockets need its event dispatcher
            CInstanceChannel channel(name);
            m_start = channel.HandOverOrListen({});
            QObject::connect(&channel, &CInstanceChannel::FilesArrived, &loop,
                             [this](const QStringList& files) {
                                 m_received << files;
                                 ++m_arrivals;
                             });
            m_quit = [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); };
            m_ready = true;
            loop.exec();
        });
        while (!m_ready)
            std::this_thread::yield();
    }
    ~RunningWindow() {
        m_quit();
        m_thread.join();
    }
    CInstanceChannel::Start Start() const { return m_start; }
    // The files of the first `count` hand-overs, once they have all arrived (empty if they do not
    // within a long while: the window reports a hand-over just after answering it).
    QStringList Received(int count) const {
        QDeadlineTimer patience(20000);
        while (m_arrivals < count && !patience.hasExpired())
            std::this_thread::yield();
        return m_arrivals >= count ? m_received : QStringList();
    }

private:
    std::thread m_thread;
    std::atomic<bool> m_ready{false};
    std::atomic<int> m_arrivals{0};
    CInstanceChannel::Start m_start = CInstanceChannel::Start::Alone;
    QStringList m_received;
    std::function<void()> m_quit;
};

TEST(InstanceChannel, ALaterStartHandsItsFilesToTheRunningWindow) {
    TempDir dir;
    const QString name = QString::fromStdString((dir / "pagewright.socket").string());
    // A socket left by a window that ended without closing it is taken over.
    std::ofstream(dir / "pagewright.socket") << "stale";
    RunningWindow first(name);
    ASSERT_EQ(first.Start(), CInstanceChannel::Start::Listening);

    CInstanceChannel later(name);
    const QStringList files{"/a/one.pdf", "/b/two \u00e9.pdf", "/a/one.pdf"};
    EXPECT_EQ(later.HandOverOrListen(files), CInstanceChannel::Start::HandedOver);
    EXPECT_EQ(first.Received(1), files) << "every path as given, duplicates and all: the window decides";

    // Without files a later start is a window of its own, and does not take the socket.
    CInstanceChannel another(name);
    EXPECT_EQ(another.HandOverOrListen({}), CInstanceChannel::Start::Alone);
    CInstanceChannel third(name);
    EXPECT_EQ(third.HandOverOrListen({"/c.pdf"}), CInstanceChannel::Start::HandedOver);
    EXPECT_EQ(first.Received(2), files + QStringList{"/c.pdf"});
}

} // namespace
