#include "TRobotRecording.h"
#include "TRecordingControl.h"
#include "audio/TGSMRecorder.h"

QString TRobotRecording::PrepareRecordFile(const QString &Number)
{
    return FRecording.PrepareRecordFile(ckOutgoing, Number);
}

bool TRobotRecording::StartRecordTalk(const QString &FileName)
{
    FRecording.StartRecordTalk(FileName);
    return FRecorder.State() == rsRecording;
}

void TRobotRecording::StopRecordTalk()
{
    FRecording.StopRecordTalk();
}
