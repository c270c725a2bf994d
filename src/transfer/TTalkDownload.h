#pragma once
// Copying the talks and messages the phone holds to the PC: the bookmarks of the
// journal rows marked "+", the search for them in the phone and its replies, the
// confirmation, and one transfer after another with its progress, its overrun
// cut and its repeats. The end of each talk is the recording control's
// StopRecordTalk, reached through the hooks below.
//
// Nothing is lost: a download that stops in the middle (Cancel, the phone going
// offline, Abort at shutdown, the recorder stopping by itself) leaves each row
// either with "+" or with a complete file; a file cut short is renamed to
// <name>.partial.wav and named in Interrupted().
#include "common/PhoneTypes.h"
#include "phone/TBookMarks.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TIncomingCallBook;
class TOutgoingCallBook;
class TPhone;
class TPhoneClock;
class TPhoneHost;
class TPhoneTimer;

class TTalkDownload : public QObject {
    Q_OBJECT
public:
    static constexpr int TimerInterval = 500;
    static constexpr int RepeatLimit = 10;
    static constexpr int ProgressMax = 100;

    // Clock may be null: the real clock.
    TTalkDownload(TPhone &Phone, TPhoneHost &Host, TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls,
                  TPhoneClock *Clock = nullptr, QObject *parent = nullptr);
    ~TTalkDownload() override;

    // The recording control: StartRecordTalk(path), StopRecordTalk(), and the
    // talk being transferred (TransferKind, TransferCell) it keeps.
    std::function<void(const QString &)> StartRecordTalk;
    std::function<void()> StopRecordTalk;
    std::function<void(TTalkKind Kind)> SetTransferKind;
    std::function<void(int Cell)> SetTransferCell;
    std::function<int()> TransferCell;
    // The records folder, read when a talk starts.
    std::function<QString()> RecordsDirectory;

    // Download commands; nothing happens unless the phone is waiting. StartAll
    // looks for every marked row of the journals asked for; the others for one row
    // (WantMessage picks the message of a row holding both).
    void StartAll(bool Incoming = true, bool Outgoing = true);
    void StartIncomingRow(qint64 Call_ID, bool WantMessage);
    void StartOutgoingRow(qint64 Call_ID);

    // The phone's replies and events.
    void TalkSearchReply(uint8_t Code, int Count, const QByteArray &Entries);
    void FinishTalkSearch();
    void StartSendTalk(TTalkKind TalkKind, quint16 Length, int CellNo);
    // From the recording control: a talk's end step began; the transfer is over.
    void TransferTalkEnded();
    void TransferFinished();
    void PhoneStateChanged(TPhoneState State);

    // The user's buttons.
    void Start();
    void Cancel();
    // Ends a running download as Cancel does, for Reason (shutdown, the phone gone).
    void Abort(const QString &Reason);

    bool Busy() const;
    // The current progress (0..100) and the whole download's share (0..100).
    int TalkProgress() const { return FTalkProgress; }
    int AllProgress() const { return FAllProgress; }
    // Files linked to rows and files kept as partial ones, for this run.
    const QStringList &CopiedFiles() const { return FCopied; }
    const QStringList &PartialFiles() const { return FPartial; }

    // "Загрузить ..." buttons: whether any row of either journal is marked.
    static bool AnyMarked(const TIncomingCallBook &InCalls, const TOutgoingCallBook &OutCalls);

signals:
    // The dialog in one of its states (ShowText).
    void TextShown(const QString &Heading, const QString &Line1, bool Progress, bool StartEnabled,
                   const QString &Line2, bool Searching, bool SeveralBookMarks);
    // During a transfer: the heading and lines of the current talk.
    void TransferShown(const QString &Line1, const QString &Line2, bool SeveralBookMarks);
    void ProgressChanged(int Talk, int All, const QString &Remaining);
    void Closed();
    // A file has been linked to its row.
    void TalkCopied(TTalkKind Kind, qint64 Call_ID, const QString &File);
    // The download stopped short; Message names any partial file.
    void Interrupted(const QString &Message);

private:
    void beginSearch(uint8_t Kind);
    void showSearchProgress();
    void clearMarker(uint8_t Kind, bool Talk, bool Message);
    void showText(const QString &Heading, const QString &Line1, bool Progress, bool StartEnabled,
                  const QString &Line2);
    void close();
    void timer1Tick();
    void timer2Tick();
    void settleTalk();
    void stopHere(const QString &Reason);
    int bookMarkCount() const;
    int foundCount() const;
    void showTransferStart();
    QString remainingText(qint64 Seconds) const;

    TPhone &FPhone;
    TPhoneHost &FHost;
    TIncomingCallBook &FInCalls;
    TOutgoingCallBook &FOutCalls;
    std::unique_ptr<TPhoneClock> FOwnClock;
    TPhoneClock *FClock;
    std::unique_ptr<TPhoneTimer> FTimer1;
    std::unique_ptr<TPhoneTimer> FTimer2;

    bool FShown = false;
    int FExpectedLength = 0;
    qint64 FStartStamp = 0;
    int FTotalLength = 0;
    int FDoneLength = 0;
    int FRepeatCount = 0;
    int FTalkProgress = 0;
    int FAllProgress = 0;
    bool FSettlePending = false;
    // The talk being recorded: its file, kind and bookmark.
    QString FCurrentFile;
    TTalkKind FCurrentKind = tkInTalk;
    int FCurrentIndex = -1;
    // The confirmation's texts, kept while a single found call is transferred.
    QString FConfirmLine1;
    QString FConfirmLine2;
    QStringList FCopied;
    QStringList FPartial;
};
