#include "TScreenWaker.h"
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

bool TScreenWaker::WakeScreen()
{
    static const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // Asked first so that a service the bus could start on demand is not started for this.
    if (!bus.interface()->isServiceRegistered(Service).value())
        return false;
    return bus.send(QDBusMessage::createMethodCall(Service, QStringLiteral("/org/freedesktop/ScreenSaver"), Service,
                                                   QStringLiteral("SimulateUserActivity")));
}
