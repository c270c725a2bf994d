// The number rules: from the last byte of a caller's number on the serial line
// to the hang-up (80) back on the wire (target under 100 ms), with 10^5
// subscribers in the address book and 100 rules, the deciding one last. The
// bench plays the phone on a pseudo-terminal; a thread of its own stamps each
// 80 as it arrives.
//   bench_rules [ROUNDS]
#include "BenchSupport.h"
#include "app/CallTestView.h"
#include "app/TCallHandler.h"
#include "app/TConfigVolumeSettings.h"
#include "app/TPhoneSession.h"
#include "audio/TGSMRecorder.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace BenchSupport;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int Subscribers = 100000;

void fillBook(TAddressBook &book)
{
    TBulkLoad bulk(book);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(bulk.db(),
                       "INSERT INTO AddressBook (Phone, Name, Attributes, Volume, Creschendo) VALUES (?, ?, ?, -1, 0)",
                       -1, &st, nullptr);
    for (int i = 0; i < Subscribers; ++i) {
        const QByteArray phone = QByteArray::number(5000000 + i);
        const QByteArray name = "Абонент " + phone;
        sqlite3_bind_text(st, 1, phone.constData(), int(phone.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        // Every tenth subscriber's calls are hung up.
        sqlite3_bind_int(st, 3, i % 10 == 0 ? TPersonAttributes::HangUpCall : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

bool spinUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QByteArray numberMessage(const QByteArray &digits)
{
    QByteArray m;
    m.append(char(0x31)).append(char(1)).append(char(digits.size()));
    for (char d : digits)
        m.append(char(d - '0'));
    return m;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 40;
    QTemporaryDir dir;
    BaseFolder::set(dir.path());

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);

    TPhoneSession session;
    TPhone phone(session.Host());
    phone.Disconnect();
    TConfig config(nullptr);
    config.RecordsDirectory = dir.filePath(QStringLiteral("Records"));
    config.PlaySound = false;
    for (int i = 0; i < 99; ++i)
        config.NumberRules.Add(QStringLiteral("7%1*").arg(i, 2, 10, QLatin1Char('0')), true);
    config.NumberRules.Add(QStringLiteral("8800*"), true);
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    TAddressBook book(data + QStringLiteral("AddressBook"));
    fillBook(book);
    book.SortBy(QStringLiteral("Name"));
    TIncomingCallBook in(data + QStringLiteral("InCalls"));
    TOutgoingCallBook out(data + QStringLiteral("OutCalls"));
    TGSMRecorder recorder;
    CallTestView view;
    CallTestMixer mixer(view);
    CallTestPlayer player(view);
    TConfigVolumeSettings volumes(config);
    TQtTickTimer crescendo;
    TSoundControl sound(mixer, player, volumes, crescendo);
    TCallHandler handler(phone, session, config, book, in, out, recorder, sound, view);
    handler.Attach(phone);

    phone.SetPort(QString::fromLatin1(name));
    if (!phone.Connect()) {
        std::fprintf(stderr, "cannot open %s\n", name);
        return 1;
    }
    const char ff = char(0xFF);
    if (::write(master, &ff, 1) != 1 || !spinUntil([&] { return phone.Online(); }, 3000)) {
        std::fprintf(stderr, "the phone did not come online\n");
        return 1;
    }

    std::atomic<bool> stop{false};
    std::atomic<long long> hangUpAt{0};
    std::thread reader([&] {
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            unsigned char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i)
                if (buf[i] == 0x80 && hangUpAt == 0)
                    hangUpAt = Clock::now().time_since_epoch().count();
        }
    });

    std::vector<double> times;
    int failed = 0;
    for (int r = 0; r < rounds; ++r) {
        // Even rounds: a marked subscriber; odd rounds: the last of the rules.
        const QByteArray digits = r % 2 == 0 ? QByteArray::number(5000000 + 10 * (r * 97 % (Subscribers / 10)))
                                             : "8800" + QByteArray::number(1000000 + r);
        const QByteArray msg = numberMessage(digits);
        hangUpAt = 0;
        const long long sent = [&] {
            const ssize_t w = ::write(master, msg.constData(), size_t(msg.size()));
            (void)w;
            return (long long)Clock::now().time_since_epoch().count();
        }();
        if (!spinUntil([&] { return hangUpAt != 0; }, 2000)) {
            ++failed;
        } else {
            times.push_back(double(hangUpAt - sent) / 1e6);
        }
        const char free = char(0x21);
        const qint64 rows = in.totalCount();
        if (::write(master, &free, 1) != 1 || !spinUntil([&] { return in.totalCount() > rows; }, 3000))
            ++failed;
    }
    stop = true;
    reader.join();
    phone.Disconnect();
    ::close(master);
    ::close(slave);
    if (times.empty()) {
        std::printf("bench_rules: no call was hung up (%d failures)\n", failed);
        return 1;
    }
    std::printf("number's last byte to 80 on the wire (%zu calls, %d subscribers, 100 rules): median %.1f ms, "
                "95th percentile %.1f ms, max %.1f ms (target under 100 ms)%s\n",
                times.size(), Subscribers, percentile(times, 0.5), percentile(times, 0.95),
                *std::max_element(times.begin(), times.end()),
                failed ? qPrintable(QStringLiteral("; %1 calls failed").arg(failed)) : "");
    return failed ? 1 : 0;
}
