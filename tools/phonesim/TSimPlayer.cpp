#include "TSimPlayer.h"

TSimPlayer::TSimPlayer(QObject *parent) : QObject(parent)
{
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] {
        FBusy = false;
        if (FInSilence) {
            // The silence ends with its pause, whatever the timer's accuracy.
            FInSilence = false;
            if (FSilence)
                FSilence(0);
        }
        step();
    });
}

void TSimPlayer::setOutput(std::function<void(const QByteArray &)> send, std::function<void(int)> silence)
{
    FSend = std::move(send);
    FSilence = std::move(silence);
}

void TSimPlayer::append(const QList<TSimAction> &actions)
{
    if (actions.isEmpty())
        return;
    if (FStack.isEmpty())
        FStack.append(Frame{});
    FStack.first().actions += actions;
    if (FStarted && !FBusy)
        QTimer::singleShot(0, this, [this] { if (!FBusy) step(); });
}

void TSimPlayer::start()
{
    if (FStarted)
        return;
    FStarted = true;
    step();
}

void TSimPlayer::stop()
{
    FTimer.stop();
    FStack.clear();
    FDigitIndex = -1;
    FBusy = false;
    if (FInSilence && FSilence)
        FSilence(0);
    FInSilence = false;
}

bool TSimPlayer::isIdle() const
{
    for (const Frame &f : FStack)
        if (f.index < f.actions.size())
            return false;
    return !FBusy;
}

void TSimPlayer::later(int msecs)
{
    FBusy = true;
    FTimer.start(msecs);
}

void TSimPlayer::step()
{
    if (!FStarted || FBusy)
        return;
    while (!FStack.isEmpty()) {
        Frame &f = FStack.last();
        if (f.index >= f.actions.size()) {
            if (FStack.size() == 1)
                break;   // the top frame keeps its played actions so appends continue after them
            if (--f.remaining > 0) {
                f.index = 0;
                continue;
            }
            FStack.removeLast();
            ++FStack.last().index;
            continue;
        }
        const TSimAction a = f.actions.at(f.index);
        switch (a.kind) {
        case TSimAction::Send:
            ++f.index;
            if (FSend)
                FSend(a.bytes);
            continue;
        case TSimAction::Digits:
            if (FDigitIndex < 0)
                FDigitIndex = 0;
            if (FDigitIndex < a.bytes.size()) {
                if (FSend)
                    FSend(a.bytes.mid(FDigitIndex, 1));
                ++FDigitIndex;
                if (FDigitIndex < a.bytes.size()) {
                    later(FDigitGap);
                    return;
                }
            }
            FDigitIndex = -1;
            ++f.index;
            continue;
        case TSimAction::Wait:
        case TSimAction::Silence:
            ++f.index;
            if (a.kind == TSimAction::Silence && FSilence) {
                FSilence(a.msecs);
                FInSilence = true;
            }
            later(a.msecs);
            return;
        case TSimAction::Repeat:
            if (a.count <= 0 || a.body.isEmpty()) {
                ++f.index;
                continue;
            }
            FStack.append(Frame{a.body, 0, a.count});
            continue;
        }
    }
    emit idle();
}
