#pragma once
// A window layer that records what the call handling asks of it.
#include "app/ICallView.h"
#include <QStringList>

class CallTestView : public ICallView {
public:
    void SetStatusText(const QString &Text) override { Status = Text; log("status " + Text); }
    void SetNumberText(const QString &Text) override { Number = Text; }
    void SetStateImage(int Index) override { StateImage = Index; }
    void UpdateFirmwareCommands() override { ++FirmwareUpdates; }
    void EnableCallCommands(bool Enabled) override { CallCommands = Enabled; }
    void SetCallButtonCaption(const QString &Caption) override { CallCaption = Caption; }
    void EnableProfileLoad(bool Enabled) override { ProfileLoad = Enabled; }
    void EnablePhoneModel(bool Enabled) override { PhoneModel = Enabled; }
    void PhoneSettingsStateChanged() override {}
    void RobotPhoneStateChanged(bool Online) override { log(QStringLiteral("robot %1").arg(Online)); }

    void ShowCaller(const QString &N, const QString &Name, const QString &Notes, const QString &Address) override
    {
        AlertShown = true;
        log("alert " + N + "|" + Name + "|" + Notes + "|" + Address);
    }
    void CloseAlert() override { AlertShown = false; log("close alert"); }
    bool AlertShowing() const override { return AlertShown; }
    void StartNumberTimeout() override { log("number timeout"); }

    void StartRing(bool SubscriberFound) override
    {
        Ringing = true;
        log(QStringLiteral("ring %1").arg(SubscriberFound ? "subscriber" : "unknown"));
    }
    void StopCrescendo() override {}
    void StopSound() override { Ringing = false; }
    bool SoundPlaying() const override { return Ringing; }
    void ResetVolume() override { log("reset volume"); }
    void SetVolumeFollowsTrack() override {}
    void SetMute(bool On) override { log(On ? "mute" : "unmute"); }

    void EnableRecordButton(bool Enabled) override { RecordEnabled = Enabled; }
    bool RecordButtonEnabled() const override { return RecordEnabled; }
    void SetRecordButtonDown(bool Down) override { RecordDown = Down; }
    void EnablePlayerButtons(bool Enabled) override { PlayerButtons = Enabled; }
    void EnablePlayButton(bool Enabled) override { PlayButton = Enabled; }
    void RefreshPlayerButtons() override {}

    bool SplashShowing() const override { return Splash; }
    void SplashText(const QString &Text) override { SplashTexts << Text; }
    void CloseSplash() override { Splash = false; log("close splash"); }
    void ShowMainWindow() override { log("show main window"); }

    void AddToDialList(const QString &N) override { DialList << N; }
    void RebuildReminders() override {}
    void RefreshJournal(TCallKind) override {}

    bool PlayingRecord() const override { return false; }
    bool RobotWindowShowing() const override { return false; }
    bool NumberInfoShowing() const override { return false; }
    void FinishTransferProgress() override {}
    void CloseTalkTransfer() override { log("close transfer"); }

    void ProcessMessages() override {}
    void Wait(int) override {}

    // Entries of a kind ("alert ", "ring ", ...).
    QStringList logged(const QString &prefix) const
    {
        QStringList r;
        for (const QString &l : Log)
            if (l.startsWith(prefix))
                r << l;
        return r;
    }

    QStringList Log;
    QString Status, Number, CallCaption;
    int StateImage = -1;
    int FirmwareUpdates = 0;
    bool CallCommands = false, ProfileLoad = false, PhoneModel = false;
    bool AlertShown = false, Ringing = false;
    bool RecordEnabled = false, RecordDown = false, PlayerButtons = true, PlayButton = true;
    bool Splash = true;
    QStringList SplashTexts, DialList;

private:
    void log(const QString &s) { Log << s; }
};
