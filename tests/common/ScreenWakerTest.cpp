// Waking the screen through the desktop's screen saver, against a private
// session bus with a stand-in screen-saver service.
#include "common/TScreenWaker.h"
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Records every SimulateUserActivity it is asked for.
class ScreenSaverService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    int calls = 0;
public slots:
    void SimulateUserActivity() { ++calls; }
};

TEST(ScreenWaker, AsksTheScreenSaverOnTheSessionBusAndOnlyIfThereIsOne)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/setup.sh installs it)";
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    ASSERT_TRUE(bus.waitForStarted(5000));
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QByteArray address = bus.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());
    // Before the first use of the session bus in this process.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    int argc = 1;
    char name[] = "test_common";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    // No screen saver on the bus: nothing is asked, nothing fails.
    EXPECT_FALSE(TScreenWaker::WakeScreen());

    {
        QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("saver"));
        ASSERT_TRUE(service.isConnected());
        ScreenSaverService saver;
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

        EXPECT_TRUE(TScreenWaker::WakeScreen());
        QDeadlineTimer deadline(5000);
        while (saver.calls == 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(saver.calls, 1);
        service.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        service.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("saver"));
    bus.kill();
    bus.waitForFinished();
}

} // namespace

#include "ScreenWakerTest.moc"
