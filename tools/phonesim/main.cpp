// konvelo-phonesim: the VRX phone's side of the serial protocol, for the demo and
// the end-to-end tests.
#include "TSimLog.h"
#include "TSimPhone.h"
#include "TSimPlayer.h"
#include "TSimPort.h"
#include "TSimScript.h"
#include "common/BaseFolder.h"
#include "common/SignalQuit.h"
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
const char *Description =
    "The phone's side of the VRX serial protocol.\n"
    "\n"
    "Creates a pseudo-terminal and prints its device path as the first line of\n"
    "output (or opens --device DEV), then plays the scenario file, or the lines\n"
    "given on standard input when no file or \"-\" is given. Playing begins\n"
    "--start-delay ms after the program side has opened the pseudo-terminal\n"
    "and kept it open (after start-up for --device). After the scenario the\n"
    "simulator keeps answering commands until it is ended (SIGTERM, SIGINT),\n"
    "unless --exit-at-end is given.\n"
    "\n"
    "Scenario lines (one action each, # starts a comment):\n"
    "  ring                     30\n"
    "  number CATEGORY [DIGITS] 31, category, count, codes (? or * is code 10)\n"
    "  lift | lift-parallel     20 | 22\n"
    "  hangup                   21\n"
    "  dial DIGITS              the digits as the phone reports them, one byte\n"
    "                           each, --digit-gap ms apart (* is code 10)\n"
    "  autodial DIGITS          28, then the digits as dial does\n"
    "  answering-machine        2C\n"
    "  message                  32\n"
    "  busy-settings            33\n"
    "  send HEX...              raw bytes\n"
    "  wait SECONDS             pause\n"
    "  silence SECONDS          pause sending nothing at all, not even replies\n"
    "  repeat N ... end         the lines between, N times\n"
    "\n"
    "Commands answered: 80 (21; a call still ringing plays no further), 81 (its clock), 90 (28, digits, 20 after\n"
    "--pickup, 21 after --talk), 91 (clock set, logged), 92/93 (call memory),\n"
    "95 (44 with --code), 99/9A (parameter store), 9C (47), 9D (48), 9E/9F\n"
    "(talk search: 56/57), 83/84/85 (talk play: 53/54/55 with the length, the\n"
    "sound into the default audio output in real time, 01 at its end; 80 stops\n"
    "it), 82 and 9B (a robot call chosen by the number's last digit: 0 busy,\n"
    "1 no answer, 3 the operator lifts the handset, 4 cut off while dialling once,\n"
    "5 no answer to the dial, others reached by the dial's criterion, then the\n"
    "message, 36 and the answer, 2D, 21).\n"
    "\n"
    "--memory FILE lines: in|out DD.MM HH:MM H:MM:SS FLAGS CATEGORY [DIGITS],\n"
    "newest first, at most 97 per kind, each optionally followed by what the\n"
    "cell holds: talk=SECONDS message=SECONDS wave=FILE message-wave=FILE\n"
    "tone=HZ message-tone=HZ (the sound; default a tone of 400 + 100 x cell Hz),\n"
    "overrun=SECONDS (played past the announced length), announce=SECONDS\n"
    "(announced instead of the length; 0 for a talk of length 0), report-cell=N\n"
    "(the cell the talk search reply names instead of the real one). --params FILE lines: ADDRESS=V1[,V2].\n"
    "--params-store FILE.AON keeps the store as 12-byte profile records; a write\n"
    "to an address it lacks adds it.\n"
    "The --log file gets one line per received byte (\"<time> RX 9C\"), per sent\n"
    "message (TX), per decoded command (CMD) and notes (NOTE).";

void out(const QString &line)
{
    const QByteArray b = line.toUtf8() + '\n';
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fflush(stdout);
}

int usage(const QString &message)
{
    const QByteArray b = ("konvelo-phonesim: " + message + "\n").toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    return 2;
}

bool intOption(const QCommandLineParser &p, const QString &name, int min, int max, int &value, QString &error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    value = p.value(name).toInt(&ok);
    if (!ok || value < min || value > max) {
        error = QStringLiteral("--%1 expects a whole number %2..%3").arg(name).arg(min).arg(max);
        return false;
    }
    return true;
}

bool secondsOption(const QCommandLineParser &p, const QString &name, int &msecs, QString &error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const double s = p.value(name).toDouble(&ok);
    if (!ok || s < 0 || s > 86400) {
        error = QStringLiteral("--%1 expects seconds").arg(name);
        return false;
    }
    msecs = int(s * 1000.0 + 0.5);
    return true;
}

bool readText(const QString &path, QString &text, QString &error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    text = QString::fromUtf8(f.readAll());
    return true;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("konvelo-phonesim"));
    std::signal(SIGPIPE, SIG_IGN);
    BaseFolder::resolve(app.arguments());

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromUtf8(Description));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("scenario"), QStringLiteral("scenario file, or - for standard input"),
                            QStringLiteral("[scenario]"));
    const QList<QCommandLineOption> options{
        {QStringLiteral("device"), QStringLiteral("Open this serial device instead of a pseudo-terminal."),
         QStringLiteral("DEV")},
        {QStringLiteral("log"), QStringLiteral("Log every byte received (and sent) to FILE; - for stderr."),
         QStringLiteral("FILE")},
        {QStringLiteral("exit-at-end"), QStringLiteral("End when the scenario has been played.")},
        {QStringLiteral("start-delay"),
         QStringLiteral("Ms between the program opening the line and the scenario (default 300)."),
         QStringLiteral("MS")},
        {QStringLiteral("model"), QStringLiteral("Model block MODEL.SUB.LETTER.VARIANT.CODE (default 5.2.0.1.123)."),
         QStringLiteral("M")},
        {QStringLiteral("options"), QStringLiteral("Options 1 to 8 as 0/1 (default 10100111)."),
         QStringLiteral("BITS")},
        {QStringLiteral("firmware"), QStringLiteral("Firmware version (default 112)."), QStringLiteral("N")},
        {QStringLiteral("code"), QStringLiteral("Individual number, up to five digits (default 12345)."),
         QStringLiteral("DIGITS")},
        {QStringLiteral("code-delay"), QStringLiteral("Extra ms before the individual number."),
         QStringLiteral("MS")},
        {QStringLiteral("no-code"), QStringLiteral("Never answer the individual-number request.")},
        {QStringLiteral("memory"), QStringLiteral("Call memory file."), QStringLiteral("FILE")},
        {QStringLiteral("params"), QStringLiteral("Parameter store file."), QStringLiteral("FILE")},
        {QStringLiteral("params-store"),
         QStringLiteral("Parameter store as a profile (*.AON), read at start and saved after every write."),
         QStringLiteral("FILE.AON")},
        {QStringLiteral("drop-param"), QStringLiteral("Never answer the request for this parameter (repeatable)."),
         QStringLiteral("ADDR")},
        {QStringLiteral("param-answer-as"),
         QStringLiteral("Answer the request for ASKED under the number CARRIED (repeatable)."),
         QStringLiteral("ASKED=CARRIED")},
        {QStringLiteral("offline-after-params"),
         QStringLiteral("Fall silent for good after this many parameter commands."), QStringLiteral("N")},
        {QStringLiteral("pickup"), QStringLiteral("Seconds from a dialled number to its answer (default: none)."),
         QStringLiteral("SECONDS")},
        {QStringLiteral("talk"), QStringLiteral("Seconds from the answer (or the dialling) to line free (default 3)."),
         QStringLiteral("SECONDS")},
        {QStringLiteral("reply-delay"), QStringLiteral("Ms before every reply."), QStringLiteral("MS")},
        {QStringLiteral("ignore"), QStringLiteral("Leave these commands unanswered (hex, e.g. 92,93; or all)."),
         QStringLiteral("LIST")},
        {QStringLiteral("digit-gap"), QStringLiteral("Ms between reported digits (default 100)."),
         QStringLiteral("MS")},
        {QStringLiteral("robot-step"), QStringLiteral("Ms between the codes of a robot call (default 150)."),
         QStringLiteral("MS")},
        {QStringLiteral("robot-answer"), QStringLiteral("Longest answer recording of a robot call in ms (default 1000)."),
         QStringLiteral("MS")},
        {QStringLiteral("keepalive"),
         QStringLiteral("Send --keepalive-byte after this many ms without sending (default: off)."),
         QStringLiteral("MS")},
        {QStringLiteral("keepalive-byte"),
         QStringLiteral("Hex byte of no meaning to the program, sent as a sign of life (default FF)."),
         QStringLiteral("HEX")},
        {QStringLiteral("home"), QStringLiteral("Base folder (taken by every Konvelo executable)."),
         QStringLiteral("DIR")},
    };
    p.addOptions(options);
    p.process(app);

    QString error;
    TSimPhoneConfig config;
    if (!TSimPhoneConfig::modelBlockFrom(p.isSet(QStringLiteral("model")) ? p.value(QStringLiteral("model"))
                                                                           : QStringLiteral("5.2.0.1.123"),
                                         p.isSet(QStringLiteral("options")) ? p.value(QStringLiteral("options"))
                                                                             : QStringLiteral("10100111"),
                                         config.modelBlock, error)
        || !TSimPhoneConfig::phoneCodeFrom(p.isSet(QStringLiteral("code")) ? p.value(QStringLiteral("code"))
                                                                            : QStringLiteral("12345"),
                                           config.phoneCode, error)
        || !intOption(p, QStringLiteral("firmware"), 0, 4095, config.firmware, error)
        || !intOption(p, QStringLiteral("code-delay"), 0, 600000, config.codeDelay, error)
        || !intOption(p, QStringLiteral("reply-delay"), 0, 600000, config.replyDelay, error)
        || !intOption(p, QStringLiteral("digit-gap"), 0, 600000, config.digitGap, error)
        || !intOption(p, QStringLiteral("robot-step"), 0, 600000, config.robotStep, error)
        || !intOption(p, QStringLiteral("robot-answer"), 0, 3600000, config.robotAnswer, error)
        || !secondsOption(p, QStringLiteral("pickup"), config.pickup, error)
        || !secondsOption(p, QStringLiteral("talk"), config.talk, error)
        || (p.isSet(QStringLiteral("ignore"))
            && !TSimPhoneConfig::ignoreFrom(p.value(QStringLiteral("ignore")), config, error)))
        return usage(error);
    config.noCode = p.isSet(QStringLiteral("no-code"));
    int startDelay = 300, keepAlive = 0;
    if (!intOption(p, QStringLiteral("start-delay"), 0, 600000, startDelay, error)
        || !intOption(p, QStringLiteral("keepalive"), 0, 600000, keepAlive, error))
        return usage(error);
    QByteArray keepAliveByte("\xFF", 1);
    if (p.isSet(QStringLiteral("keepalive-byte"))
        && (!TSimScript::parseHex({p.value(QStringLiteral("keepalive-byte"))}, keepAliveByte)
            || keepAliveByte.size() != 1))
        return usage(QStringLiteral("--keepalive-byte expects one hexadecimal byte"));

    TSimLog log;
    if (!log.open(p.value(QStringLiteral("log"))))
        return usage(QStringLiteral("cannot write the log ") + p.value(QStringLiteral("log")));

    TSimPhone phone(config, &log);
    if (p.isSet(QStringLiteral("memory"))) {
        TSimMemory memory;
        QStringList warnings;
        if (!memory.loadFile(p.value(QStringLiteral("memory")), error, &warnings))
            return usage(QStringLiteral("--memory: ") + error);
        for (const QString &w : warnings)
            log.note(QStringLiteral("--memory: ") + w);
        phone.setMemory(memory);
    }
    if (p.isSet(QStringLiteral("params"))) {
        QString text;
        if (!readText(p.value(QStringLiteral("params")), text, error) || !phone.loadParams(text, error))
            return usage(QStringLiteral("--params: ") + error);
    }
    if (p.isSet(QStringLiteral("params-store")) && !phone.params().loadStore(p.value(QStringLiteral("params-store")), error))
        return usage(QStringLiteral("--params-store: ") + error);
    for (const QString &a : p.values(QStringLiteral("drop-param"))) {
        bool ok = false;
        const int address = a.toInt(&ok);
        if (!ok || address < 0 || address > 65535)
            return usage(QStringLiteral("--drop-param expects an address 0..65535"));
        phone.params().drop(address);
    }
    for (const QString &a : p.values(QStringLiteral("param-answer-as"))) {
        bool ok = false, ok2 = false;
        const int asked = a.section(QLatin1Char('='), 0, 0).toInt(&ok);
        const int carried = a.section(QLatin1Char('='), 1).toInt(&ok2);
        if (!ok || !ok2 || asked < 0 || asked > 65535 || carried < 0 || carried > 65535)
            return usage(QStringLiteral("--param-answer-as expects ASKED=CARRIED, addresses 0..65535"));
        phone.params().answerAs(asked, carried);
    }
    if (p.isSet(QStringLiteral("offline-after-params"))) {
        int n = 0;
        if (!intOption(p, QStringLiteral("offline-after-params"), 0, 1000000, n, error))
            return usage(error);
        phone.params().setOfflineAfter(n);
    }

    // The scenario: a file is parsed whole before anything starts.
    const QStringList positional = p.positionalArguments();
    if (positional.size() > 1)
        return usage(QStringLiteral("one scenario at most"));
    const bool fromStdin = positional.isEmpty() || positional.first() == QLatin1String("-");
    TSimScript script;
    TSimPlayer player;
    player.setDigitGap(config.digitGap);
    player.setOutput([&phone](const QByteArray &b) { phone.sendScripted(b); }, [&phone](int ms) { phone.silence(ms); });
    bool inputDone = false;
    if (!fromStdin) {
        QString text;
        if (!readText(positional.first(), text, error))
            return usage(error);
        for (const QString &line : text.split(QLatin1Char('\n')))
            if (!script.addLine(line, error))
                return usage(positional.first() + QStringLiteral(": ") + error);
        if (!script.finish(error))
            return usage(positional.first() + QStringLiteral(": ") + error);
        player.append(script.takeReady());
        inputDone = true;
    }

    TSimPort port;
    const bool device = p.isSet(QStringLiteral("device"));
    if (device ? !port.openDevice(p.value(QStringLiteral("device")), error) : !port.createPty(error)) {
        std::fprintf(stderr, "konvelo-phonesim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    phone.setOutput([&port](const QByteArray &b) { port.write(b); });
    phone.setKeepAlive(keepAlive, keepAliveByte.at(0));
    QObject::connect(&port, &TSimPort::bytesReceived, &phone, [&](const QByteArray &b, qint64 when) {
        log.rx(b, when);
        phone.receive(b);
    });
    QObject::connect(&port, &TSimPort::writeFailed, &phone,
                     [&](const QString &why) { log.note(QStringLiteral("write failed: ") + why); });
    SignalQuit::install();

    auto maybeExit = [&] {
        if (p.isSet(QStringLiteral("exit-at-end")) && inputDone && player.isStarted() && player.isIdle()) {
            log.note(QStringLiteral("scenario ended"));
            // A moment for the last bytes to reach the program.
            QTimer::singleShot(200, &app, &QCoreApplication::quit);
        }
    };
    QObject::connect(&player, &TSimPlayer::idle, &app, maybeExit);

    QTimer startTimer;
    startTimer.setSingleShot(true);
    QObject::connect(&startTimer, &QTimer::timeout, &player, [&] {
        log.note(QStringLiteral("scenario starts"));
        player.start();
    });
    QObject::connect(&port, &TSimPort::deviceOpened, &phone,
                     [&] { log.note(QStringLiteral("device opened by the program")); });
    QObject::connect(&port, &TSimPort::deviceClosed, &phone,
                     [&] { log.note(QStringLiteral("device closed by the program")); });
    QObject::connect(&port, &TSimPort::peerChanged, &phone, [&](bool open) {
        log.note(open ? QStringLiteral("line open") : QStringLiteral("line closed"));
        // The program may open, close and open the line again while it starts up:
        // the delay counts from the last opening.
        if (!player.isStarted()) {
            if (open)
                startTimer.start(startDelay);
            else
                startTimer.stop();
        }
    });
    if (device)
        startTimer.start(startDelay);

    std::unique_ptr<QSocketNotifier> input;
    QByteArray pendingInput;
    if (fromStdin) {
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, &app, [&] {
            char buf[4096];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n > 0)
                pendingInput.append(buf, int(n));
            int nl;
            while ((nl = pendingInput.indexOf('\n')) >= 0 || (n <= 0 && !pendingInput.isEmpty())) {
                const QByteArray line = nl >= 0 ? pendingInput.left(nl) : pendingInput;
                pendingInput.remove(0, nl >= 0 ? nl + 1 : pendingInput.size());
                if (!script.addLine(QString::fromUtf8(line), error))
                    std::fprintf(stderr, "konvelo-phonesim: %s\n", error.toLocal8Bit().constData());
                player.append(script.takeReady());
            }
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                input->setEnabled(false);
                if (!script.finish(error))
                    std::fprintf(stderr, "konvelo-phonesim: %s\n", error.toLocal8Bit().constData());
                inputDone = true;
                maybeExit();
            }
        });
    }

    out(port.devicePath());
    log.note(QStringLiteral("serving on ") + port.devicePath());
    const int rc = app.exec();
    log.note(QStringLiteral("ends"));
    port.close();
    return rc;
}
