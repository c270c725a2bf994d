#include "TSoundControl.h"
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

const QString TSoundControl::BadFormatText = QStringLiteral("Неверный формат файла");

TSoundControl::TSoundControl(TAudioMixer &mixer, TSoundPlayer &player, TVolumeSettings &settings,
                             TTickTimer &creschendoTimer)
    : FMixer(mixer), FPlayer(player), FSettings(settings), FCreschendoTimer(creschendoTimer)
{
    FCreschendoTimer.OnTimer = [this] { CreschendoTimerTimer(); };
    Wait = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
}

TSoundControl::~TSoundControl()
{
    FCreschendoTimer.Stop();
    FCreschendoTimer.OnTimer = nullptr;
}

void TSoundControl::Startup()
{
    FMixer.SetMuted(false);
    SavedVolume = FMixer.Volume();
    FSavedRaw = FMixer.RawVolume();
    FMixer.SetVolume(FSettings.CurrentVolume());
    ShowVolumeOnBar();
    FVolumeFollowsTrack = true;
    FCrescendoDone = false;
    if (FSettings.AdjustSoundSettings())
        AdjustAudio();
}

void TSoundControl::Shutdown()
{
    FCreschendoTimer.Stop();
    // SavedVolume went through the 0..100 scale's truncations; setting it back
    // would lower the PC's volume by a point at every run.
    if (!FSavedRaw.empty())
        FMixer.SetRawVolume(FSavedRaw);
    else
        FMixer.SetVolume(SavedVolume);
}

void TSoundControl::StartRing(const TRingSubscriber *subscriber)
{
    const QString global = FSettings.SoundFileName();
    QString file = global;
    if (subscriber) {
        if (subscriber->Volume >= 0) {
            FMixer.SetVolume(subscriber->Volume);
            FVolumeFollowsTrack = false;
        } else if (!FCreschendoTimer.Active()) {
            FMixer.SetVolume(FSettings.CurrentVolume());
            FVolumeFollowsTrack = true;
        }
        if (subscriber->Creschendo || FSettings.Creschendo())
            StartCrescendo();
        if (!subscriber->SoundFile.isEmpty())
            file = subscriber->SoundFile;
    } else {
        if (!FCreschendoTimer.Active())
            FMixer.SetVolume(FSettings.CurrentVolume());
        if (FSettings.Creschendo())
            StartCrescendo();
    }
    // A ring sound that still plays the same file is not restarted.
    if (FPlayer.Mode() != mpPlaying || FPlayer.FileName() != file)
        PlayFile(file);
    ShowVolumeOnBar();
}

void TSoundControl::StartCrescendo()
{
    FVolumeFollowsTrack = false;
    if (FMixer.Available())
        FCreschendoTimer.Start(CrescendoInterval);
}

void TSoundControl::StopCrescendo()
{
    FCreschendoTimer.Stop();
}

void TSoundControl::CreschendoTimerTimer()
{
    if (!FMixer.Available()) {
        FCreschendoTimer.Stop();
        return;
    }
    FMixer.SetVolume(std::min(FMixer.Volume() + CrescendoStep, 100));
    ShowVolumeOnBar();
    if (FMixer.Volume() == 100) {
        FCreschendoTimer.Stop();
        FCrescendoDone = true;
    }
}

void TSoundControl::StopRing()
{
    const TMPModes m = FPlayer.Mode();
    if (m == mpPlaying || m == mpPaused || m == mpRecording || m == mpSeeking)
        FPlayer.Stop();
    FPlayingRecord = false;
}

void TSoundControl::StopSound()
{
    StopRing();
    if (FCrescendoDone) {
        // One more than configured, so that the volume read back is the configured one.
        const int v = FSettings.CurrentVolume();
        FMixer.SetVolume(v >= 100 ? 100 : v + 1);
    }
}

void TSoundControl::ResetVolume()
{
    const bool follows = FVolumeFollowsTrack;
    FVolumeFollowsTrack = false;
    MoveTrackBar(FSettings.CurrentVolume(), true);
    FVolumeFollowsTrack = follows;
}

void TSoundControl::AdjustAudio()
{
    FMixer.AdjustAudio();
}

bool TSoundControl::TestDuplex(const std::function<bool()> &canRecord)
{
    const bool muted = FMixer.Muted();
    FMixer.SetMuted(true);
    PlayFile(FSettings.SoundFileName());
    const bool can = canRecord ? canRecord() : false;
    StopSound();
    if (Wait)
        Wait(100);
    FMixer.SetMuted(muted);
    FSettings.SetCanPlayWhileRecording(can);
    return can;
}

bool TSoundControl::PlayFile(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return false;
    if (FPlayer.Mode() == mpPlaying)
        FPlayer.Stop();
    FPlayer.SetFileName(fileName);
    if (FPlayer.Open() && FPlayer.Play())
        return true;
    if (OnError)
        OnError(BadFormatText);
    return false;
}

void TSoundControl::SetTrackBarPosition(int position)
{
    MoveTrackBar(position, false);
}

void TSoundControl::SpeedButton1Click()
{
    SetTrackBarPosition(FTrackBarPosition + 10);
}

void TSoundControl::SpeedButton2Click()
{
    SetTrackBarPosition(FTrackBarPosition - 10);
}

void TSoundControl::MoveTrackBar(int position, bool force)
{
    position = std::clamp(position, 0, 100);
    if (position == FTrackBarPosition && !force)
        return;
    if (position != FTrackBarPosition) {
        FTrackBarPosition = position;
        if (OnTrackBarMoved)
            OnTrackBarMoved(position);
    }
    TrackBarChange();
}

void TSoundControl::TrackBarChange()
{
    if (!FMixer.Available())
        return;
    FMixer.SetVolume(FTrackBarPosition);
    if (FVolumeFollowsTrack)
        FSettings.SetCurrentVolume(FMixer.Volume());
}

// The speaker volume as read back, shown on the bar without storing it.
void TSoundControl::ShowVolumeOnBar()
{
    if (!FMixer.Available())
        return;
    const bool follows = FVolumeFollowsTrack;
    FVolumeFollowsTrack = false;
    MoveTrackBar(FMixer.Volume(), false);
    FVolumeFollowsTrack = follows;
}

void TSoundControl::SetMute(bool On)
{
    FMixer.SetMuted(On);
}

bool TSoundControl::Playing() const
{
    return FPlayer.Mode() == mpPlaying;
}

void TSoundControl::HoldPlayer(bool On)
{
    FPlayerHolds = qMax(0, FPlayerHolds + (On ? 1 : -1));
}
