#include "TRobotRun.h"
#include "IRobotFieldsEditor.h"
#include "IRobotRecorder.h"
#include "phone/EPhoneError.h"
#include "phone/TPhone.h"
#include "records/TAddressBook.h"
#include "records/TOutgoingCallBook.h"

namespace {
const QString InvalidNumber = QStringLiteral(" Неверный номер");
constexpr int AlwaysShow = 4;
constexpr int NeverShow = 2;
}

TRobotRun::TRobotRun(TRobotList &List, TRobotConfig &Config, TRobotSchedule &Schedule, TPhone &Phone,
                     TPhoneClock &Clock, QObject *parent)
    : QObject(parent), FList(List), FConfig(Config), FSchedule(Schedule), FPhone(Phone), FClock(Clock),
      FRepeater(Clock.createTimer()), FTaskTimer(Clock.createTimer())
{
    FRepeater->OnTimer = [this] { RepeaterTick(); };
    FTaskTimer->OnTimer = [this] { TaskTick(); };
    FCaption = RobotCaption;
}

TRobotRun::~TRobotRun()
{
    FRepeater->OnTimer = nullptr;
    FTaskTimer->OnTimer = nullptr;
}

QDateTime TRobotRun::now() const
{
    return FClock.now().toQDateTime();
}

QString TRobotRun::SuccessText() const
{
    return QStringLiteral(" Успешных дозвонов - %1 из %2").arg(FSuccesses).arg(FTotal);
}

void TRobotRun::setPanel(int Index, const QString &Text)
{
    FPanels[Index] = Text;
    emit PanelsChanged();
}

void TRobotRun::refreshCounters()
{
    FPanels[1] = SuccessText();
    FPanels[2] = QStringLiteral(" %1-й  проход").arg(FPass);
    emit PanelsChanged();
}

int TRobotRun::nextUnreached(int From) const
{
    for (int i = std::max(0, From); i < FList.RowCount(); ++i)
        if (!FList.Row(i).Reached())
            return i;
    return -1;
}

bool TRobotRun::Start(int SelectedRow)
{
    if (FRunning)
        return false;
    FOperator = false;
    if (FList.IsEmpty() || FPhone.State() != psWaiting)
        return false;
    int row = nextUnreached(SelectedRow);
    if (row < 0) {
        if ((FConfig.Passes == 0 || FConfig.Passes > 1) && !FList.Row(0).Reached())
            row = 0;
        else
            return false;
    }
    if (FList.State() == rlsNew) {
        if (SaveListAs)
            SaveListAs();
        if (FList.State() == rlsNew)
            return false;
    }
    FRunning = true;
    emit RunningChanged(true);
    FPass = 1;
    FTotal = FList.RowCount();
    FSuccesses = 0;
    for (const TRobotRow &r : FList.Rows())
        FSuccesses += r.Reached() ? 1 : 0;
    refreshCounters();
    if (!dialRow(row))
        setPanel(0, InvalidNumber);
    return true;
}

bool TRobotRun::dialRow(int Row)
{
    FDialRow = Row;
    FDialNumber = FList.Row(Row).Number;
    emit DialRowChanged(Row);
    FDialFlags = FConfig.DialFlags(FPhone.Host() && FPhone.Host()->Identity.PhoneOption2);
    if (!sendDial())
        return false;
    FRepeats = 0;
    FCallPhase = rcpDialSent;
    FRepeater->stop();
    FRepeater->start(RepeatInterval);
    return true;
}

bool TRobotRun::sendDial()
{
    try {
        FPhone.StartRobotCall(FDialNumber, FConfig.Speaker, FConfig.HangUpWaitCode(), FDialFlags,
                              [this](uint8_t c) { RobotEvent(c); });
    } catch (const EPhoneError &) {
        return false;
    }
    return true;
}

void TRobotRun::RepeaterTick()
{
    if (FCallPhase != rcpDialSent)
        return;
    if (FRepeats >= RepeatLimit) {
        FCallPhase = rcpIdle;
        FRepeater->stop();
        return;
    }
    sendDial();
    ++FRepeats;
}

void TRobotRun::RobotEvent(uint8_t Code)
{
    if (!FRunning)
        return;
    switch (Code) {
    case 0x00: case 0x01: case 0x02: case 0x03: case 0x04:
    case 0x05: case 0x06: case 0x07: case 0x08: case 0x09:
        if (FCallPhase == rcpDialling || FCallPhase == rcpDigits) {
            FCallPhase = rcpDigits;
            FPanels[0] += QString::number(Code);
        }
        break;
    case 0x28:
        FCallPhase = rcpDialling;
        FPanels[0] = QStringLiteral(" Набор номера  ");
        break;
    case 0x2A:
        if (FCallPhase != rcpConnected)
            FCallPhase = rcpToneAnalysis;
        FPanels[0] = QStringLiteral(" Анализ гудков");
        break;
    case 0x23: FPanels[0] = QStringLiteral(" Короткие гудки"); break;
    case 0x24: FPanels[0] = QStringLiteral(" Непрерывный гудок"); break;
    case 0x25: FPanels[0] = QStringLiteral(" Длинные гудки "); break;
    case 0x30: FPanels[0] = QStringLiteral(" Вызов"); break;
    case 0x31: FPanels[0] = QStringLiteral(" Входящий звонок"); break;
    case 0x26:
        if (!FOperator && FConfig.Criterion != 3)
            reached(true);
        break;
    case 0x36:
        answerRecording();
        break;
    case 0x2D:
        if (!FOperator && FConfig.Criterion != 3 && FCallPhase == rcpConnected)
            WriteRobotCall();
        break;
    case 0x20: case 0x22:
        operatorTookOver();
        if (!FRunning)
            return;
        break;
    case 0x21:
        lineFree();
        return;
    default:
        return;
    }
    if (FRunning)
        refreshCounters();
}

void TRobotRun::saveList()
{
    if (FList.State() == rlsNew || FList.FileName().isEmpty())
        return;
    QString error;
    if (!FList.SaveToOwnFile(&error))
        emit ListSaveFailed(error);
}

void TRobotRun::reached(bool PlayMessage)
{
    ++FSuccesses;
    FCallPhase = rcpConnected;
    FAnswerTime = FClock.now();
    if (PlayMessage && FConfig.MessageNumber > 0) {
        FPanels[0] = QStringLiteral(" Проговор сообщения в линию");
        FPhone.PlayMessageToLine(FConfig.AnswerTimeCode(), uint8_t(FConfig.MessageNumber));
    }
    if (FDialRow >= 0 && FDialRow < FList.RowCount()) {
        TRobotRow &row = FList.Row(FDialRow);
        row.Mark = u'+';
        ++row.Count;
        emit ListChanged();
        saveList();
    }
}

void TRobotRun::answerRecording()
{
    if (!FConfig.NeedToRecord || FAnswerTime.isZero() || FConfig.LogBook == 2)
        return;
    FCallPhase = rcpConnected;
    startRecording(QStringLiteral(" Запись ответа"));
}

void TRobotRun::startRecording(const QString &PanelText)
{
    if (FRecordFile.isEmpty() && FRecorder) {
        FRecordFile = FRecorder->PrepareRecordFile(FDialNumber);
        // A recording that did not start names no file in the journal.
        if (!FRecordFile.isEmpty() && !FRecorder->StartRecordTalk(FRecordFile))
            FRecordFile.clear();
    }
    FPanels[0] = PanelText;
}

void TRobotRun::operatorTookOver()
{
    FOperator = true;
    if (FCallPhase == rcpDialSent) {
        FCallPhase = rcpIdle;
        return;
    }
    if (FCallPhase == rcpIdle)
        return;
    if (FCallPhase == rcpDialling || FCallPhase == rcpDigits || FCallPhase == rcpToneAnalysis) {
        reached(false);
        bool found = false;
        int attributes = 0;
        if (FAddressBook) {
            found = FAddressBook->FindPhone(FDialNumber);
            attributes = found ? FAddressBook->CurrentAttributes() : 0;
        }
        if (found && (attributes & AlwaysShow)) {
            emit FieldsEditWanted(FDialNumber, true);
            return;
        }
        if ((!found || !(attributes & NeverShow)) && ShowFormOnOutCall)
            emit FieldsEditWanted(FDialNumber, false);
    }
    if (FConfig.TimeOutRecord <= 0 || FConfig.LogBook == 2)
        FPanels[0] = QStringLiteral(" Снята трубка");
    else
        startRecording(QStringLiteral(" Запись разговора"));
}

void TRobotRun::lineFree()
{
    if (FCallPhase == rcpDialSent)
        return;
    if (FCallPhase == rcpDialling) {
        // The dial was cut off: the same row again.
        if (!dialRow(FDialRow)) {
            setPanel(0, InvalidNumber);
            FCallPhase = rcpIdle;
        }
        return;
    }
    FPanels[0] = QStringLiteral(" Линия свободна");
    const int done = FDialRow;
    if (done >= 0 && done < FList.RowCount() && !FList.Row(done).Reached()) {
        FList.Row(done).Mark = u'-';
        emit ListChanged();
    }
    // The call ends here: its journal row first, then the row is done.
    if (FCallPhase == rcpConnected)
        WriteRobotCall();
    if (done >= 0)
        emit RowDone(done);
    if (FOperator) {
        endRun(QStringLiteral(" Процесс прерван"));
        return;
    }
    int next = nextUnreached(done + 1);
    if (next < 0 && (FConfig.Passes == 0 || FPass < FConfig.Passes || FTimedRun)) {
        if (FConfig.ResetFlags) {
            FList.ResetAllMarks();
            FSuccesses = 0;
            FTotal = FList.RowCount();
            emit ListChanged();
        }
        next = nextUnreached(0);
        ++FPass;
    }
    if (next >= 0) {
        if (!dialRow(next)) {
            FPanels[0] = InvalidNumber;
            FCallPhase = rcpIdle;
        }
        refreshCounters();
        return;
    }
    endRun(QStringLiteral(" Процесс завершен"));
}

void TRobotRun::endRun(const QString &Why)
{
    Stop();
    FPanels[0] = Why;
    FPanels[1] = SuccessText();
    FPanels[2] = QStringLiteral(" Кол-во проходов - %1").arg(FPass);
    FDialRow = -1;
    FOperator = false;
    emit PanelsChanged();
    emit Finished(Why);
}

void TRobotRun::WriteRobotCall()
{
    if (FEditor)
        FEditor->RestartCloseTimer();
    TOutCall call;
    call.Phone = FDialNumber;
    call.Time = FAnswerTime;
    call.Length = TDateTime(FClock.now().value() - FAnswerTime.value());
    call.Attributes = uint8_t(1u << caRobot);
    qint64 id = 0;
    const bool editorShowing = FEditor && FEditor->IsShowing();
    if (FEditor && FEditor->Edited()) {
        if (!FEditor->EditNumber().isEmpty())
            call.Phone = FEditor->EditNumber();
        QString *fields[] = {&call.Field_1, &call.Field_2, &call.Field_3, &call.Field_4,
                             &call.Field_5, &call.Field_6, &call.Field_7};
        for (const TFieldEntry &e : FEditor->FieldValues())
            if (e.Tag >= 1 && e.Tag <= 7)
                *fields[e.Tag - 1] = e.Text;
        if (!FRecordFile.isEmpty()) {
            if (FRecorder)
                FRecorder->StopRecordTalk();
            call.FileName = FRecordFile;
        }
        if (FEditor->ReminderChecked())
            call.Field_8 = FEditor->ReminderDate();
        if (FOutCalls)
            id = FOutCalls->AddCall(call);
        FEditor->ClearEdited();
    } else {
        bool append = false;
        if (!FRecordFile.isEmpty()) {
            if (FRecorder)
                FRecorder->StopRecordTalk();
            append = FConfig.LogBook != 2;
            call.FileName = FRecordFile;
        } else {
            append = FConfig.LogBook == 0 || editorShowing;
        }
        if (append && FOutCalls) {
            id = FOutCalls->AddCall(call);
            if (editorShowing)
                FEditor->SetCallId(id);
        }
    }
    if (id)
        emit CallWritten(id, FDialRow);
    FRecordFile.clear();
    FAnswerTime = TDateTime();
    FCallPhase = rcpIdle;
}

void TRobotRun::Stop()
{
    if (!FRunning)
        return;
    const bool taskTimer = FTaskTimer->isActive();
    FTaskTimer->stop();
    if (FCallPhase == rcpConnected)
        WriteRobotCall();
    FRunning = false;
    FRepeater->stop();
    FCallPhase = rcpIdle;
    emit RunningChanged(false);
    if (taskTimer)
        FTaskTimer->start(TaskInterval);
    FPhone.StopRobotCall();
    FPanels[0].clear();
    FDialRow = -1;
    emit DialRowChanged(-1);
    emit PanelsChanged();
}

QList<int> TRobotRun::SortList(int Column)
{
    const QList<int> moved = FList.SortBy(Column);
    if (FDialRow >= 0 && FDialRow < moved.size()) {
        FDialRow = moved[FDialRow];
        emit DialRowChanged(FDialRow);
    }
    return moved;
}

void TRobotRun::SetTaskTimerActive(bool Active)
{
    if (Active)
        FTaskTimer->start(TaskInterval);
    else
        FTaskTimer->stop();
}

bool TRobotRun::TaskTimerActive() const
{
    return FTaskTimer->isActive();
}

void TRobotRun::TaskTick()
{
    const bool in = FSchedule.InTaskTime(now());
    if (in) {
        if (!FRunning) {
            FTimedRun = true;
            if (PressStart)
                PressStart();
            else
                Start(SelectedRow);
        }
    } else if (FTimedRun) {
        if (PressStop)
            PressStop();
        else
            Stop();
        FTimedRun = false;
    }
    const QString caption = FSchedule.Caption(in);
    if (caption != FCaption) {
        FCaption = caption;
        emit CaptionChanged(caption);
    }
}
