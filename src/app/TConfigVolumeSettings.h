#pragma once
// The ring and volume control's settings, kept by TConfig.
#include "audio/TVolumeSettings.h"

class TConfig;

class TConfigVolumeSettings : public TVolumeSettings {
public:
    explicit TConfigVolumeSettings(TConfig &Config) : FConfig(Config) {}

    int CurrentVolume() const override;
    void SetCurrentVolume(int volume) override;
    bool Creschendo() const override;
    QString SoundFileName() const override;
    bool AdjustSoundSettings() const override;
    void SetCanPlayWhileRecording(bool can) override;

private:
    TConfig &FConfig;
};
