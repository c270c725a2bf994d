#pragma once
// The recording side of a download without the main window (konvelo-cli): starts
// the recorder for each talk the phone plays and, at its end, links the file to
// its journal row and asks the phone for the next talk found.
#include "common/PhoneTypes.h"
#include <QObject>
#include <QString>

class TGSMRecorder;
class TIncomingCallBook;
class TOutgoingCallBook;
class TPhone;
class TPhoneHost;

class TTalkRecording : public QObject {
    Q_OBJECT
public:
    TTalkRecording(TPhone &Phone, TPhoneHost &Host, TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls,
                   TGSMRecorder &Recorder, QObject *parent = nullptr);

    void StartRecordTalk(const QString &FileName);
    // The phone's end byte, an overrun cut or a stop: as the program's end step,
    // with a 500 ms pause that lets the event loop run.
    void StopRecordTalk();

    TTalkKind TransferKind = tkInTalk;
    int TransferCell = -1;

signals:
    void TransferTalkEnded();
    void TransferFinished();

private:
    TPhone &FPhone;
    TPhoneHost &FHost;
    TIncomingCallBook &FInCalls;
    TOutgoingCallBook &FOutCalls;
    TGSMRecorder &FRecorder;
    QString FFile;
    bool FStopping = false;
};
