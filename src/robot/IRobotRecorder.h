#pragma once
// Recording of a robot call's answer or the operator's talk from the sound card.
#include <QString>

class IRobotRecorder {
public:
    virtual ~IRobotRecorder() = default;
    // A new file name for an outgoing call of this number; empty when none can be had.
    virtual QString PrepareRecordFile(const QString &Number) = 0;
    // False when the recording did not start (no sound input, the file cannot be written).
    virtual bool StartRecordTalk(const QString &FileName) = 0;
    // Stops and closes the file; what was recorded so far is kept.
    virtual void StopRecordTalk() = 0;
};
