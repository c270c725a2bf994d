#include "CallTestLine.h"
#include "app/TDialControl.h"
#include "MainTestSupport.h"
#include "audio/TPulseMixer.h"
#include "common/BaseFolder.h"
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QThread>

namespace {

uint32_t le32(const QByteArray &b, int at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
           | uint32_t(uint8_t(b[at + 3])) << 24;
}

uint16_t le16(const QByteArray &b, int at)
{
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

QList<QVariantMap> rows(const TRecordTable &t)
{
    QList<QVariantMap> r;
    QList<qint64> keys;
    for (int i = 0; i < t.recordCount(); ++i)
        keys << t.keyAt(i);
    std::sort(keys.begin(), keys.end());
    for (qint64 k : keys) {
        const QVariantList v = t.rowByKey(k);
        QVariantMap m;
        for (int i = 0; i < v.size(); ++i)
            m.insert(t.schema().Fields.at(i).Name, v.at(i));
        r << m;
    }
    return r;
}

} // namespace

void CallTestLine::SetUp()
{
    MainTestSupport::EnsureApp();
    ASSERT_TRUE(FDir.isValid());
    BaseFolder::set(FDir.path());
    FPhone = std::make_unique<TPhone>(FSession.Host());
    FPhone->Disconnect();
    FConfig = std::make_unique<TConfig>(nullptr);
    FConfig->RecordsDirectory = FDir.filePath(QStringLiteral("Records"));
    FConfig->NeedStartMinimized = false;
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    FBook = std::make_unique<TAddressBook>(data + QStringLiteral("AddressBook"));
    FIn = std::make_unique<TIncomingCallBook>(data + QStringLiteral("InCalls"));
    FOut = std::make_unique<TOutgoingCallBook>(data + QStringLiteral("OutCalls"));
    FRecorder = std::make_unique<TGSMRecorder>();
    for (const QString &f : {ringFile(), personalFile()}) {
        QFile sound(f);
        ASSERT_TRUE(sound.open(QIODevice::WriteOnly));
    }
    FConfig->SoundFileName = ringFile();
    FVolumeSettings = std::make_unique<TConfigVolumeSettings>(*FConfig);
    FSound = std::make_unique<TSoundControl>(FMixer, FPlayer, *FVolumeSettings, FCreschendoTimer);
    FHandler = std::make_unique<TCallHandler>(*FPhone, FSession, *FConfig, *FBook, *FIn, *FOut, *FRecorder, *FSound,
                                              FView);
    FHandler->Attach(*FPhone);
    // What the window listens to.
    QObject::connect(FHandler.get(), &TCallHandler::NumberCalled, [this](const QString &n) { FView.DialList << n; });
    QObject::connect(FHandler.get(), &TCallHandler::LineStateChanged, [this](TPhoneState s) {
        if (s != psOffline && s != psInUse)
            FView.CallCaption = TDialControl::CaptionFor(s);
    });
    QObject::connect(&FHandler->Recording(), &TRecordingControl::TransferFinished,
                     [this] { FView.log(QStringLiteral("close transfer")); });
    // Count the ends of calls and lines without changing what the handler does.
    auto lineFree = FPhone->OnLineFree;
    FPhone->OnLineFree = [this, lineFree](TPhone *s) {
        lineFree(s);
        ++FLineFrees;
    };
    auto endCall = FPhone->OnEndCall;
    FPhone->OnEndCall = [this, endCall](TCallKind k, TCallPlace p, TDateTime t, const TBuffer &n,
                                        TCallAttributes a, uint8_t c) {
        FLastAttributes = a;
        endCall(k, p, t, n, a, c);
        ++FEndCalls;
    };
}

void CallTestLine::TearDown()
{
    if (FRecorder)
        FRecorder->Stop();
    if (FPhone)
        FPhone->Disconnect();
    if (FSim)
        FSim->stop();
    FHandler.reset();
}

bool CallTestLine::startLine(const QStringList &simArgs)
{
    FSim = std::make_unique<PhoneSimProcess>(path(QStringLiteral("sim.log")),
                                             simArgs + QStringList{QStringLiteral("--start-delay"),
                                                                   QStringLiteral("100")});
    QString error;
    if (!FSim->start(&error)) {
        ADD_FAILURE() << "phonesim: " << error.toStdString();
        return false;
    }
    FPhone->SetPort(FSim->device());
    if (!FPhone->Connect()) {
        ADD_FAILURE() << "cannot open " << FSim->device().toStdString();
        return false;
    }
    // Any byte brings the phone online; FF means nothing to the program.
    FSim->feed(QStringLiteral("send FF"));
    if (!spinUntil([this] { return FPhone->Online(); }, 10000)) {
        ADD_FAILURE() << "the phone did not come online";
        return false;
    }
    return true;
}

bool CallTestLine::play(const QString &lines, const std::function<bool()> &done, int timeoutMs)
{
    FSim->feed(lines);
    return spinUntil(done, timeoutMs);
}

bool CallTestLine::spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    return MainTestSupport::SpinUntil(done, timeoutMs);
}

void CallTestLine::spin(int ms)
{
    MainTestSupport::Spin(ms);
}

QList<QVariantMap> CallTestLine::inRows() const
{
    return rows(*FIn);
}

QList<QVariantMap> CallTestLine::outRows() const
{
    return rows(*FOut);
}

QString CallTestLine::noSoundServer()
{
    MainTestSupport::EnsureApp();
    if (!TPulseMixer::ServerReachable())
        return QStringLiteral("no sound server reachable (run under scripts/with-pulse.sh)");
    if (QMediaDevices::defaultAudioInput().isNull())
        return QStringLiteral("the sound server offers no default input");
    return {};
}

bool CallTestLine::isGsmWave(const QString &file, QString *why)
{
    const auto fail = [why](const char *reason) {
        if (why)
            *why = QString::fromLatin1(reason);
        return false;
    };
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return fail("cannot open");
    const QByteArray b = f.readAll();
    if (b.size() < 60 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE" || b.mid(12, 4) != "fmt ")
        return fail("no RIFF WAVE header");
    if (le32(b, 4) != uint32_t(b.size() - 8))
        return fail("RIFF size does not match the file");
    if (le16(b, 20) != 0x31 || le16(b, 22) != 1 || le32(b, 24) != 8000 || le16(b, 32) != 65)
        return fail("not GSM 6.10 8000 Hz mono");
    const int data = b.indexOf("data", 36);
    if (data < 0)
        return fail("no data chunk");
    const uint32_t size = le32(b, data + 4);
    if (size == 0 || size % 65 != 0 || data + 8 + qint64(size) > b.size())
        return fail("data chunk is empty or not whole blocks");
    return true;
}
