#include "TSimRobot.h"
#include "TSimLog.h"

namespace {
QByteArray code(int c)
{
    return QByteArray(1, char(c));
}
}

TSimRobot::TSimRobot(TSimLog *log, QObject *parent) : QObject(parent), FLog(log), FPlayer(this)
{
    FPlayer.start();
    FNoMessage.setSingleShot(true);
    connect(&FNoMessage, &QTimer::timeout, this, [this] {
        if (!FAwaitingMessage)
            return;
        FAwaitingMessage = false;
        play({code(0x2D), code(0x21)});
    });
    connect(&FPlayer, &TSimPlayer::idle, this, [this] {
        if (!FAwaitingMessage)
            FActive = false;
    });
}

void TSimRobot::setOutput(std::function<void(const QByteArray &)> send)
{
    FSend = std::move(send);
    FPlayer.setOutput(FSend);
}

void TSimRobot::setTiming(int step, int answer, int talk)
{
    FStep = step;
    FAnswer = answer;
    FTalk = talk;
}

void TSimRobot::play(const QList<QByteArray> &codes, int firstDelay)
{
    QList<TSimAction> actions;
    bool first = true;
    for (const QByteArray &c : codes) {
        TSimAction wait;
        wait.kind = TSimAction::Wait;
        wait.msecs = first && firstDelay >= 0 ? firstDelay : FStep;
        first = false;
        TSimAction send;
        if (c.size() > 1 && c.at(0) == char(0x7F)) {   // a pause of the given ms
            wait.msecs = c.mid(1).toInt();
            actions << wait;
            continue;
        }
        send.bytes = c;
        actions << wait << send;
    }
    FActive = true;
    FPlayer.append(actions);
}

QString TSimRobot::dial(const QByteArray &cmd)
{
    const int n = uchar(cmd.at(1));
    const QByteArray digits = cmd.mid(2, n);
    const int flags = uchar(cmd.at(2 + n + 2));
    const int criterion = (flags >> 1) & 3;
    FPlayer.stop();
    FAwaitingMessage = false;
    FNoMessage.stop();
    const int last = digits.isEmpty() ? 2 : uchar(digits.back());
    QString what = QStringLiteral("robot call, %1 codes, speaker %2, hang-up wait %3, flags %4: ")
                       .arg(n).arg(uchar(cmd.at(2 + n))).arg(uchar(cmd.at(3 + n))).arg(flags);
    if (last == 5)
        return what + QStringLiteral("not confirmed");
    QList<QByteArray> codes{code(0x28)};
    if (last == 4 && !FCutOff.contains(digits)) {
        FCutOff.insert(digits);
        play({code(0x28), code(0x21)});
        return what + QStringLiteral("cut off while dialling");
    }
    for (char d : digits)
        codes << QByteArray(1, char(uchar(d) <= 9 ? d : 0));
    codes << code(0x2A);
    switch (last) {
    case 0:
        play(codes << code(0x23) << code(0x21));
        return what + QStringLiteral("busy");
    case 1:
        play(codes << code(0x25) << code(0x25) << code(0x25) << code(0x21));
        return what + QStringLiteral("no answer");
    case 3:
        play(codes << code(0x25) << code(0x20) << (code(0x7F) + QByteArray::number(FTalk)) << code(0x21));
        return what + QStringLiteral("the operator lifts the handset");
    default:
        break;
    }
    if (criterion >= 1)
        codes << code(0x25);
    if (criterion >= 2)
        codes << code(0x25);
    codes << code(0x26);
    play(codes);
    FAwaitingMessage = true;
    FNoMessage.start(FStep * int(codes.size()) + 3000);
    return what + QStringLiteral("reached by criterion %1").arg(criterion);
}

QString TSimRobot::message(const QByteArray &cmd)
{
    const int value = (uchar(cmd.at(1)) & 15) * 16 + (uchar(cmd.at(2)) & 15);
    const int count = uchar(cmd.at(3));
    const QString what = QStringLiteral("play message to line %1 times, answer %2 s").arg(count).arg(value * 10);
    if (!FAwaitingMessage)
        return what + QStringLiteral(" (no robot call reached)");
    FAwaitingMessage = false;
    FNoMessage.stop();
    QList<QByteArray> codes;
    codes << (code(0x7F) + QByteArray::number(FStep * std::max(count, 1)));
    if (value > 0)
        codes << code(0x36) << (code(0x7F) + QByteArray::number(std::min(value * 10000, FAnswer)));
    codes << code(0x2D) << code(0x21);
    play(codes);
    return what;
}

void TSimRobot::hangUp()
{
    FPlayer.stop();
    FAwaitingMessage = false;
    FNoMessage.stop();
    FActive = false;
}
