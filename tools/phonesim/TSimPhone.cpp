#include "TSimPhone.h"
#include "TSimLog.h"
#include <QDateTime>
#include <QRegularExpression>

namespace {
constexpr int CommandTimeout = 1000;   // an unfinished command is dropped after this pause

int yearFromByte(int b)
{
    return b < 80 ? 2000 + b : 1900 + b;
}

int yearByte(int year)
{
    return year > 2000 ? year - 2000 : year - 1900;
}
}

bool TSimPhoneConfig::modelBlockFrom(const QString &model, const QString &options, QByteArray &block,
                                     QString &error)
{
    const QStringList p = model.split(QLatin1Char('.'));
    if (p.size() != 5) {
        error = QStringLiteral("--model expects MODEL.SUB.LETTER.VARIANT.CODE, e.g. 5.2.0.1.123");
        return false;
    }
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = p.at(i).toInt(&ok);
        // The letter may be given as itself.
        static const QString letters = QStringLiteral("ЦТС");
        if (i == 2 && !ok && p.at(i).size() == 1 && letters.contains(p.at(i))) {
            v[i] = int(letters.indexOf(p.at(i)));
            ok = true;
        }
        if (!ok || v[i] < 0 || v[i] > 255) {
            error = QStringLiteral("--model: %1 is not a number 0..255").arg(p.at(i));
            return false;
        }
    }
    const QString code = p.at(4).toUpper();
    if (code.size() != 3) {
        error = QStringLiteral("--model: the code has three characters (digits, Ф or F)");
        return false;
    }
    if (options.size() != 8 || options.contains(QRegularExpression(QStringLiteral("[^01]")))) {
        error = QStringLiteral("--options expects eight 0 or 1 characters");
        return false;
    }
    block = QByteArray(23, char(0));
    block[0] = char((v[0] >> 4) & 15);
    block[1] = char(v[0] & 15);
    block[3] = char((v[1] >> 4) & 15);
    block[4] = char(v[1] & 15);
    block[5] = char(v[2]);
    block[6] = char(v[3]);
    for (int i = 0; i < 3; ++i) {
        const QChar c = code.at(i);
        if (c.isDigit() && c.unicode() < 128)
            block[8 + i] = char(c.unicode() - '0');
        else if (c == QChar(0x0424) || c == QLatin1Char('F'))
            block[8 + i] = char(14);
        else {
            error = QStringLiteral("--model: the code has three characters (digits, Ф or F)");
            return false;
        }
    }
    static const int optionAt[8] = {12, 13, 15, 17, 18, 20, 21, 22};
    for (int i = 0; i < 8; ++i)
        block[optionAt[i]] = char(options.at(i) == QLatin1Char('1') ? 1 : 0);
    return true;
}

bool TSimPhoneConfig::phoneCodeFrom(const QString &digits, QByteArray &codes, QString &error)
{
    if (digits.size() > 5 || !TSimScript::numberCodes(digits, codes)) {
        error = QStringLiteral("--code expects up to five digits");
        return false;
    }
    while (codes.size() < 5)
        codes.append(char(11));
    return true;
}

bool TSimPhoneConfig::ignoreFrom(const QString &list, TSimPhoneConfig &config, QString &error)
{
    if (list.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        config.ignoreAll = true;
        return true;
    }
    for (const QString &t : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int c = t.trimmed().toInt(&ok, 16);
        if (!ok || c < 0 || c > 255) {
            error = QStringLiteral("--ignore expects hexadecimal command codes such as 92,93, or all");
            return false;
        }
        config.ignored.insert(c);
    }
    return true;
}

TSimPhone::TSimPhone(const TSimPhoneConfig &config, TSimLog *log, QObject *parent)
    : QObject(parent), FConfig(config), FLog(log), FCall(this), FRobot(log, this)
{
    FCommandTimeout.setSingleShot(true);
    FCommandTimeout.setInterval(CommandTimeout);
    connect(&FCommandTimeout, &QTimer::timeout, this, [this] {
        if (FLog)
            FLog->note(QStringLiteral("incomplete command dropped: ") + TSimLog::hex(FCommand));
        FCommand.clear();
    });
    FCall.setDigitGap(FConfig.digitGap);
    FCall.setOutput([this](const QByteArray &b) { send(b); });
    FCall.start();
    FRobot.setOutput([this](const QByteArray &b) { send(b); });
    FRobot.setTiming(FConfig.robotStep, FConfig.robotAnswer, FConfig.talk);
    connect(&FKeepAlive, &QTimer::timeout, this, [this] {
        if (!silent())
            send(QByteArray(1, FKeepAliveByte));
    });
}

bool TSimPhone::loadParams(const QString &text, QString &error)
{
    return FParams.loadText(text, error);
}

void TSimPhone::setKeepAlive(int msecs, char byte)
{
    FKeepAliveByte = byte;
    FKeepAlive.stop();
    if (msecs > 0) {
        FKeepAlive.setInterval(msecs);
        FKeepAlive.start();
    }
}

bool TSimPhone::silent() const
{
    return FSilentSince.isValid() && FSilentSince.elapsed() < FSilentFor;
}

void TSimPhone::silence(int msecs)
{
    FSilentSince.start();
    FSilentFor = msecs;
    if (FLog)
        FLog->note(msecs > 0 ? QStringLiteral("silent for %1 ms").arg(msecs) : QStringLiteral("silence ends"));
}

void TSimPhone::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (silent()) {
        if (FLog)
            FLog->note(QStringLiteral("silent, not sent: ") + TSimLog::hex(bytes));
        return;
    }
    if (FLog)
        FLog->tx(bytes);
    if (FKeepAlive.isActive())
        FKeepAlive.start();
    if (FWrite)
        FWrite(bytes);
}

void TSimPhone::sendScripted(const QByteArray &bytes)
{
    if (FLine.PassScripted(bytes)) {
        send(bytes);
    } else if (FLog) {
        FLog->note(QStringLiteral("caller hung up, not sent: ") + TSimLog::hex(bytes));
    }
}

int TSimPhone::nibbles(const QByteArray &bytes, int from, int count)
{
    int v = 0;
    for (int i = 0; i < count; ++i)
        v = (v << 4) | (uchar(bytes.at(from + i)) & 15);
    return v;
}

QByteArray TSimPhone::toNibbles(int value, int count)
{
    QByteArray r(count, char(0));
    for (int i = count - 1; i >= 0; --i, value >>= 4)
        r[i] = char(value & 15);
    return r;
}

int TSimPhone::commandLength(const QByteArray &b, int firmware)
{
    if (b.isEmpty())
        return 0;
    switch (uchar(b.at(0))) {
    case 0x80: case 0x81: case 0x95: case 0x9C: case 0x9D:
        return 1;
    case 0x83: case 0x84: case 0x85: case 0x9A:
        return 5;
    case 0x91:
        return 7;
    case 0x92: case 0x93:
        return firmware > 109 ? 5 : 2;
    case 0x9B:
        return 4;
    case 0x90:
        return b.size() < 2 ? 0 : 2 + uchar(b.at(1));
    case 0x82:
        return b.size() < 2 ? 0 : 2 + uchar(b.at(1)) + 3;
    case 0x9E: case 0x9F:
        return b.size() < 2 ? 0 : 2 + uchar(b.at(1)) + 4;
    case 0x99:
        return b.size() < 7 ? 0 : 7 + 2 * nibbles(b, 5, 2);
    default:
        return -1;
    }
}

void TSimPhone::receive(const QByteArray &bytes)
{
    for (char c : bytes) {
        FCommand.append(c);
        const int need = commandLength(FCommand, FConfig.firmware);
        if (need < 0) {
            if (FLog)
                FLog->note(QStringLiteral("unknown command byte ") + TSimLog::hex(FCommand));
            FCommand.clear();
        } else if (need > 0 && FCommand.size() >= need) {
            const QByteArray cmd = FCommand;
            FCommand.clear();
            execute(cmd);
        }
    }
    if (FCommand.isEmpty())
        FCommandTimeout.stop();
    else
        FCommandTimeout.start();
}

QDateTime TSimPhone::phoneClock() const
{
    return QDateTime::currentDateTime().addMSecs(FClockOffset);
}

void TSimPhone::reply(const QByteArray &bytes, int extraDelay)
{
    const int delay = FConfig.replyDelay + extraDelay;
    if (delay <= 0) {
        send(bytes);
        return;
    }
    QTimer::singleShot(delay, this, [this, bytes] { send(bytes); });
}

void TSimPhone::execute(const QByteArray &cmd)
{
    const int code = uchar(cmd.at(0));
    const bool ignored = FConfig.ignoreAll || FConfig.ignored.contains(code);
    QString what;
    QByteArray answer;
    int extraDelay = 0;
    switch (code) {
    case 0x80:
        what = QStringLiteral("hang up");
        break;
    case 0x81: {
        const QDateTime t = phoneClock();
        what = QStringLiteral("read clock (%1)").arg(t.toString(Qt::ISODate));
        answer = QByteArray(1, char(0x81));
        for (int v : {t.time().hour(), t.time().minute(), t.time().second(), t.date().day(), t.date().month(),
                      yearByte(t.date().year())})
            answer.append(char(v));
        break;
    }
    case 0x82:
        what = ignored ? QStringLiteral("robot call") : FRobot.dial(cmd);
        break;
    case 0x83: case 0x84: case 0x85:
        what = QStringLiteral("talk send cell %1 (not simulated)").arg(nibbles(cmd, 1, 4));
        break;
    case 0x90:
        what = QStringLiteral("dial %1 codes").arg(cmd.size() - 2);
        break;
    case 0x91: {
        const QDate d(yearFromByte(uchar(cmd.at(6))), uchar(cmd.at(5)), uchar(cmd.at(4)));
        const QTime t(uchar(cmd.at(1)), uchar(cmd.at(2)), uchar(cmd.at(3)));
        const QDateTime dt(d, t);
        if (!dt.isValid()) {
            what = QStringLiteral("set clock: not a valid date and time");
        } else {
            what = QStringLiteral("set clock %1").arg(dt.toString(Qt::ISODate));
            if (!ignored)
                FClockOffset = QDateTime::currentDateTime().msecsTo(dt);
        }
        break;
    }
    case 0x92: case 0x93: {
        const int cell = cmd.size() == 5 ? nibbles(cmd, 1, 4) : uchar(cmd.at(1));
        const int kind = code == 0x92 ? 0 : 1;
        what = QStringLiteral("call record %1 cell %2").arg(kind ? QStringLiteral("out") : QStringLiteral("in"))
                   .arg(cell);
        answer = FMemory.reply(kind, cell);
        break;
    }
    case 0x95:
        what = QStringLiteral("phone code");
        if (!FConfig.noCode)
            answer = QByteArray(1, char(0x44)) + FConfig.phoneCode;
        extraDelay = FConfig.codeDelay;
        break;
    case 0x99: {
        const int address = nibbles(cmd, 1, 4);
        const int count = nibbles(cmd, 5, 2);
        QVector<int> values;
        for (int i = 0; i < count; ++i)
            values.append(nibbles(cmd, 7 + 2 * i, 2));
        QStringList text;
        for (int v : values)
            text << QString::number(v);
        what = QStringLiteral("write parameter %1 = %2").arg(address).arg(text.join(QLatin1Char(',')));
        if (ignored)
            break;
        QString note;
        FParams.write(address, values, note);
        what += note;
        if (FParams.goesOffline()) {
            what += QStringLiteral(" (the phone goes off line)");
            silence(24 * 3600 * 1000);
        }
        break;
    }
    case 0x9A: {
        const int address = nibbles(cmd, 1, 4);
        what = QStringLiteral("read parameter %1").arg(address);
        QString note;
        const QByteArray body = FParams.read(address, note);
        what += note;
        if (!body.isEmpty())
            answer = QByteArray(1, char(0x45)) + body;
        if (FParams.goesOffline()) {
            what += QStringLiteral(" (the phone goes off line)");
            silence(24 * 3600 * 1000);
        }
        break;
    }
    case 0x9B:
        what = ignored ? QStringLiteral("play message to line") : FRobot.message(cmd);
        break;
    case 0x9C:
        what = QStringLiteral("firmware version");
        answer = QByteArray(1, char(0x47)) + toNibbles(FConfig.firmware, 3);
        break;
    case 0x9D:
        what = QStringLiteral("model");
        answer = QByteArray(1, char(0x48)) + toNibbles(int(FConfig.modelBlock.size()), 2) + FConfig.modelBlock;
        break;
    case 0x9E: case 0x9F:
        what = QStringLiteral("talk search (not simulated)");
        break;
    }
    if (FLog)
        FLog->command(TSimLog::hex(cmd) + QLatin1Char(' ') + what + (ignored ? QStringLiteral(" (ignored)") : QString()));
    if (ignored)
        return;
    if (code == 0x80) {
        if (FLine.HangUp() && FLog)
            FLog->note(QStringLiteral("ringing call hung up"));
        FCall.stop();
        FRobot.hangUp();
        reply(QByteArray(1, char(0x21)));
    } else if (code == 0x90) {
        dial(cmd.mid(2));
    } else if (!answer.isEmpty()) {
        reply(answer, extraDelay);
    }
}

// The phone reports its own dialling: 28, the digits, 20 when somebody answers, 21.
// Codes of the dial command: 0-9 digits, (0, 12) the star key, (0, 14) "#", 15 and
// the next code a letter, (15, 12, lo, hi) a pause group.
void TSimPhone::dial(const QByteArray &codes)
{
    QByteArray digits;
    for (int i = 0; i < codes.size(); ++i) {
        const int c = uchar(codes.at(i));
        const int next = i + 1 < codes.size() ? uchar(codes.at(i + 1)) : -1;
        if (c == 15) {
            i += next == 12 ? 3 : 1;
        } else if (c == 0 && next == 12) {
            digits.append(char(10));
            ++i;
        } else if (c == 0 && next == 14) {
            ++i;
        } else if (c <= 9) {
            digits.append(char(c));
        }
    }
    QList<TSimAction> call;
    TSimAction start;
    start.bytes = QByteArray(1, char(0x28));
    call << start;
    TSimAction dialled;
    dialled.kind = TSimAction::Digits;
    dialled.bytes = digits;
    if (!digits.isEmpty())
        call << dialled;
    TSimAction pause;
    pause.kind = TSimAction::Wait;
    if (FConfig.pickup >= 0) {
        pause.msecs = FConfig.pickup;
        TSimAction lifted;
        lifted.bytes = QByteArray(1, char(0x20));
        call << pause << lifted;
    }
    pause.msecs = FConfig.talk;
    TSimAction free;
    free.bytes = QByteArray(1, char(0x21));
    call << pause << free;
    FCall.stop();
    if (FConfig.replyDelay > 0) {
        TSimAction delay;
        delay.kind = TSimAction::Wait;
        delay.msecs = FConfig.replyDelay;
        call.prepend(delay);
    }
    FCall.append(call);
}
