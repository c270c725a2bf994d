// konvelo-cli download: copies the talks and messages the phone holds for the
// journal rows marked "+" to the records folder, as the program's download does.
#include "CliCommand.h"
#include "audio/TGSMRecorder.h"
#include "common/BaseFolder.h"
#include "common/JsonLine.h"
#include "common/SignalQuit.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "phone/TPhoneCapabilities.h"
#include "phone/TPhoneDetection.h"
#include "phone/TPortAccess.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "transfer/TTalkDownload.h"
#include "transfer/TTalkRecording.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <exception>
#include <memory>

namespace {

// The session fields of the link, handing the search replies to the download.
class DownloadHost : public TPhoneHost {
public:
    TTalkDownload *Download = nullptr;
    TPhoneDetection *Detection = nullptr;

    void StartModelDetection() override
    {
        if (Detection)
            Detection->StartModelDetection();
    }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void FinishTalkSearch() override
    {
        if (Download)
            Download->FinishTalkSearch();
    }
    void TalkSearchReply(uint8_t Code, int Count, const QByteArray &Entries) override
    {
        if (Download)
            Download->TalkSearchReply(Code, Count, Entries);
    }
};

QString kindName(TTalkKind Kind)
{
    return Kind == tkOutTalk ? QStringLiteral("out-talk") : Kind == tkInTalk ? QStringLiteral("in-talk")
                                                                            : QStringLiteral("in-message");
}

// Waits for Done, the time limit (ms, 0 none) or a signal; false on the limit or a signal.
bool waitFor(int limitMs, const std::function<bool()> &Done)
{
    if (Done())
        return true;
    QEventLoop loop;
    bool ok = true;
    QTimer poll, limit;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (Done())
            loop.quit();
    });
    poll.start(20);
    if (limitMs > 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            ok = false;
            loop.quit();
        });
        limit.start(limitMs);
    }
    if (SignalQuit *q = SignalQuit::instance())
        QObject::connect(q, &SignalQuit::signalled, &loop, [&] {
            ok = false;
            loop.quit();
        });
    if (SignalQuit::received())
        return false;
    loop.exec();
    return ok && Done();
}

int runDownload(const CliArgs &a)
{
    const QString port = a.option(QStringLiteral("port"));
    if (port.isEmpty()) {
        cliErr(QStringLiteral("usage: download --port DEV [--in|--out] [--home DIR]"));
        return CliUsage;
    }
    if (a.has(QStringLiteral("in")) && a.has(QStringLiteral("out"))) {
        cliErr(QStringLiteral("--in and --out exclude each other (neither: both journals)"));
        return CliUsage;
    }
    const bool in = !a.has(QStringLiteral("out")), out = !a.has(QStringLiteral("in"));

    TConfig config(nullptr);
    config.Load();
    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    std::unique_ptr<TIncomingCallBook> inCalls;
    std::unique_ptr<TOutgoingCallBook> outCalls;
    try {
        inCalls = std::make_unique<TIncomingCallBook>(data + QStringLiteral("InCalls"));
        outCalls = std::make_unique<TOutgoingCallBook>(data + QStringLiteral("OutCalls"));
    } catch (const std::exception &e) {
        cliErr(QStringLiteral("cannot open the journals: ") + QString::fromUtf8(e.what()));
        return CliNotFound;
    }

    DownloadHost host;
    TPhone phone(&host);
    TPhoneDetection detection(phone);
    host.Detection = &detection;
    phone.OnPhoneCode = [&](const QString &code) { detection.PhoneCodeReceived(code); };
    phone.SetPort(port);
    if (!phone.Connect()) {
        cliErr(QStringLiteral("cannot open port ") + port);
        TPortAccess access;
        if (access.Check(port, phone.OpenError()))
            cliErr(access.Text());
        return CliNotFound;
    }
    cliErr(QStringLiteral("download: asking the phone for its model"));
    detection.StartModelDetection();
    if (!waitFor(10000, [&] { return !detection.ModelDetection() || !phone.Connected(); })
        || detection.ModelDetection()) {
        cliErr(QStringLiteral("the phone did not identify itself"));
        return CliNotFound;
    }
    if (!TPhoneCapabilities::From(host.Identity, true).TalkDownload) {
        cliErr(QStringLiteral("the phone's firmware %1 keeps no talks to download (110 or later needed)")
                   .arg(host.Identity.FirmwareVersion));
        return CliNotFound;
    }
    waitFor(3000, [&] { return phone.State() == psWaiting; });

    TGSMRecorder recorder;
    TTalkRecording recording(phone, host, *inCalls, *outCalls, recorder);
    TTalkDownload download(phone, host, *inCalls, *outCalls);
    host.Download = &download;
    download.StartRecordTalk = [&](const QString &f) { recording.StartRecordTalk(f); };
    download.StopRecordTalk = [&] { recording.StopRecordTalk(); };
    download.SetTransferKind = [&](TTalkKind k) { recording.TransferKind = k; };
    download.SetTransferCell = [&](int c) { recording.TransferCell = c; };
    download.TransferCell = [&] { return recording.TransferCell; };
    download.RecordsDirectory = [&] { return config.RecordsDirectory; };
    phone.OnStopSendTalk = [&] { recording.StopRecordTalk(); };
    phone.OnStartSendTalk = [&](TTalkKind k, quint16 len, int cell) { download.StartSendTalk(k, len, cell); };
    phone.OnStateChanged = [&](TPhone *) { download.PhoneStateChanged(phone.State()); };
    QObject::connect(&recording, &TTalkRecording::TransferTalkEnded, &download, &TTalkDownload::TransferTalkEnded);
    QObject::connect(&recording, &TTalkRecording::TransferFinished, &download, &TTalkDownload::TransferFinished);

    bool finished = false, nothing = false;
    QString failure;
    QString heading;
    QObject::connect(&download, &TTalkDownload::TextShown, &download,
                     [&](const QString &h, const QString &l1, bool, bool startEnabled, const QString &l2) {
                         heading = h;
                         QString text = h;
                         for (const QString &l : {l1, l2})
                             if (!l.trimmed().isEmpty())
                                 text += QStringLiteral(" | ") + l.trimmed().replace(QLatin1Char('\n'), QLatin1Char(' '));
                         cliErr(QStringLiteral("download: ") + text);
                         if (h == QStringLiteral("Ничего не найдено") || h == QStringLiteral("Внимание")) {
                             nothing = true;
                             finished = true;
                         } else if (startEnabled) {
                             // Running the command is the confirmation.
                             QTimer::singleShot(0, &download, [&] { download.Start(); });
                         }
                     });
    int lastTalk = -1;
    QObject::connect(&download, &TTalkDownload::ProgressChanged, &download,
                     [&](int talk, int all, const QString &remaining) {
                         if (talk == lastTalk)
                             return;
                         lastTalk = talk;
                         cliErr(QStringLiteral("download: talk %1%, all %2% %3").arg(talk).arg(all).arg(remaining));
                     });
    QObject::connect(&download, &TTalkDownload::TalkCopied, &download,
                     [&](TTalkKind kind, qint64 id, const QString &file) {
                         JsonLine j;
                         j.add(QStringLiteral("kind"), kindName(kind)).add(QStringLiteral("Call_ID"), id)
                             .add(QStringLiteral("file"), file);
                         cliOut(j.toString());
                     });
    QObject::connect(&download, &TTalkDownload::Closed, &download, [&] { finished = true; });
    QObject::connect(&download, &TTalkDownload::Interrupted, &download, [&](const QString &m) {
        failure = m;
        finished = true;
    });

    download.StartAll(in, out);
    if (!waitFor(0, [&] { return finished && !download.Busy(); })) {
        download.Abort(SignalQuit::received() ? QStringLiteral("программа завершена") : QStringLiteral("время вышло"));
        if (failure.isEmpty())
            failure = QStringLiteral("Перезапись прервана.");
    }
    JsonLine summary;
    summary.add(QStringLiteral("copied"), int(download.CopiedFiles().size()))
        .add(QStringLiteral("partial"), download.PartialFiles().join(QLatin1Char(';')))
        .add(QStringLiteral("result"), failure.isEmpty() ? (nothing ? heading : QStringLiteral("done"))
                                                         : QStringLiteral("interrupted"));
    cliOut(summary.toString());
    phone.Disconnect();
    if (!failure.isEmpty()) {
        cliErr(failure);
        return CliNotFound;
    }
    return CliOk;
}

CliRegistration downloadCommand({QStringLiteral("download"),
                                 QStringLiteral("download --port DEV [--in|--out]   copies the talks the phone holds "
                                                "for the journal rows marked \"+\" (JSON per file, progress on stderr)"),
                                 {QStringLiteral("port")},
                                 {QStringLiteral("in"), QStringLiteral("out")},
                                 runDownload});
}
