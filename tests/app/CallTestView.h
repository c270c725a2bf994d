#pragma once
// A window layer and a sound layer that record what the call handling asks of
// them. The sound layer sits under a real TSoundControl: a ring of a
// subscriber's own sound file (".../personal.wav") is logged as
// "ring subscriber", any other as "ring unknown".
#include "app/ICallView.h"
#include "audio/TAudioMixer.h"
#include "audio/TSoundPlayer.h"
#include <QStringList>

class CallTestView : public ICallView {
public:
    void SetStatusText(const QString &Text) override { Status = Text; log("status " + Text); }
    void SetNumberText(const QString &Text) override { Number = Text; }
    void SetStateImage(int Index) override { StateImage = Index; }

    void ShowCaller(const QString &N, const QString &Name, const QString &Notes, const QString &Address) override
    {
        AlertShown = true;
        log("alert " + N + "|" + Name + "|" + Notes + "|" + Address);
    }
    void CloseAlert() override { AlertShown = false; log("close alert"); }
    bool AlertShowing() const override { return AlertShown; }
    void StartNumberTimeout() override { log("number timeout"); }

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
    void log(const QString &s) { Log << s; }

    QStringList Log;
    QString Status, Number, CallCaption;
    int StateImage = -1;
    bool AlertShown = false;
    bool RecordEnabled = false, RecordDown = false, PlayerButtons = true, PlayButton = true;
    bool Splash = true;
    QStringList SplashTexts, DialList;
};

class CallTestMixer : public TAudioMixer {
public:
    explicit CallTestMixer(CallTestView &View) : FView(View) {}
    bool Available() const override { return true; }
    int Volume() override { return FVolume; }
    void SetVolume(int v) override { FVolume = v; }
    std::vector<uint32_t> RawVolume() override { return {uint32_t(FVolume)}; }
    void SetRawVolume(const std::vector<uint32_t> &channels) override
    {
        if (!channels.empty())
            FVolume = int(channels.front());
    }
    bool Muted() override { return FMuted; }
    void SetMuted(bool m) override
    {
        FMuted = m;
        FView.log(m ? QStringLiteral("mute") : QStringLiteral("unmute"));
    }
    void AdjustAudio() override {}

private:
    CallTestView &FView;
    int FVolume = 50;
    bool FMuted = false;
};

class CallTestPlayer : public TSoundPlayer {
public:
    explicit CallTestPlayer(CallTestView &View) : FView(View) {}
    TMPModes Mode() const override { return FMode; }
    QString FileName() const override { return FName; }
    void SetFileName(const QString &n) override { FName = n; }
    bool Open() override
    {
        FMode = mpStopped;
        return true;
    }
    bool Play() override
    {
        FMode = mpPlaying;
        FView.log(FName.endsWith(QStringLiteral("personal.wav")) ? QStringLiteral("ring subscriber")
                                                                 : QStringLiteral("ring unknown"));
        return true;
    }
    void Stop() override
    {
        if (FMode == mpPlaying || FMode == mpPaused)
            FMode = mpStopped;
    }
    void Close() override { FMode = mpNotReady; }

private:
    CallTestView &FView;
    TMPModes FMode = mpNotReady;
    QString FName;
};
