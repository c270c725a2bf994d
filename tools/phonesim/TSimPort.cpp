#include "TSimPort.h"
#include <QDateTime>
#include <QFile>
#include <QMetaObject>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

TSimPort::TSimPort(QObject *parent) : QObject(parent)
{
    FRetryWrite.setInterval(5);
    FRetryWrite.setSingleShot(true);
    connect(&FRetryWrite, &QTimer::timeout, this, &TSimPort::flushPending);
}

TSimPort::~TSimPort()
{
    close();
}

bool TSimPort::createPty(QString &error)
{
    close();
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const char *name = ::ptsname(fd);
    if (!name) {
        error = QStringLiteral("cannot name the pseudo-terminal");
        ::close(fd);
        return false;
    }
    FPath = QString::fromLocal8Bit(name);
    // Raw mode is set through the slave; it stays when the slave is closed again.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios t{};
        if (::tcgetattr(slave, &t) == 0) {
            ::cfmakeraw(&t);
            ::cfsetispeed(&t, B9600);
            ::cfsetospeed(&t, B9600);
            ::tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // Opening the slave wakes the reader at once, so that the first bytes the
    // program writes get their true arrival times; the watch also sees openings
    // too brief for the master to show.
    FOpenWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FOpenWatch >= 0 && ::inotify_add_watch(FOpenWatch, name, IN_OPEN | IN_CLOSE) < 0) {
        ::close(FOpenWatch);
        FOpenWatch = -1;
    }
    FFd = fd;
    FPty = true;
    FPeerOpen = false;
    startReader();
    return true;
}

bool TSimPort::openDevice(const QString &path, QString &error)
{
    close();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
        t.c_cflag |= CLOCAL | CREAD | CS8;
        ::tcsetattr(fd, TCSANOW, &t);
    }
    FFd = fd;
    FPty = false;
    FPath = path;
    FPeerOpen = true;
    startReader();
    return true;
}

void TSimPort::close()
{
    FStop = true;
    if (FReader.joinable())
        FReader.join();
    FStop = false;
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
    if (FOpenWatch >= 0)
        ::close(FOpenWatch);
    FOpenWatch = -1;
    FPending.clear();
    FRetryWrite.stop();
}

void TSimPort::startReader()
{
    FStop = false;
    FReader = std::thread([this] { readerLoop(); });
}

// Runs on the reader thread: only the atomics, the fds and queued signals are touched.
void TSimPort::readerLoop()
{
    bool peer = FPeerOpen;
    while (!FStop) {
        pollfd fds[2] = {{FFd, POLLIN, 0}, {FOpenWatch, POLLIN, 0}};
        const nfds_t watched = FOpenWatch >= 0 ? 2 : 1;
        int r;
        if (FPty && !peer) {
            // The master is always "ready" (POLLHUP) while no one has the slave
            // open: sleep on the open watch instead, then look at the master.
            if (FOpenWatch >= 0)
                ::poll(&fds[1], 1, 20);
            else
                ::usleep(1000);
            r = ::poll(fds, 1, 0);
        } else {
            r = ::poll(fds, watched, 50);
        }
        if (r < 0) {
            if (errno == EINTR)
                continue;
            ::usleep(20000);
            continue;
        }
        if (FOpenWatch >= 0)
            readOpenWatch();
        if (FPty) {
            // A master reports POLLHUP while no one has the slave open.
            const bool nowOpen = !(fds[0].revents & POLLHUP);
            if (nowOpen != peer) {
                peer = nowOpen;
                FPeerOpen = nowOpen;
                QMetaObject::invokeMethod(this, [this, nowOpen] { emit peerChanged(nowOpen); }, Qt::QueuedConnection);
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            ::usleep(20000);
        }
        // Bytes written just before a close are still read.
        if (fds[0].revents & POLLIN) {
            char buf[256];
            const ssize_t n = ::read(FFd, buf, sizeof buf);
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            if (n > 0) {
                QByteArray bytes(buf, int(n));
                QMetaObject::invokeMethod(this, [this, bytes, now] { emit bytesReceived(bytes, now); },
                                          Qt::QueuedConnection);
            }
        }
    }
}

// Every opening and closing of the slave, however brief, from the open watch.
void TSimPort::readOpenWatch()
{
    alignas(inotify_event) char events[4096];
    ssize_t n;
    while ((n = ::read(FOpenWatch, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(events + at);
            if (e->mask & IN_OPEN)
                QMetaObject::invokeMethod(this, [this] { emit deviceOpened(); }, Qt::QueuedConnection);
            if (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                QMetaObject::invokeMethod(this, [this] { emit deviceClosed(); }, Qt::QueuedConnection);
            at += ssize_t(sizeof(inotify_event)) + e->len;
        }
    }
}

void TSimPort::write(const QByteArray &bytes)
{
    if (FFd < 0)
        return;
    FPending += bytes;
    // Nobody reads the line: keep the newest bytes only, as a full driver buffer would.
    constexpr int MaxPending = 65536;
    if (FPending.size() > MaxPending)
        FPending.remove(0, FPending.size() - MaxPending);
    flushPending();
}

void TSimPort::flushPending()
{
    while (!FPending.isEmpty() && FFd >= 0) {
        const ssize_t n = ::write(FFd, FPending.constData(), size_t(FPending.size()));
        if (n > 0) {
            FPending.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            FRetryWrite.start();
            return;
        }
        emit writeFailed(QString::fromLocal8Bit(std::strerror(errno)));
        FPending.clear();
        return;
    }
}
