#pragma once
// The settings the ring sound and the volume control read and write.
#include <QString>

class TVolumeSettings {
public:
    virtual ~TVolumeSettings() = default;
    // The night volume inside the night, else the day volume.
    virtual int CurrentVolume() const = 0;
    // Stores the volume as the day or night volume, whichever is in force.
    virtual void SetCurrentVolume(int volume) = 0;
    virtual bool Creschendo() const = 0;
    virtual QString SoundFileName() const = 0;
    virtual bool AdjustSoundSettings() const = 0;
    // The result of the start-up duplex test.
    virtual void SetCanPlayWhileRecording(bool can) = 0;
};
