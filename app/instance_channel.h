#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// One window per user for "Open With": the first window listens on a local socket that only its
// user can reach; a later start with files hands them to that window and ends instead of opening a
// second one. A lock file makes "hand over, else listen" one step, so that two starts at the same
// moment do not both listen. Everything runs on the UI thread.
class CInstanceChannel : public QObject {
    Q_OBJECT

public:
    enum class Start {
        HandedOver, // a running window took the files: this start ends here
        Listening,  // this window takes the files of later starts
        Alone,      // neither (the socket or the lock could not be made): the window runs on its own
    };

    // `name`: the socket's path (a pipe name on Windows); its lock file is `name` + ".lock".
    explicit CInstanceChannel(QString name, QObject* parent = nullptr);
    ~CInstanceChannel() override;

    // The socket of this user's windows.
    static QString DefaultName();

    // Hands `files` to a running window when there is one and it confirms their receipt; otherwise
    // (also without files, or when the window does not answer) listens for later starts.
    Start HandOverOrListen(const QStringList& files);

signals:
    // Files of a later start, in the order given. Emitted once the sender has been answered.
    void FilesArrived(const QStringList& files);

private:
    bool HandOver(const QStringList& files) const;
    bool Listen();
    void Receive();

    QString m_name;
    QLocalServer* m_server = nullptr;
};
