#include "PhoneTestSupport.h"
#include "TManualClock.h"
#include "phone/TPhoneCapabilities.h"
#include "phone/TPhoneDetection.h"
#include <QSocketNotifier>
#include <gtest/gtest.h>

namespace {
// Answers the identity requests on the master side of a pseudo-terminal.
class FakePhone {
public:
    FakePhone(Pty &pty, QByteArray code) : FApp(), FPty(pty), FCode(std::move(code)),
        FNotifier(pty.master(), QSocketNotifier::Read)
    {
        QObject::connect(&FNotifier, &QSocketNotifier::activated, [this] {
            for (char c : FPty.readAll()) {
                received.append(c);
                if (uint8_t(c) == 0x95 && !FCode.isNull())
                    FPty.write(char(0x44) + FCode);
                else if (uint8_t(c) == 0x9D)
                    FPty.write(bytes({0x48, 0, 11, 0, 5, 0, 0, 2, 0, 1, 0, 1, 2, 3}));
                else if (uint8_t(c) == 0x9C)
                    FPty.write(bytes({0x47, 0, 7, 0}));
            }
        });
    }
    QByteArray received;

private:
    struct AppFirst {
        AppFirst() { ensureApp(); }
    } FApp;
    Pty &FPty;
    QByteArray FCode;
    QSocketNotifier FNotifier;
};

class ListedPorts : public TPortList {
public:
    QStringList Ports() const override { return ports; }
    QStringList ports;
};

struct Linked {
    Linked()
    {
        ensureApp();
        detection.PhoneCodeWait = 100;
        phone.OnPhoneCode = [this](const QString &c) { detection.PhoneCodeReceived(c); };
        detection.SplashText = [this](const QString &t) { splash << t; };
        phone.SetPortList(&list);
    }
    TPhoneHost host;
    TPhone phone{&host};
    TPhoneDetection detection{phone};
    ListedPorts list;
    QStringList splash;
};
}

TEST(TPhoneDetection, IdentityTexts)
{
    TPhoneIdentity id;
    id.PhoneModel = 5;
    id.PhoneSubModel = 2;
    id.PhoneModelLetter = "Ц";
    id.PhoneVariant = true;
    id.PhoneModelCode = "123";
    const bool opts[8] = {true, false, true, false, false, true, true, true};
    for (int i = 1; i <= 8; ++i)
        id.PhoneOption(i) = opts[i - 1];
    id.FirmwareVersion = 112;
    id.IndividualNumber = "54321";
    EXPECT_EQ(TPhoneDetection::ModelLine(id), "05.2Ц1.123.10.1.00.111");
    EXPECT_EQ(TPhoneDetection::IdentityText(id),
              "Версия программы телефона: 112\rИндивидуальный номер: 54321");
    EXPECT_EQ(TPhoneDetection::Caption(), "Модель телефона");
    id.PhoneModel = 12;
    EXPECT_TRUE(TPhoneDetection::ModelLine(id).startsWith("12.2"));
}

TEST(TPhoneCapabilities, FirmwareVersions)
{
    TPhoneIdentity id;
    id.PhoneModel = 5;
    id.FirmwareVersion = 109;
    TPhoneCapabilities c = TPhoneCapabilities::From(id, true);
    EXPECT_TRUE(c.Known);
    EXPECT_FALSE(c.TalkDownload);
    EXPECT_FALSE(c.PhoneSettings);
    EXPECT_FALSE(c.NibbleCells);
    id.FirmwareVersion = 110;
    c = TPhoneCapabilities::From(id, true);
    EXPECT_TRUE(c.TalkDownload && c.PhoneSettings && c.NibbleCells);
    EXPECT_FALSE(c.Robot);
    EXPECT_FALSE(TPhoneCapabilities::From(id, false).PhoneSettings);
    id.FirmwareVersion = 120;
    EXPECT_TRUE(TPhoneCapabilities::From(id, false).Robot);
    id.PhoneModel = 0;                   // no model block yet: nothing is offered
    c = TPhoneCapabilities::From(id, true);
    EXPECT_FALSE(c.Known || c.TalkDownload || c.Robot);
}

TEST(TPhoneDetection, ModelRequestRepeatsUntilAFiveDigitCode)
{
    ensureApp();
    Pty pty;
    TManualClock clock;
    TPhoneHost host;
    TPhone phone(&host, &clock);
    TPhoneDetection detection(phone);
    phone.OnPhoneCode = [&](const QString &c) { detection.PhoneCodeReceived(c); };
    phone.SetPort(pty.slavePath());
    ASSERT_TRUE(phone.Connect());
    detection.StartModelDetection();
    EXPECT_EQ(pty.readAll(), bytes({0x9D}));
    clock.advance(4000);
    EXPECT_EQ(pty.readAll(), bytes({0x9D, 0x9D}));
    phone.Receive(bytes({0x44, 1, 2, 3, 4}));            // four digits are not a code
    phone.Receive(bytes({0x44, 1, 2, 3, 10, 5}));        // nor is one with "?"
    EXPECT_TRUE(detection.ModelDetection());
    clock.advance(2000);
    EXPECT_EQ(pty.readAll(), bytes({0x9D}));
    phone.Receive(bytes({0x44, 0, 1, 2, 3, 4}));
    EXPECT_FALSE(detection.ModelDetection());
    EXPECT_EQ(host.Identity.IndividualNumber, "01234");
    clock.advance(4000);
    EXPECT_TRUE(pty.readAll().isEmpty());
    EXPECT_FALSE(detection.TimerModelDefinder().isActive());
}

TEST(TPhoneDetection, CheckPortNeedsAFiveDigitAnswer)
{
    Pty pty;
    Linked l;
    l.phone.SetPort(pty.slavePath());
    ASSERT_TRUE(l.phone.Connect());
    {
        FakePhone sim(pty, bytes({1, 2, 3, 4}));
        EXPECT_FALSE(l.detection.CheckPort());
        EXPECT_EQ(l.phone.State(), psOffline);
        EXPECT_EQ(sim.received, QByteArray(11, char(0x95)));
        EXPECT_EQ(l.splash.first(), "Проверка порта");
        EXPECT_EQ(l.splash.last(), "Проверка порта 11");
    }
    ASSERT_TRUE(l.phone.Connect());
    FakePhone sim(pty, bytes({1, 2, 3, 4, 5}));
    EXPECT_TRUE(l.detection.CheckPort());
    EXPECT_FALSE(l.detection.PortCheckPending());
    EXPECT_EQ(l.host.Identity.IndividualNumber, "12345");
    EXPECT_TRUE(l.phone.Online());
}

TEST(TPhoneDetection, FindPortOnTheThirdPort)
{
    Pty a, b, c;
    FakePhone sim(c, bytes({5, 4, 3, 2, 1}));
    Linked l;
    l.list.ports = {a.slavePath(), b.slavePath(), c.slavePath()};
    l.phone.SetPort("/dev/konvelo-configured");
    EXPECT_TRUE(l.detection.FindPort());
    EXPECT_EQ(l.phone.Port(), c.slavePath());
    EXPECT_TRUE(l.phone.Online());
    EXPECT_EQ(l.splash, (QStringList{"Автоопределение порта",
                                     "Автоопределение порта: " + a.slavePath(),
                                     "Автоопределение порта: " + b.slavePath(),
                                     "Автоопределение порта: " + c.slavePath()}));
    EXPECT_EQ(a.readAll(), QByteArray(11, char(0x95)));
    EXPECT_EQ(sim.received, bytes({0x95}));
}

TEST(TPhoneDetection, FindPortWithoutPhoneSelectsTheConfiguredPortAgain)
{
    Pty configured, other;
    Linked l;
    l.list.ports = {other.slavePath()};
    l.phone.SetPort(configured.slavePath());
    ASSERT_TRUE(l.phone.Connect());
    EXPECT_FALSE(l.detection.FindPort());
    EXPECT_EQ(l.phone.Port(), configured.slavePath());
    EXPECT_EQ(l.phone.State(), psOffline);
    EXPECT_TRUE(l.phone.Connected());    // open: the watchdog keeps listening
    EXPECT_TRUE(l.phone.WatchdogTimer().isActive());
    EXPECT_EQ(configured.readAll(), QByteArray(11, char(0x95)));
    EXPECT_FALSE(l.detection.PortCheckPending());
}

TEST(TPhoneDetection, FindPortSkipsPortsThatCannotBeOpened)
{
    Pty c;
    FakePhone sim(c, bytes({5, 4, 3, 2, 1}));
    Linked l;
    l.list.ports = {"/dev/konvelo-missing-1", c.slavePath()};
    l.phone.SetPort("/dev/konvelo-missing-0");
    EXPECT_TRUE(l.detection.FindPort());
    EXPECT_EQ(l.phone.Port(), c.slavePath());
}
