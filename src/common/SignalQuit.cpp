#include "SignalQuit.h"
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int SignalFds[2] = {-1, -1};
SignalQuit *Instance = nullptr;
bool Received = false;

void onSignal(int sig)
{
    const char c = char(sig);
    [[maybe_unused]] ssize_t n = ::write(SignalFds[0], &c, 1);
}
}

void SignalQuit::install(std::function<void(int)> handler)
{
    if (SignalFds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalFds) != 0)
        return;
    ::fcntl(SignalFds[0], F_SETFL, O_NONBLOCK);
    auto *self = new SignalQuit(QCoreApplication::instance());
    Instance = self;
    self->FHandler = std::move(handler);
    auto *notifier = new QSocketNotifier(SignalFds[1], QSocketNotifier::Read, self);
    QObject::connect(notifier, &QSocketNotifier::activated, self, &SignalQuit::readSignal);
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

void SignalQuit::readSignal()
{
    char c = 0;
    if (::read(SignalFds[1], &c, 1) != 1)
        return;
    Received = true;
    emit signalled(int(c));
    if (FHandler)
        FHandler(int(c));
    else
        QCoreApplication::quit();
}

bool SignalQuit::received()
{
    return Received;
}

SignalQuit *SignalQuit::instance()
{
    return Instance;
}
