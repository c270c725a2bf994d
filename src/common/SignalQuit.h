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

private:
    explicit SignalQuit(QObject *parent) : QObject(parent) {}
    void readSignal();
    std::function<void(int)> FHandler;
};
