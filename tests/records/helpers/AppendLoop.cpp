// Appends incoming calls to <base>/Data/InCalls until killed, printing the key of
// every append once it has returned.
#include "records/TIncomingCallBook.h"
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    TIncomingCallBook journal(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/Data/InCalls"));
    for (qint64 i = 0;; ++i) {
        TInCall c;
        c.Phone = QString::number(1000000 + i);
        c.Time = TDateTime(46000 + i * 0.0001);
        c.Length = TDateTime(30.0 / 86400);
        c.Field_1 = QStringLiteral("запись %1").arg(i);
        const qint64 key = journal.AddCall(c);
        std::printf("%lld\n", static_cast<long long>(key));
        std::fflush(stdout);
    }
}
