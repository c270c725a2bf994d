// Writes the backlog of <base>/Data/OutCalls into the journal, as a start-up
// does, then exits; the crash test kills it on the way.
#include "records/TCallBacklog.h"
#include "records/TOutgoingCallBook.h"
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    TOutgoingCallBook journal(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/Data/OutCalls"));
    std::printf("open\n");
    std::fflush(stdout);
    TCallBacklog backlog(journal);
    const int written = backlog.Flush();
    std::printf("%d\n", written);
    return backlog.Count() == 0 ? 0 : 1;
}
