#include "app/instance_channel.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <memory>
#include <utility>

namespace {

constexpr quint32 kMagic = 0x50475731; // "PGW1"
constexpr char kReceived = 'R';
// A path list of a few thousand files is well under a megabyte; more is not a start of ours.
constexpr qint64 kLargestMessage = 16 * 1024 * 1024;
// Long enough for a window busy adding thousands of files to come back to its event loop.
constexpr int kAnswerWaitMs = 10000;
constexpr int kConnectWaitMs = 1000;
constexpr int kLockWaitMs = 3000;

} // namespace

CInstanceChannel::CInstanceChannel(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {}

CInstanceChannel::~CInstanceChannel() = default;

QString CInstanceChannel::DefaultName() {
#ifdef Q_OS_WIN
    // Pipe names are seen by every session of the machine: the user's name keeps them apart.
    return QStringLiteral("pagewright-") + qEnvironmentVariable("USERNAME");
#else
    // The user's runtime folder, which only the user can enter; one window per display, so that a
    // start on another screen (a remote session) opens where its user is.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", qEnvironmentVariable("DISPLAY"));
    for (QChar& c : display)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return QDir(folder).filePath(QStringLiteral("pagewright%1.socket").arg(display));
#endif
}

CInstanceChannel::Start CInstanceChannel::HandOverOrListen(const QStringList& files) {
#ifdef Q_OS_WIN
    QLockFile lock(QDir::temp().filePath(m_name + QStringLiteral(".lock")));
#else
    QLockFile lock(m_name + QStringLiteral(".lock"));
#endif
    if (!lock.tryLock(kLockWaitMs))
        return Start::Alone;
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kConnectWaitMs)) {
        // Without files there is nothing to hand over: the user asked for a window of their own.
        if (files.isEmpty())
            return Start::Alone;
        QByteArray message;
        QDataStream out(&message, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << kMagic << files;
        probe.write(message);
        char answer = 0;
        const bool answered = probe.waitForBytesWritten(kAnswerWaitMs) &&
                              probe.waitForReadyRead(kAnswerWaitMs) && probe.read(&answer, 1) == 1 &&
                              answer == kReceived;
        // A window that does not answer keeps nothing: the receiver takes files only from a sender
        // still waiting for its answer.
        probe.abort();
        return answered ? Start::HandedOver : Start::Alone;
    }
    return Listen() ? Start::Listening : Start::Alone;
}

bool CInstanceChannel::Listen() {
    // No window answered: a socket left by one that ended without closing it is stale.
    QLocalServer::removeServer(m_name);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name))
        return false;
    m_server = server.release();
    m_server->setParent(this);
    connect(m_server, &QLocalServer::newConnection, this, &CInstanceChannel::Receive);
    return true;
}

void CInstanceChannel::Receive() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() > kLargestMessage) {
                socket->abort();
                return;
            }
            QDataStream in(socket);
            in.setVersion(QDataStream::Qt_6_0);
            in.startTransaction();
            quint32 magic = 0;
            QStringList files;
            in >> magic >> files;
            if (!in.commitTransaction())
                return; // the rest is on its way
            if (magic != kMagic) {
                socket->abort();
                return;
            }
            socket->write(&kReceived, 1);
            socket->flush();
            const bool senderWaits = socket->state() == QLocalSocket::ConnectedState;
            socket->disconnectFromServer();
            if (senderWaits)
                emit FilesArrived(files);
        });
    }
}
