#pragma once
// What the main-window tests share: the application object, running the event
// loop until a condition holds, and the settings a TMain starts from.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class TConfig;

namespace MainTestSupport {

// A QApplication on the offscreen platform unless one is chosen.
void EnsureApp();
// Runs the event loop until done() holds; false when ms ran out first.
bool SpinUntil(const std::function<bool()> &done, int ms = 10000);
void Spin(int ms);
// Default settings in base without questions or sound set-up, the window
// shown normally, the records folder given (native separators) and the port;
// change adjusts them before they are saved. False when they cannot be written.
bool WriteSettings(const QString &base, const QString &records, const QString &port,
                   const std::function<void(TConfig &)> &change = {});

// While it lives, closes every message box that comes up and keeps its text.
class MessageWatch : public QObject {
public:
    MessageWatch();
    QStringList Texts;

private:
    QTimer FTimer;
};

}
