#pragma once
#include <QObject>
#include <functional>

// Turns SIGTERM and SIGINT into a call on the Qt event loop (self-pipe), so that
// every executable can end in order instead of dying inside a signal handler.
class SignalQuit : public QObject {
    Q_OBJECT
public:
    // onSignal runs on the event loop; by default it quits the application.
    static void install(std::function<void(int)> onSignal = {});
    // True once SIGTERM or SIGINT has arrived.
    static bool received();
    // Emits signalled(); null before install().
    static SignalQuit *instance();

signals:
    // Runs before the handler, so that nested event loops can end too
    // (QCoreApplication::quit does nothing outside exec()).
    void signalled(int Signal);

private:
    explicit SignalQuit(QObject *parent) : QObject(parent) {}
    void readSignal();
    std::function<void(int)> FHandler;
};
