#include "TTalkDownload.h"
#include "TTalkTransferSteps.h"
#include "phone/TPhone.h"
#include "phone/TPhoneDecoder.h"
#include "phone/TPhoneHost.h"
#include "phone/TPhoneNumber.h"
#include "phone/TQtPhoneClock.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cmath>

using TTalkTransferSteps::Marker;

namespace {
QString timeOfDay(const TDateTime &t)
{
    return t.toQDateTime().toString(QStringLiteral("H:mm:ss"));
}

int lengthAt(const QByteArray &Entries, int Offset)
{
    return TPhone::QuarterSecondsToSeconds(TPhoneDecoder::NibbleWord(Entries.constData() + Offset));
}
}

TTalkDownload::TTalkDownload(TPhone &Phone, TPhoneHost &Host, TIncomingCallBook &InCalls,
                             TOutgoingCallBook &OutCalls, TPhoneClock *Clock, QObject *parent)
    : QObject(parent), FPhone(Phone), FHost(Host), FInCalls(InCalls), FOutCalls(OutCalls)
{
    if (!Clock) {
        FOwnClock = std::make_unique<TQtPhoneClock>();
        Clock = FOwnClock.get();
    }
    FClock = Clock;
    FTimer1 = FClock->createTimer();
    FTimer2 = FClock->createTimer();
    FTimer1->OnTimer = [this] { timer1Tick(); };
    FTimer2->OnTimer = [this] { timer2Tick(); };
}

TTalkDownload::~TTalkDownload() = default;

bool TTalkDownload::AnyMarked(const TIncomingCallBook &InCalls, const TOutgoingCallBook &OutCalls)
{
    return InCalls.hasMarkedRows() || OutCalls.hasMarkedRows();
}

bool TTalkDownload::Busy() const
{
    return FHost.TalkSearchActive || FHost.TalkTransferActive || !FCurrentFile.isEmpty();
}

int TTalkDownload::bookMarkCount() const
{
    return int(FHost.InBookMarks.size() + FHost.OutBookMarks.size());
}

QString TTalkDownload::remainingText(qint64 Seconds) const
{
    return QStringLiteral("осталость ") + DurationToText(quint16(qBound(qint64(0), Seconds, qint64(65535))));
}

void TTalkDownload::showText(const QString &Heading, const QString &Line1, bool Progress, bool StartEnabled,
                             const QString &Line2)
{
    FShown = true;
    emit TextShown(Heading, Line1, Progress, StartEnabled, Line2, FHost.TalkSearchActive, bookMarkCount() > 1);
}

void TTalkDownload::close()
{
    FTimer1->stop();
    if (FShown) {
        FShown = false;
        emit Closed();
    }
}

// ---------------------------------------------------------------- starting

void TTalkDownload::StartAll(bool Incoming, bool Outgoing)
{
    if (FPhone.State() != psWaiting || Busy())
        return;
    QList<TInBookMarks> in;
    QList<TOutBookMarks> out;
    const TTableSchema &is = FInCalls.schema();
    const int iKey = is.fieldIndex(QStringLiteral("Call_ID")), iPhone = is.fieldIndex(QStringLiteral("Phone")),
              iTime = is.fieldIndex(QStringLiteral("Time")), iFile = is.fieldIndex(QStringLiteral("FileName")),
              iMessage = is.fieldIndex(QStringLiteral("MessageFileName"));
    for (const QVariantList &row : Incoming ? FInCalls.markedRows() : QList<QVariantList>()) {
        TInBookMarks b;
        b.Call_ID = row.at(iKey).toInt();
        b.Phone = row.at(iPhone).toString();
        b.Time = TDateTime(row.at(iTime).toDouble());
        b.FileName = row.at(iFile).toString();
        b.MessageFileName = row.at(iMessage).toString();
        in << b;
    }
    const TTableSchema &os = FOutCalls.schema();
    const int oKey = os.fieldIndex(QStringLiteral("Call_ID")), oPhone = os.fieldIndex(QStringLiteral("Phone")),
              oTime = os.fieldIndex(QStringLiteral("Time"));
    for (const QVariantList &row : Outgoing ? FOutCalls.markedRows() : QList<QVariantList>()) {
        TOutBookMarks b;
        b.Call_ID = row.at(oKey).toInt();
        b.Phone = row.at(oPhone).toString();
        b.Time = TDateTime(row.at(oTime).toDouble());
        b.FileName = Marker;
        out << b;
    }
    FHost.InBookMarks = in;
    FHost.OutBookMarks = out;
    FHost.TalkSearchFound = 0;
    if (in.isEmpty() && out.isEmpty()) {
        showText(QStringLiteral("Ничего не найдено"), QString(), false, false, QString());
        return;
    }
    beginSearch(in.isEmpty() ? 1 : 0);
}

void TTalkDownload::StartIncomingRow(qint64 Call_ID, bool WantMessage)
{
    if (FPhone.State() != psWaiting || Busy())
        return;
    const QVariantList row = FInCalls.rowByKey(Call_ID);
    if (row.isEmpty())
        return;
    const TTableSchema &s = FInCalls.schema();
    const bool talk = row.at(s.fieldIndex(QStringLiteral("FileName"))).toString() == Marker;
    const bool message = row.at(s.fieldIndex(QStringLiteral("MessageFileName"))).toString() == Marker;
    if (!talk && !message)
        return;
    TInBookMarks b;
    b.Call_ID = int(Call_ID);
    b.Phone = row.at(s.fieldIndex(QStringLiteral("Phone"))).toString();
    b.Time = TDateTime(row.at(s.fieldIndex(QStringLiteral("Time"))).toDouble());
    if (talk && message)
        (WantMessage ? b.MessageFileName : b.FileName) = Marker;
    else
        (talk ? b.FileName : b.MessageFileName) = Marker;
    FHost.InBookMarks = {b};
    FHost.OutBookMarks.clear();
    FHost.TalkSearchFound = 0;
    beginSearch(0);
}

void TTalkDownload::StartOutgoingRow(qint64 Call_ID)
{
    if (FPhone.State() != psWaiting || Busy())
        return;
    const QVariantList row = FOutCalls.rowByKey(Call_ID);
    const TTableSchema &s = FOutCalls.schema();
    if (row.isEmpty() || row.at(s.fieldIndex(QStringLiteral("FileName"))).toString() != Marker)
        return;
    TOutBookMarks b;
    b.Call_ID = int(Call_ID);
    b.Phone = row.at(s.fieldIndex(QStringLiteral("Phone"))).toString();
    b.Time = TDateTime(row.at(s.fieldIndex(QStringLiteral("Time"))).toDouble());
    b.FileName = Marker;
    FHost.InBookMarks.clear();
    FHost.OutBookMarks = {b};
    FHost.TalkSearchFound = 0;
    beginSearch(1);
}

void TTalkDownload::beginSearch(uint8_t Kind)
{
    FCopied.clear();
    FPartial.clear();
    FTalkProgress = FAllProgress = 0;
    FHost.TalkTransferActive = false;
    FHost.TalkSearchActive = true;
    FHost.TalkSearchKind = Kind;
    FHost.TalkSearchIndex = 0;
    showSearchProgress();
    FPhone.SearchTalk(Kind, 0);
}

void TTalkDownload::showSearchProgress()
{
    const int index = FHost.TalkSearchIndex;
    const bool in = FHost.TalkSearchKind == 0;
    QString phone;
    TDateTime time;
    if (in && index < FHost.InBookMarks.size()) {
        phone = FHost.InBookMarks.at(index).Phone;
        time = FHost.InBookMarks.at(index).Time;
    } else if (!in && index < FHost.OutBookMarks.size()) {
        phone = FHost.OutBookMarks.at(index).Phone;
        time = FHost.OutBookMarks.at(index).Time;
    }
    showText(QStringLiteral("Подготовка перезаписи"),
             QStringLiteral("Найдено звонков %1 из %2").arg(FHost.TalkSearchFound).arg(bookMarkCount()), false,
             false,
             (in ? QStringLiteral("Поиск входящего звонка ") : QStringLiteral("Поиск исходящего звонка ")) + phone
                 + QStringLiteral(" в ") + timeOfDay(time));
}

// ---------------------------------------------------------------- the search

void TTalkDownload::clearMarker(uint8_t Kind, bool Talk, bool Message)
{
    const int index = FHost.TalkSearchIndex;
    try {
        if (Kind == 0) {
            TInBookMarks &b = FHost.InBookMarks[index];
            if (Talk && b.FileName == Marker)
                b.FileName.clear();
            if (Message && b.MessageFileName == Marker)
                b.MessageFileName.clear();
            FInCalls.ClearMarkers(b.Call_ID, Talk, Message);
        } else {
            TOutBookMarks &b = FHost.OutBookMarks[index];
            b.FileName.clear();
            FOutCalls.ClearMarkers(b.Call_ID);
        }
    } catch (const std::exception &) {
        // The row keeps its "+"; the phone is asked again on the next download.
    }
}

void TTalkDownload::TalkSearchReply(uint8_t Code, int Count, const QByteArray &Entries)
{
    if (!FHost.TalkSearchActive)
        return;
    const uint8_t kind = Code == 0x56 ? 0 : 1;
    const int index = FHost.TalkSearchIndex;
    // A late reply to the other list's request is not this bookmark's.
    if (kind != FHost.TalkSearchKind)
        return;
    if (kind == 0) {
        if (index < 0 || index >= FHost.InBookMarks.size()) {
            FinishTalkSearch();
            return;
        }
        FHost.TalkSearchFound += Count;
        TInBookMarks &b = FHost.InBookMarks[index];
        if (Count == 0 || Entries.size() < 12) {
            b.CellNo = -1;
            clearMarker(0, true, true);
        } else if (TPhoneDecoder::NibbleWord(Entries.constData()) >= TPhone::CellCount) {
            b.CellNo = -1;   // a cell that cannot be asked for: not found, the row keeps its "+"
        } else {
            b.CellNo = TPhoneDecoder::NibbleWord(Entries.constData());
            // A length of 0 clears only the marker of what it measures: the row's
            // other recording may still be in the phone.
            if (b.MessageFileName == Marker) {
                b.MessageLength = lengthAt(Entries, 8);
                if (b.MessageLength == 0)
                    clearMarker(0, false, true);
            }
            if (b.FileName == Marker) {
                b.TalkLength = lengthAt(Entries, 4);
                if (b.TalkLength == 0)
                    clearMarker(0, true, false);
            }
            if (b.FileName != Marker && b.MessageFileName != Marker)
                b.CellNo = -1;
        }
        if (index < FHost.InBookMarks.size() - 1) {
            FHost.TalkSearchIndex = index + 1;
            showSearchProgress();
            FPhone.SearchTalk(0, FHost.TalkSearchIndex);
        } else if (!FHost.OutBookMarks.isEmpty()) {
            FHost.TalkSearchKind = 1;
            FHost.TalkSearchIndex = 0;
            showSearchProgress();
            FPhone.SearchTalk(1, 0);
        } else {
            FinishTalkSearch();
        }
        return;
    }
    if (index < 0 || index >= FHost.OutBookMarks.size()) {
        FinishTalkSearch();
        return;
    }
    TOutBookMarks &b = FHost.OutBookMarks[index];
    if (Count == 0 || Entries.size() < 8) {
        b.CellNo = -1;
        clearMarker(1, true, false);
    } else {
        b.CellNo = TPhoneDecoder::NibbleWord(Entries.constData());
        b.TalkLength = lengthAt(Entries, 4);
        if (b.CellNo >= TPhone::CellCount) {
            b.CellNo = -1;   // a cell that cannot be asked for: not found, the row keeps its "+"
            b.TalkLength = 0;
        } else if (b.TalkLength == 0) {
            clearMarker(1, true, false);
            b.CellNo = -1;
        }
    }
    if (index < FHost.OutBookMarks.size() - 1) {
        FHost.TalkSearchIndex = index + 1;
        showSearchProgress();
        FPhone.SearchTalk(1, FHost.TalkSearchIndex);
    } else {
        FinishTalkSearch();
    }
}

void TTalkDownload::FinishTalkSearch()
{
    if (!FHost.TalkSearchActive)
        return;
    FHost.TalkSearchActive = false;
    FHost.TalkTransferActive = true;
    FHost.TalkSearchFound = 0;
    int total = 0;
    int inFound = 0, outFound = 0;
    const TInBookMarks *in = nullptr;
    const TOutBookMarks *out = nullptr;
    for (const TInBookMarks &b : FHost.InBookMarks)
        if (b.CellNo >= 0) {
            total += b.TalkLength + b.MessageLength;
            ++inFound;
            in = &b;
        }
    for (const TOutBookMarks &b : FHost.OutBookMarks)
        if (b.CellNo >= 0 && b.TalkLength != 0) {
            total += b.TalkLength;
            ++outFound;
            out = &b;
        }
    FHost.TalkSearchFound = inFound + outFound;
    FTotalLength = total;
    if (FHost.TalkSearchFound == 0 || total == 0) {
        showText(QStringLiteral("Ничего не найдено"), QString(), false, false, QString());
        return;
    }
    QString line1, line2;
    const QString length = QStringLiteral("продолжительностью  ") + DurationToText(quint16(total));
    if (inFound == 1 && outFound == 0) {
        line1 = in->MessageLength > 0 && in->TalkLength == 0 ? QStringLiteral(" Сообщение")
                                                              : QStringLiteral(" Разговор (входящий звонок)");
        line2 = QStringLiteral("с номера ") + in->Phone + QStringLiteral("   в  ") + timeOfDay(in->Time)
                + QLatin1Char('\n') + length;
    } else if (inFound == 0 && outFound == 1) {
        line1 = QStringLiteral(" Разговор (исходящий звонок)");
        line2 = QStringLiteral("с номера ") + out->Phone + QStringLiteral("    в  ") + timeOfDay(out->Time)
                + QLatin1Char('\n') + length;
    } else {
        line1 = QStringLiteral(" Звонков - %1").arg(FHost.TalkSearchFound);
        line2 = QStringLiteral("продолжительностью примерно ") + DurationToText(quint16(total));
    }
    FConfirmLine1 = line1;
    FConfirmLine2 = line2;
    showText(QStringLiteral("Подтвердите перезапись"), line1, false, true, line2);
}

// ---------------------------------------------------------------- the transfer

void TTalkDownload::Start()
{
    if (!FHost.TalkTransferActive || FHost.TalkSearchActive || !FCurrentFile.isEmpty())
        return;
    for (int i = 0; i < FHost.InBookMarks.size(); ++i) {
        const TInBookMarks &b = FHost.InBookMarks.at(i);
        if (b.CellNo < 0)
            continue;
        const bool message = b.MessageFileName == Marker && b.MessageLength != 0;
        FHost.TalkSearchIndex = i;
        if (SetTransferKind)
            SetTransferKind(message ? tkInMessage : tkInTalk);
        if (SetTransferCell)
            SetTransferCell(b.CellNo);
        showTransferStart();
        FPhone.RequestTalkSend(message ? 0x84 : 0x83, quint16(b.CellNo));
        return;
    }
    for (int i = 0; i < FHost.OutBookMarks.size(); ++i) {
        const TOutBookMarks &b = FHost.OutBookMarks.at(i);
        if (b.CellNo < 0)
            continue;
        FHost.TalkSearchIndex = i;
        if (SetTransferKind)
            SetTransferKind(tkOutTalk);
        if (SetTransferCell)
            SetTransferCell(b.CellNo);
        showTransferStart();
        FPhone.RequestTalkSend(0x85, quint16(b.CellNo));
        return;
    }
    FHost.TalkTransferActive = false;
    close();
}

// With a single call found the confirmation's texts stay during its transfer.
void TTalkDownload::showTransferStart()
{
    const bool single = foundCount() == 1;
    emit TextShown(QStringLiteral("ПЕРЕЗАПИСЬ"), single ? FConfirmLine1 : QString(), false, false,
                   single ? FConfirmLine2 : QString(), false, bookMarkCount() > 1);
}

int TTalkDownload::foundCount() const
{
    int found = 0;
    for (const TInBookMarks &b : FHost.InBookMarks)
        found += b.CellNo >= 0;
    for (const TOutBookMarks &b : FHost.OutBookMarks)
        found += b.CellNo >= 0;
    return found;
}

void TTalkDownload::StartSendTalk(TTalkKind TalkKind, quint16 Length, int CellNo)
{
    Q_UNUSED(CellNo);
    if (!FHost.TalkTransferActive)
        return;
    if (!FCurrentFile.isEmpty())
        settleTalk();
    FTimer1->stop();
    // The phone answered: no more repeats of the request.
    FTimer2->stop();
    if (SetTransferKind)
        SetTransferKind(TalkKind);

    // Totals over the bookmarks found in the phone.
    int found = 0, doneCount = 0;
    FTotalLength = FDoneLength = 0;
    auto count = [&](int length, const QString &field) {
        FTotalLength += length;
        if (field != Marker) {
            FDoneLength += length;
            if (length != 0)
                ++doneCount;
        }
    };
    for (const TInBookMarks &b : FHost.InBookMarks)
        if (b.CellNo >= 0) {
            ++found;
            count(b.TalkLength, b.FileName);
            count(b.MessageLength, b.MessageFileName);
        }
    for (const TOutBookMarks &b : FHost.OutBookMarks)
        if (b.CellNo >= 0) {
            ++found;
            count(b.TalkLength, b.FileName);
        }
    const bool several = bookMarkCount() > 1;
    if (several) {
        FDoneLength = qMin(FDoneLength, FTotalLength);
        FAllProgress = FTotalLength ? int(std::lround(double(ProgressMax) * FDoneLength / FTotalLength))
                       : found     ? int(std::lround(double(ProgressMax) * doneCount / found))
                                   : 0;
    }
    FTalkProgress = 0;
    FExpectedLength = Length;
    FStartStamp = FClock->msecs();

    if (Length == 0) {
        if (!several) {
            FHost.TalkTransferActive = false;
            showText(QStringLiteral("Внимание"), QStringLiteral("Запись отсутствует"), false, false, QString());
            return;
        }
        // No recording: the row keeps its "+", and the end step asks for the next talk.
        FPhone.HangUp();
        if (StopRecordTalk)
            StopRecordTalk();
        return;
    }

    const int index = FHost.TalkSearchIndex;
    const bool out = TalkKind == tkOutTalk;
    if (out ? index < 0 || index >= FHost.OutBookMarks.size() : index < 0 || index >= FHost.InBookMarks.size())
        return;
    const QString phone = out ? FHost.OutBookMarks.at(index).Phone : FHost.InBookMarks.at(index).Phone;
    const TDateTime time = out ? FHost.OutBookMarks.at(index).Time : FHost.InBookMarks.at(index).Time;

    if (found > 1) {
        const QString what = TalkKind == tkInMessage ? QStringLiteral("Сообщение с номера ")
                             : TalkKind == tkInTalk  ? QStringLiteral("Разговор (входящий звонок) с номера ")
                                                     : QStringLiteral("Разговор (исходящий звонок) с номера ");
        showText(QStringLiteral("ПЕРЕЗАПИСЬ"), QStringLiteral("разговоры/сообщения %1 из %2").arg(doneCount).arg(found),
                 true, false,
                 what + phone + QLatin1Char('\n') + QStringLiteral("в ") + timeOfDay(time)
                     + QStringLiteral(" продолжительностью ") + DurationToText(Length));
    } else {
        emit TextShown(QStringLiteral("ПЕРЕЗАПИСЬ"), FConfirmLine1, true, false, FConfirmLine2, false, several);
        FShown = true;
    }
    emit ProgressChanged(FTalkProgress, FAllProgress, remainingText(FTotalLength - FDoneLength));

    // The target file: the field the announced kind fills.
    const QString folder = RecordsDirectory ? RecordsDirectory() : QString();
    QDir().mkpath(folder);
    const QString file = TTalkTransferSteps::TargetFile(folder, TalkKind, time, phone);
    if (out) {
        FHost.OutBookMarks[index].FileName = file;
    } else {
        TInBookMarks &b = FHost.InBookMarks[index];
        QString *field = TalkKind == tkInMessage ? &b.MessageFileName : &b.FileName;
        if (*field != Marker && b.FileName == Marker)
            field = &b.FileName;
        else if (*field != Marker && b.MessageFileName == Marker)
            field = &b.MessageFileName;
        *field = file;
    }
    FCurrentFile = file;
    FCurrentKind = TalkKind;
    FCurrentIndex = index;
    if (StartRecordTalk)
        StartRecordTalk(file);
    FRepeatCount = 0;
    FTimer1->start(TimerInterval);
}

void TTalkDownload::timer1Tick()
{
    if (FExpectedLength == 0)
        return;
    // The phone's end byte has come: the end step is under way.
    if (FPhone.State() != psSendTalk) {
        FTimer1->stop();
        return;
    }
    const qint64 elapsed = FClock->msecs() - FStartStamp;
    const int percent = int(elapsed * 0.1 / FExpectedLength);
    if (percent > ProgressMax) {
        // The phone ran past the announced length: the talk is cut here.
        FTimer1->stop();
        if (StopRecordTalk)
            StopRecordTalk();
        if (bookMarkCount() < 2 || !FHost.TalkTransferActive) {
            close();
        } else {
            FRepeatCount = 0;
            FTimer2->start(TimerInterval);
        }
        return;
    }
    FTalkProgress = percent;
    emit ProgressChanged(percent, FAllProgress, remainingText(FTotalLength - FDoneLength - elapsed / 1000));
}

void TTalkDownload::timer2Tick()
{
    if (FRepeatCount <= RepeatLimit && FHost.TalkTransferActive) {
        const int index = FHost.TalkSearchIndex;
        const int cell = TransferCell ? TransferCell() : -1;
        uint8_t code = 0x85;
        if (index >= 0 && index < FHost.InBookMarks.size() && FHost.InBookMarks.at(index).CellNo == cell
            && (FHost.InBookMarks.at(index).FileName == Marker || FHost.InBookMarks.at(index).MessageFileName == Marker))
            code = TTalkTransferSteps::IncomingCode(FHost.InBookMarks.at(index).MessageFileName);
        if (cell >= 0)
            FPhone.RequestTalkSend(code, quint16(cell));
        ++FRepeatCount;
        return;
    }
    FTimer2->stop();
    if (FHost.TalkTransferActive)
        stopHere(QStringLiteral("телефон не передаёт следующую запись"));
    else
        close();
}

void TTalkDownload::TransferTalkEnded()
{
    FTimer1->stop();
    FTalkProgress = ProgressMax;
    emit ProgressChanged(FTalkProgress, FAllProgress, QString());
    // The end step links the file after this signal: check it once it is done.
    if (!FSettlePending && !FCurrentFile.isEmpty()) {
        FSettlePending = true;
        QTimer::singleShot(0, this, [this] {
            FSettlePending = false;
            settleTalk();
        });
    }
}

void TTalkDownload::TransferFinished()
{
    FTimer2->stop();
    FHost.TalkTransferActive = false;
    settleTalk();
    close();
}

void TTalkDownload::settleTalk()
{
    if (FCurrentFile.isEmpty())
        return;
    const QString file = FCurrentFile;
    FCurrentFile.clear();
    bool linked = false;
    if (FCurrentKind == tkOutTalk) {
        if (FCurrentIndex >= 0 && FCurrentIndex < FHost.OutBookMarks.size()) {
            const TOutBookMarks &b = FHost.OutBookMarks.at(FCurrentIndex);
            linked = FOutCalls.rowByKey(b.Call_ID).value(FOutCalls.schema().fieldIndex(QStringLiteral("FileName")))
                         .toString() == file;
            if (linked)
                emit TalkCopied(FCurrentKind, b.Call_ID, file);
        }
    } else if (FCurrentIndex >= 0 && FCurrentIndex < FHost.InBookMarks.size()) {
        const TInBookMarks &b = FHost.InBookMarks.at(FCurrentIndex);
        const QVariantList row = FInCalls.rowByKey(b.Call_ID);
        const TTableSchema &s = FInCalls.schema();
        linked = row.value(s.fieldIndex(QStringLiteral("FileName"))).toString() == file
                 || row.value(s.fieldIndex(QStringLiteral("MessageFileName"))).toString() == file;
        if (linked)
            emit TalkCopied(FCurrentKind, b.Call_ID, file);
    }
    if (linked) {
        FCopied << file;
        return;
    }
    // Not linked: the row keeps "+", and what was recorded is kept under a name
    // that says it is incomplete.
    if (!QFileInfo::exists(file))
        return;
    const QString partial = TTalkTransferSteps::PartialFile(file);
    FPartial << (QFile::rename(file, partial) ? partial : file);
}

// ---------------------------------------------------------------- stopping

void TTalkDownload::PhoneStateChanged(TPhoneState State)
{
    if (State == psOffline && Busy())
        stopHere(QStringLiteral("телефон отключился"));
}

void TTalkDownload::Cancel()
{
    stopHere(QString());
}

void TTalkDownload::Abort(const QString &Reason)
{
    if (Busy())
        stopHere(Reason);
}

void TTalkDownload::stopHere(const QString &Reason)
{
    const bool wasTransferring = FHost.TalkTransferActive || !FCurrentFile.isEmpty();
    const int partialBefore = int(FPartial.size());
    FHost.TalkSearchActive = false;
    FHost.TalkTransferActive = false;
    FTimer1->stop();
    FTimer2->stop();
    close();
    // With the transfer flag cleared the end step updates no row and asks for nothing.
    if (wasTransferring && StopRecordTalk)
        StopRecordTalk();
    if (FPhone.Online())
        FPhone.HangUp();
    settleTalk();
    QString message;
    if (FPartial.size() > partialBefore)
        message = QStringLiteral("Перезапись прервана%1. Неполная запись сохранена в файле %2; звонок остался "
                                 "отмеченным \"+\".")
                      .arg(Reason.isEmpty() ? QString() : QStringLiteral(": ") + Reason, FPartial.last());
    else if (!Reason.isEmpty())
        message = QStringLiteral("Перезапись прервана: ") + Reason + QLatin1Char('.');
    if (!message.isEmpty())
        emit Interrupted(message);
}
