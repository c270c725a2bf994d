// The whole program on the phone simulator with 10^6 rows in each journal and
// 1000 earlier calls of the caller: start-up time and resident memory, idle CPU
// with the phone online, and the time from the simulator writing the last byte
// of a caller's number to the alert window shown with that number's history.
//   bench_main [DIR]   (DIR keeps the generated files; a temporary folder otherwise)
#include "BenchSupport.h"
#include "app/TMain.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include "phone/TPhone.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TAlert.h"
#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QEventLoop>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

namespace {
using namespace BenchSupport;
constexpr int Rows = 1000000;
constexpr int CallerCalls = 1000;
const char *Caller = "5551234";

double cpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop (sleeping between events) until cond holds or the time is up.
bool waitFor(const std::function<bool()> &cond, int limitMs = 20000)
{
    if (cond())
        return true;
    QEventLoop loop;
    QTimer poll, limit;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cond())
            loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(1);
    limit.setSingleShot(true);
    limit.start(limitMs);
    loop.exec();
    return cond();
}

// Runs the event loop for ms milliseconds, nothing else.
void idleFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Random numbers with the caller's calls spread evenly: 600 incoming, 400 outgoing.
void fillJournal(TRecordTable &t, bool incoming)
{
    QRandomGenerator r(incoming ? 31 : 32);
    TBulkLoad bulk(t);
    sqlite3 *db = bulk.db();
    const char *sql = incoming
        ? "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName) VALUES (?, 1, ?, ?, 0, NULL)"
        : "INSERT INTO OutCalls (Phone, Time, Length, Attributes, FileName) VALUES (?, ?, ?, 1, NULL)";
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    const int every = Rows / (incoming ? CallerCalls * 6 / 10 : CallerCalls * 4 / 10);
    double time = 43000;
    for (int i = 0; i < Rows; ++i) {
        time += r.bounded(600) / 86400.0;
        const QByteArray p = i % every == 0 ? QByteArray(Caller) : QByteArray::number(1000000 + r.bounded(9000000));
        sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, time);
        sqlite3_bind_double(st, 3, r.bounded(3600) / 86400.0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// The simulator on a pseudo-terminal, driven through its standard input.
class Sim {
public:
    explicit Sim(const QString &log) : FLog(log)
    {
        QFile::remove(log);
        FProcess.setStandardErrorFile(QProcess::nullDevice());
        FProcess.start(QStringLiteral(KONVELO_BIN_DIR "/tools/phonesim/konvelo-phonesim"),
                       {QStringLiteral("--log"), log, QStringLiteral("-")});
        FProcess.waitForStarted(5000);
        QDeadlineTimer d(5000);
        while (!FProcess.canReadLine() && !d.hasExpired())
            FProcess.waitForReadyRead(100);
        FDevice = QString::fromLocal8Bit(FProcess.readLine()).trimmed();
    }
    ~Sim()
    {
        FProcess.terminate();
        if (!FProcess.waitForFinished(3000))
            FProcess.kill();
    }
    QString device() const { return FDevice; }
    void feed(const QString &line)
    {
        FProcess.write((line + QLatin1Char('\n')).toUtf8());
        FProcess.waitForBytesWritten(1000);
    }
    // Time stamp (ms since the epoch) of the last bytes the simulator wrote.
    qint64 lastWrite() const
    {
        QFile f(FLog);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        qint64 at = 0;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() >= 2 && w.at(1) == "TX")
                at = QDateTime::fromString(QString::fromLatin1(w.at(0)), QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
                         .toMSecsSinceEpoch();
        }
        return at;
    }

private:
    QProcess FProcess;
    QString FLog;
    QString FDevice;
};

// A port nobody listens on now, for the call feed.
int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void writeSettings(const QString &base, const QString &device, int feedPort)
{
    BaseFolder::set(base);
    {
        TConfig config(nullptr);
        config.FirstRun(QDir(base).filePath(QStringLiteral("Records")));
        config.NeedCheckPort = false;
        config.NeedStartMinimized = false;
        config.AdjustSoundSettings = false;
        config.AskForCalls = false;
        config.WindowState = 0;
        config.Feed.Port = feedPort;
        config.Save();
    }
    std::unique_ptr<TSettingsStore> store = TSettingsStore::Open();
    store->WriteString(QStringLiteral("Port"), QStringLiteral("Port"), device);
    store->Flush();
}

// Stamps the first paint of the alert that shows the caller's number (the alert
// may be up already with "number not yet known" since the ring).
class ShowStamp : public QObject {
public:
    TAlert *Alert = nullptr;
    qint64 At = 0;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *w = qobject_cast<QWidget *>(o);
        if (e->type() == QEvent::Paint && At == 0 && w && (w == Alert || Alert->isAncestorOf(w)) && Alert->isVisible()
            && Alert->Number().contains(QLatin1String(Caller)))
            At = QDateTime::currentMSecsSinceEpoch();
        return false;
    }
};
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString base = app.arguments().size() > 1 ? app.arguments().at(1) : tmp.path();
    QDir().mkpath(base + QStringLiteral("/Data"));
    setvbuf(stdout, nullptr, _IONBF, 0);

    Sim sim(QDir(base).filePath(QStringLiteral("sim.log")));
    if (sim.device().isEmpty()) {
        std::printf("the phone simulator did not start\n");
        return 1;
    }
    const int feedPort = freePort();
    writeSettings(base, sim.device(), feedPort);
    QElapsedTimer t;
    {
        TIncomingCallBook in(BaseFolder::dataPath() + QStringLiteral("/InCalls"));
        TOutgoingCallBook out(BaseFolder::dataPath() + QStringLiteral("/OutCalls"));
        if (in.totalCount() < Rows || out.totalCount() < Rows) {
            t.start();
            fillJournal(in, true);
            fillJournal(out, false);
            std::printf("generating 2 x 10^6 rows: %.0f ms\n", ms(t));
        }
    }

    t.start();
    TMain main;
    main.ConfirmExit = [] { return true; };
    waitFor([&] { return main.isVisible(); });
    QCoreApplication::processEvents();
    std::printf("start-up to the window shown: %.0f ms; resident memory %ld MB\n", ms(t), residentKb() / 1024);
    if (!waitFor([&] { return main.Phone()->Online() && main.StatusText() == QStringLiteral("Линия свободна"); })) {
        std::printf("the phone did not come online\n");
        return 1;
    }
    idleFor(2000);   // identity and clock exchanges end

    // Idle: the phone online, nothing happening on the line.
    const double cpu0 = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    idleFor(60000);
    const double share = (cpuSeconds() - cpu0) / (double(idle.nsecsElapsed()) / 1e9) * 100;
    std::printf("idle CPU with the phone online: %.2f %% of a core (target < 1 %%)\n", share);

    // Incoming calls of a caller with 1000 earlier calls.
    ShowStamp stamp;
    stamp.Alert = main.Alert();
    app.installEventFilter(&stamp);
    // The call feed's clients: each stamps the first CID: line it reads.
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    std::vector<qint64> cidAt;
    auto connectClients = [&](int count) {
        for (int i = 0; i < count; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            const size_t index = clients.size();
            cidAt.push_back(0);
            if (i == count - 1)
                socket->setReadBufferSize(1);   // one client that never reads
            else
                QObject::connect(socket.get(), &QTcpSocket::readyRead, socket.get(), [&, index] {
                    QTcpSocket *s = clients[index].get();
                    while (s->canReadLine())
                        if (s->readLine().startsWith("CID:") && cidAt[index] == 0)
                            cidAt[index] = QDateTime::currentMSecsSinceEpoch();
                });
            socket->connectToHost(QHostAddress::LocalHost, quint16(feedPort));
            clients.push_back(std::move(socket));
        }
        idleFor(1000);   // the start-up lines with the call log
    };
    // Twenty calls: from the number's last byte to the alert, and to the CID: line at the clients.
    auto measure = [&](const char *label) {
        std::vector<double> latency, feed;
        for (int i = 0; i < 20; ++i) {
            sim.feed(QStringLiteral("ring"));
            if (!waitFor([&] { return main.Phone()->State() == psIncomingCall; })) {
                std::printf("no incoming call: state %d, status %s\n", int(main.Phone()->State()),
                            qPrintable(main.StatusText()));
                return false;
            }
            idleFor(300);
            stamp.At = 0;
            std::fill(cidAt.begin(), cidAt.end(), 0);
            sim.feed(QStringLiteral("number 1 ") + QLatin1String(Caller));
            if (!waitFor([&] { return stamp.At != 0; })) {
                std::printf("no alert: visible %d, number %s\n", int(main.Alert()->isVisible()),
                            qPrintable(main.Alert()->Number()));
                return false;
            }
            idleFor(200);   // the simulator's log is written
            latency.push_back(double(stamp.At - sim.lastWrite()));
            qint64 slowest = 0;
            for (size_t c = 0; c + 1 < cidAt.size(); ++c)
                slowest = std::max(slowest, cidAt[c]);
            if (!clients.empty() && slowest > 0)
                feed.push_back(double(slowest - sim.lastWrite()));
            sim.feed(QStringLiteral("hangup"));
            waitFor([&] { return main.Phone()->State() == psWaiting; });
            main.CloseAlert();
            idleFor(300);
        }
        std::printf("%s: last byte of the number to the alert shown with its history (20 calls): median %.0f ms, "
                    "max %.0f ms (target < 100 ms; log stamps in whole ms)\n",
                    label, percentile(latency, 0.5), percentile(latency, 1.0));
        if (!feed.empty())
            std::printf("%s: last byte of the number to the CID: line at the slowest reading client (%zu calls): "
                        "median %.0f ms, max %.0f ms (target < 20 ms)\n",
                        label, feed.size(), percentile(feed, 0.5), percentile(feed, 1.0));
        return true;
    };
    if (!measure("no feed clients"))
        return 1;
    connectClients(32);
    if (!measure("32 feed clients, one never reading"))
        return 1;
    main.CloseWithoutAsking();
    return 0;
}
