#pragma once
// The robot's recordings through the main window's recording control.
#include "robot/IRobotRecorder.h"

class TGSMRecorder;
class TRecordingControl;

class TRobotRecording : public IRobotRecorder {
public:
    TRobotRecording(TRecordingControl &Recording, TGSMRecorder &Recorder)
        : FRecording(Recording), FRecorder(Recorder) {}
    QString PrepareRecordFile(const QString &Number) override;
    bool StartRecordTalk(const QString &FileName) override;
    void StopRecordTalk() override;

private:
    TRecordingControl &FRecording;
    TGSMRecorder &FRecorder;
};
