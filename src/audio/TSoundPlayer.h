#pragma once
// The media player as the ring sound and the volume logic use it.
#include <QString>
#include <cstdint>

enum TMPModes : uint8_t { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

class TSoundPlayer {
public:
    virtual ~TSoundPlayer() = default;
    virtual TMPModes Mode() const = 0;
    virtual QString FileName() const = 0;
    virtual void SetFileName(const QString &name) = 0;
    // Opens FileName; false when it is no sound file the player can decode.
    virtual bool Open() = 0;
    // Plays from the current position; false when the sound cannot be played.
    virtual bool Play() = 0;
    virtual void Stop() = 0;
    virtual void Close() = 0;
};
