// From the feed's CallNumberKnown to the CID: line read by connected clients
// (target under 20 ms), and a new client's start-up lines with the call log
// taken from two 10^6-row journals. Each client is a thread with a blocking
// socket of its own, as another program would be; the feed runs on this
// thread's event loop.
//   bench_feed [ROUNDS] [DIR]   (DIR keeps the generated journals; a temporary folder otherwise)
#include "BenchSupport.h"
#include "feed/TCallFeed.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace BenchSupport;
using Clock = std::chrono::steady_clock;

namespace {

// A blocking socket connected to 127.0.0.1:port; -1 when that fails.
int connectLoopback(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads lines; stamps the arrival of each "CID:" line with its round number.
struct TClientThread {
    int Fd = -1;
    std::thread Thread;
    std::vector<Clock::time_point> Arrivals;
    std::atomic<int> Received{0};
    std::atomic<bool> Started{false};

    bool open(quint16 port, int rounds)
    {
        Fd = connectLoopback(port);
        if (Fd < 0)
            return false;
        Arrivals.resize(size_t(rounds));
        Thread = std::thread([this] { run(); });
        return true;
    }
    void run()
    {
        std::string pending;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(Fd, buf, sizeof buf);
            if (n <= 0)
                return;
            const Clock::time_point now = Clock::now();
            pending.append(buf, size_t(n));
            size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (line.rfind("300 ", 0) == 0)
                    Started = true;
                else if (line.rfind("CID: ", 0) == 0) {
                    const int k = Received.load();
                    if (size_t(k) < Arrivals.size())
                        Arrivals[size_t(k)] = now;
                    Received = k + 1;
                }
            }
        }
    }
    void close()
    {
        ::shutdown(Fd, SHUT_RDWR);
        if (Thread.joinable())
            Thread.join();
        ::close(Fd);
    }
};

// With Stuck, one more client connects and never reads.
constexpr int Rows = 1000000;

void fillJournal(TRecordTable &t, bool incoming)
{
    TBulkLoad bulk(t);
    const char *sql = incoming
        ? "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer) VALUES (?, 1, ?, 0.001, 0)"
        : "INSERT INTO OutCalls (Phone, Time, Length, Attributes) VALUES (?, ?, 0.001, 1)";
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(bulk.db(), sql, -1, &st, nullptr);
    double time = 43000 + (incoming ? 0 : 0.0001);
    for (int i = 0; i < Rows; ++i) {
        time += 0.002;
        const QByteArray phone = QByteArray::number(1000000 + qint64(i) * 7919 % 9000000);
        sqlite3_bind_text(st, 1, phone.constData(), int(phone.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, time);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// From connecting to the "300" line: the first client builds the call log, the next one finds it built.
void measureStartup(TCallFeed &feed)
{
    for (const char *which : {"first client (log built)", "next client (log kept)"}) {
        QElapsedTimer t;
        t.start();
        TClientThread c;
        if (!c.open(feed.Server().ServerPort(), 1))
            return;
        while (!c.Started.load())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::printf("start-up lines with the last %d calls of two 10^6-row journals, %s: %.2f ms\n",
                    TCallFeed::LogSize, which, ms(t));
        c.close();
    }
}

void measure(TCallFeed &feed, int clients, int rounds, bool stuck = false)
{
    const int stuckFd = stuck ? connectLoopback(feed.Server().ServerPort()) : -1;
    std::vector<std::unique_ptr<TClientThread>> list;
    for (int i = 0; i < clients; ++i) {
        list.push_back(std::make_unique<TClientThread>());
        if (!list.back()->open(feed.Server().ServerPort(), rounds)) {
            std::printf("cannot connect client %d\n", i);
            return;
        }
    }
    const auto all = [&](auto pred) {
        for (const auto &c : list)
            if (!pred(*c))
                return false;
        return true;
    };
    while (!all([](TClientThread &c) { return c.Started.load(); }))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    std::vector<double> first, last;
    const TDateTime start = TDateTime::now();
    for (int r = 0; r < rounds; ++r) {
        const Clock::time_point t0 = Clock::now();
        feed.CallNumberKnown(ckIncoming, QStringLiteral("5551234"), QString(), start);
        while (!all([r](TClientThread &c) { return c.Received.load() > r; }))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        double lo = 1e9, hi = 0;
        for (const auto &c : list) {
            const double d = std::chrono::duration<double, std::milli>(c->Arrivals[size_t(r)] - t0).count();
            lo = std::min(lo, d);
            hi = std::max(hi, d);
        }
        first.push_back(lo);
        last.push_back(hi);
        // Calls come seconds apart; a short pause keeps the rounds apart too.
        QThread::usleep(2000);
    }
    std::printf("%2d client(s)%s, %d calls: first client median %.3f ms, p99 %.3f ms; last client median %.3f ms, "
                "p99 %.3f ms, max %.3f ms (target < 20 ms)\n",
                clients, stuck ? " and one that never reads" : "", rounds, percentile(first, 0.5), percentile(first, 0.99), percentile(last, 0.5),
                percentile(last, 0.99), *std::max_element(last.begin(), last.end()));
    for (auto &c : list)
        c->close();
    if (stuckFd >= 0)
        ::close(stuckFd);
    QCoreApplication::processEvents();
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 500;
    QTemporaryDir dir;
    const QString data = (argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.path()) + QStringLiteral("/Data/");
    QDir().mkpath(data);
    const bool generate = !QFile::exists(data + QStringLiteral("InCalls.cds"));
    TAddressBook book(data + QStringLiteral("AddressBook"));
    TIncomingCallBook in(data + QStringLiteral("InCalls"));
    TOutgoingCallBook out(data + QStringLiteral("OutCalls"));
    if (generate) {
        QElapsedTimer t;
        t.start();
        fillJournal(in, true);
        fillJournal(out, false);
        book.AddPerson(QStringLiteral("5551234"), QStringLiteral("Иванов Иван"), 0, QString(), QString(), QString(),
                       -1, false);
        std::printf("generating 2 x 10^6 rows: %.0f ms\n", ms(t));
    }
    TCallFeed feed(book, in, out);
    TFeedSettings s;
    s.Port = 0;
    if (!feed.Apply(s)) {
        std::printf("%s\n", qPrintable(feed.ErrorString()));
        return 1;
    }
    measureStartup(feed);
    measure(feed, 1, rounds);
    measure(feed, 32, rounds);
    measure(feed, 31, rounds, true);
    return 0;
}
