#include "TConfigVolumeSettings.h"
#include "config/TConfig.h"

int TConfigVolumeSettings::CurrentVolume() const
{
    return FConfig.CurrentVolume();
}

void TConfigVolumeSettings::SetCurrentVolume(int volume)
{
    FConfig.SetCurrentVolume(volume);
}

bool TConfigVolumeSettings::Creschendo() const
{
    return FConfig.Creschendo;
}

QString TConfigVolumeSettings::SoundFileName() const
{
    return FConfig.SoundFileName;
}

bool TConfigVolumeSettings::AdjustSoundSettings() const
{
    return FConfig.AdjustSoundSettings;
}

void TConfigVolumeSettings::SetCanPlayWhileRecording(bool can)
{
    FConfig.CanPlayWhileRecording = can;
}
