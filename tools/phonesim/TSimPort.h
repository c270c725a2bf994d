#pragma once
// The simulator's end of the serial line: the master side of a pseudo-terminal
// that it creates, or a serial device that it opens. A reader thread waits on the
// line and timestamps every byte as it arrives; the bytes reach the event loop
// through bytesReceived. For a pseudo-terminal the thread also watches whether
// the other side has the device open (peerChanged).
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <thread>

class TSimPort : public QObject {
    Q_OBJECT
public:
    explicit TSimPort(QObject *parent = nullptr);
    ~TSimPort() override;

    // Creates a raw pseudo-terminal; devicePath() is then the slave's path.
    bool createPty(QString &error);
    // Opens a serial device (9600 8N1 raw, no flow control).
    bool openDevice(const QString &path, QString &error);
    void close();

    QString devicePath() const { return FPath; }
    bool isPty() const { return FPty; }
    // Whether the program side has the device open (always true for a device).
    bool peerOpen() const { return FPeerOpen; }

    // Writes the bytes; bytes the line cannot take now are kept and sent later.
    // Errors (nobody on the other side, a device gone) drop the bytes silently.
    void write(const QByteArray &bytes);

signals:
    void bytesReceived(const QByteArray &bytes, qint64 msecsSinceEpoch);
    void peerChanged(bool open);
    // Each opening and closing of a pseudo-terminal's device by the program.
    void deviceOpened();
    void deviceClosed();
    void writeFailed(const QString &reason);

private:
    void startReader();
    void readerLoop();
    void flushPending();
    void readOpenWatch();

    int FFd = -1;
    int FOpenWatch = -1;   // inotify on the slave's device node
    bool FPty = false;
    QString FPath;
    std::atomic<bool> FPeerOpen{false};
    std::atomic<bool> FStop{false};
    std::thread FReader;
    QByteArray FPending;
    QTimer FRetryWrite;
};
