#pragma once
// A run of the phone robot over its list: dials row after row in the phone's
// robot mode, follows the phone's robot codes, marks and counts the rows,
// plays the message, records answers, writes the reached calls to the outgoing
// journal, repeats the list in passes and starts and stops by the schedule.
// Widget-free: the window and konvelo-cli show its state and forward commands.
#include "TRobotConfig.h"
#include "TRobotList.h"
#include "common/TDateTime.h"
#include <QObject>
#include <functional>
#include <memory>

class IRobotFieldsEditor;
class IRobotRecorder;
class TAddressBook;
class TOutgoingCallBook;
class TPhone;
class TPhoneClock;
class TPhoneTimer;

enum TRobotCallPhase : uint8_t {
    rcpIdle, rcpDialSent, rcpDialling, rcpDigits, rcpToneAnalysis, rcpConnected
};

class TRobotRun : public QObject {
    Q_OBJECT
public:
    static constexpr int RepeatInterval = 1000;
    static constexpr int TaskInterval = 10000;
    static constexpr int RepeatLimit = 5;

    // Recorder, OutCalls and AddressBook may be null (nothing recorded, written or looked up).
    TRobotRun(TRobotList &List, TRobotConfig &Config, TRobotSchedule &Schedule, TPhone &Phone,
              TPhoneClock &Clock, QObject *parent = nullptr);
    ~TRobotRun() override;

    void SetRecorder(IRobotRecorder *Recorder) { FRecorder = Recorder; }
    void SetOutCalls(TOutgoingCallBook *OutCalls) { FOutCalls = OutCalls; }
    void SetAddressBook(TAddressBook *Book) { FAddressBook = Book; }
    void SetFieldsEditor(IRobotFieldsEditor *Editor) { FEditor = Editor; }
    // "Отображать форму ввода" for outgoing calls.
    bool ShowFormOnOutCall = false;
    // Asked at Start for a never-saved list ("Сохранить как..."); unset: nothing.
    std::function<void()> SaveListAs;
    // The grid's selected row, where a timed start begins.
    int SelectedRow = 0;
    // Timed work presses the window's Start and Stop, so that a timed start does
    // all a click does (stopping playback first); unset: Start and Stop here.
    std::function<void()> PressStart;
    std::function<void()> PressStop;

    // Start from the selected row (0-based); false when nothing was started.
    bool Start(int SelectedRow);
    void Stop();
    bool Running() const { return FRunning; }
    // Sorts the list by a column (also during a run: the run keeps dialling
    // and marking its row wherever the row moves). Returns each row's new
    // index by its old one.
    QList<int> SortList(int Column);
    // The robot's handler for each byte the phone sends in robot mode.
    void RobotEvent(uint8_t Code);
    // Timed work: checks the schedule now (also every 10 s while Active).
    void TaskTick();
    // The window is active: the schedule timer runs.
    void SetTaskTimerActive(bool Active);
    bool TaskTimerActive() const;
    void RepeaterTick();

    int DialRow() const { return FDialRow; }
    int Pass() const { return FPass; }
    int Total() const { return FTotal; }
    int Successes() const { return FSuccesses; }
    TRobotCallPhase CallPhase() const { return FCallPhase; }
    bool OperatorFlag() const { return FOperator; }
    bool TimedRun() const { return FTimedRun; }
    QString RecordFile() const { return FRecordFile; }
    TDateTime AnswerTime() const { return FAnswerTime; }
    uint8_t LastDialFlags() const { return FDialFlags; }
    int Repeats() const { return FRepeats; }
    // The status bar panels.
    QString Panel(int Index) const { return FPanels[Index]; }
    QString SuccessText() const;
    QString Caption() const { return FCaption; }

signals:
    void PanelsChanged();
    void RunningChanged(bool Running);
    // The row being dialled changed (-1: none); the grid selects it.
    void DialRowChanged(int Row);
    // Marks or counts changed.
    void ListChanged();
    // A reached call was written to the outgoing journal.
    void CallWritten(qint64 CallId, int Row);
    void CaptionChanged(const QString &Caption);
    // The run ended by itself (" Процесс завершен" or " Процесс прерван").
    void Finished(const QString &Why);
    // A row was left: reached ('+') or not ('-'), at the line free that ended its call.
    void RowDone(int Row);
    // The operator reached a subscriber whose information fields are to be entered;
    // BringToFront: the subscriber asks for the editor always.
    void FieldsEditWanted(const QString &Number, bool BringToFront);
    // A write of the list file failed.
    void ListSaveFailed(const QString &Error);

private:
    bool dialRow(int Row);
    bool sendDial();
    void reached(bool PlayMessage);
    void operatorTookOver();
    void lineFree();
    void answerRecording();
    void WriteRobotCall();
    void startRecording(const QString &PanelText);
    void setPanel(int Index, const QString &Text);
    void refreshCounters();
    void endRun(const QString &Why);
    void saveList();
    int nextUnreached(int From) const;
    QDateTime now() const;

    TRobotList &FList;
    TRobotConfig &FConfig;
    TRobotSchedule &FSchedule;
    TPhone &FPhone;
    TPhoneClock &FClock;
    IRobotRecorder *FRecorder = nullptr;
    TOutgoingCallBook *FOutCalls = nullptr;
    TAddressBook *FAddressBook = nullptr;
    IRobotFieldsEditor *FEditor = nullptr;
    std::unique_ptr<TPhoneTimer> FRepeater;
    std::unique_ptr<TPhoneTimer> FTaskTimer;

    bool FRunning = false;
    int FDialRow = -1;
    int FPass = 0;
    int FTotal = 0;
    int FSuccesses = 0;
    TRobotCallPhase FCallPhase = rcpIdle;
    QString FRecordFile;
    TDateTime FAnswerTime;
    uint8_t FDialFlags = 0;
    int FRepeats = 0;
    bool FOperator = false;
    bool FTimedRun = false;
    QString FDialNumber;
    QString FPanels[3];
    QString FCaption;
};
