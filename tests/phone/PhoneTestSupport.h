#pragma once
// Shared pieces of the phone tests: an application object, a pseudo-terminal
// pair, and a log of the phone's events.
#include "phone/EPhoneError.h"
#include "phone/TPhone.h"
#include "phone/TPhoneNumber.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <fcntl.h>
#include <functional>
#include <ostream>
#include <termios.h>
#include <unistd.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "\n  ";
    for (const QString &s : l)
        *os << s.toStdString() << "\n  ";
}

inline void ensureApp()
{
    static int argc = 1;
    static char name[] = "test_phone";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance()
        ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// Runs the event loop until pred() holds or timeoutMs passes.
inline bool pumpUntil(const std::function<bool()> &pred, int timeoutMs = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// A pseudo-terminal: the program opens slavePath(), the test plays the phone on the master.
class Pty {
public:
    Pty()
    {
        FMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(FMaster);
        ::unlockpt(FMaster);
        FSlavePath = QString::fromLocal8Bit(::ptsname(FMaster));
        termios tio;
        ::tcgetattr(FMaster, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(FMaster, TCSANOW, &tio);
        ::fcntl(FMaster, F_SETFL, ::fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    QString slavePath() const { return FSlavePath; }
    int master() const { return FMaster; }
    void write(const QByteArray &bytes) { (void)!::write(FMaster, bytes.constData(), size_t(bytes.size())); }
    // Everything the program has written so far.
    QByteArray readAll()
    {
        QByteArray out;
        char buf[256];
        for (;;) {
            const ssize_t n = FMaster >= 0 ? ::read(FMaster, buf, sizeof buf) : -1;
            if (n <= 0)
                break;
            out.append(buf, int(n));
        }
        return out;
    }
    void closeMaster()
    {
        if (FMaster >= 0)
            ::close(FMaster);
        FMaster = -1;
    }

private:
    int FMaster = -1;
    QString FSlavePath;
};

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

inline QString kindName(TCallKind k) { return k == ckIncoming ? "ckIncoming" : "ckOutgoing"; }

// Records every event as one text line; times of OnEndCall separately.
class EventLog {
public:
    explicit EventLog(TPhone &phone)
    {
        static const char *states[] = {"psOffline", "psWaiting", "psOutgoingCall",
                                       "psIncomingCall", "psInUse", "psSendTalk"};
        phone.OnStateChanged = [this](TPhone *p) { lines << QString("StateChanged %1").arg(states[p->State()]); };
        phone.OnStartCall = [this](TCallKind k, const TBuffer &n) {
            lines << QString("StartCall %1 %2").arg(kindName(k), PhoneNumberToText(n, true));
        };
        phone.OnGotPhoneNumber = [this](const TBuffer &n) { lines << "GotPhoneNumber " + PhoneNumberToText(n, true); };
        phone.OnStartTalk = [this](TCallKind k) { lines << "StartTalk " + kindName(k); };
        phone.OnEndCall = [this](TCallKind k, TCallPlace p, TDateTime t, const TBuffer &n,
                                 TCallAttributes a, uint8_t c) {
            static const char *places[] = {"cpVrx", "cpParallel", "cpUnknown"};
            lines << QString("EndCall %1 %2 %3 attr=%4 cat=%5")
                         .arg(kindName(k), places[p], PhoneNumberToText(n, true))
                         .arg(a.toByte()).arg(c);
            endTimes << t;
        };
        phone.OnReceiverUp = [this](TPhone *) { lines << "ReceiverUp"; };
        phone.OnLineFree = [this](TPhone *) { lines << "LineFree"; };
        phone.OnCallerMessage = [this](TPhone *) { lines << "CallerMessage"; };
        phone.OnPhoneRecord = [this](TCallKind k, const TCallRec &r) {
            lines << QString("PhoneRecord %1 %2 flags=%3 cat=%4").arg(kindName(k), r.Number).arg(r.Flags).arg(r.Category);
            records << r;
        };
        phone.OnPhoneCode = [this](const QString &code) { lines << "PhoneCode " + code; };
        phone.OnStartSendTalk = [this](TTalkKind k, quint16 len, int cell) {
            lines << QString("StartSendTalk %1 %2 %3").arg(int(k)).arg(len).arg(cell);
        };
        phone.OnStopSendTalk = [this] { lines << "StopSendTalk"; };
    }
    QStringList take()
    {
        QStringList l = lines;
        lines.clear();
        return l;
    }

    QStringList lines;
    QList<TDateTime> endTimes;
    QList<TCallRec> records;
};
