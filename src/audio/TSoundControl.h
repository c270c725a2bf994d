#pragma once
// The ring sound and the speaker volume: the configured, personal and crescendo
// regimes, the volume bar's rules, the shared PlayFile/StopSound, the mixer
// set-up and the duplex test. The main window's volume bar and buttons forward
// to it and show TrackBarPosition.
#include "TAudioMixer.h"
#include "TSoundPlayer.h"
#include "TTickTimer.h"
#include "TVolumeSettings.h"
#include <QString>
#include <functional>

// What the ring needs of the caller's address-book row.
struct TRingSubscriber {
    int Volume = -1;            // -1: none
    bool Creschendo = false;
    QString SoundFile;          // empty: the global sound
};

class TSoundControl {
public:
    static constexpr int CrescendoInterval = 500;
    static constexpr int CrescendoStep = 5;

    TSoundControl(TAudioMixer &mixer, TSoundPlayer &player, TVolumeSettings &settings,
                  TTickTimer &creschendoTimer);
    ~TSoundControl();
    TSoundControl(const TSoundControl &) = delete;
    TSoundControl &operator=(const TSoundControl &) = delete;

    // Start-up: mute off, SavedVolume, the configured volume, AdjustAudio when enabled.
    void Startup();
    // Shutdown: the speaker back to the volume it had at start-up, exactly.
    void Shutdown();

    // subscriber is null when the caller is not in the address book.
    void StartRing(const TRingSubscriber *subscriber);
    void StartCrescendo();
    void StopCrescendo();
    // Stops the player; after a finished crescendo sets the configured volume back.
    void StopSound();
    // The alert's "&OK": stops the player and leaves the speaker volume as it is.
    void StopRing();
    // The volume bar to the configured volume, without storing it.
    void ResetVolume();
    void AdjustAudio();
    // Plays with the speaker muted and asks canRecord meanwhile; the answer is
    // stored as CanPlayWhileRecording and returned.
    bool TestDuplex(const std::function<bool()> &canRecord);

    // Opens and plays an existing file; a missing file does nothing, one that
    // cannot be played reports "Неверный формат файла". True when it plays.
    bool PlayFile(const QString &fileName);

    // The volume bar (0..100). Setting the position is the bar's change: it
    // sets the speaker and, in the configured regime, stores the volume.
    int TrackBarPosition() const { return FTrackBarPosition; }
    void SetTrackBarPosition(int position);
    void SpeedButton1Click();   // ">"
    void SpeedButton2Click();   // "<"
    void CreschendoTimerTimer();

    // The speaker muted (true) or unmuted (false).
    void SetMute(bool On);
    // The player plays something (a ring or a recording).
    bool Playing() const;
    // A window other than the journal player plays through the shared player
    // (robot, number information) while it holds it.
    void HoldPlayer(bool On);
    // The line's end leaves the player alone: a recording plays, or a window holds it.
    bool PlayerInUse() const { return FPlayingRecord || FPlayerHolds > 0; }

    int SavedVolume = 0;
    bool FVolumeFollowsTrack = true;
    bool FCrescendoDone = false;
    bool FPlayingRecord = false;

    // The bar moved (by the program too): the view follows.
    std::function<void(int)> OnTrackBarMoved;
    // The program's message for a sound file that cannot be played.
    std::function<void(const QString &)> OnError;
    // Waits the given milliseconds (the duplex test's pause); by default runs
    // the event loop meanwhile.
    std::function<void(int)> Wait;

    static const QString BadFormatText;

private:
    void TrackBarChange();
    void MoveTrackBar(int position, bool force);
    void ShowVolumeOnBar();

    TAudioMixer &FMixer;
    TSoundPlayer &FPlayer;
    TVolumeSettings &FSettings;
    TTickTimer &FCreschendoTimer;
    int FTrackBarPosition = 0;
    int FPlayerHolds = 0;
    std::vector<uint32_t> FSavedRaw;   // the speaker's channels at start-up
};
