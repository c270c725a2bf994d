#pragma once
// What the call handling and the recording control ask of the windows. The main
// window implements it; tests give a recording fake.
#include "common/PhoneTypes.h"
#include <QString>

class ICallView {
public:
    virtual ~ICallView() = default;

    // Status bar: panel 0 (state image), panel 1 (status text), panel 2 (" Номер: " + text).
    virtual void SetStatusText(const QString &Text) = 0;
    virtual void SetNumberText(const QString &Text) = 0;
    // Image index for status panel 0 and, when the tray icon is shown, the tray icon.
    virtual void SetStateImage(int Index) = 0;

    // Commands.
    // The commands that depend on the phone's firmware.
    virtual void UpdateFirmwareCommands() = 0;
    // The call button and the menu items "&Набрать номер" and "&Сброс".
    virtual void EnableCallCommands(bool Enabled) = 0;
    virtual void SetCallButtonCaption(const QString &Caption) = 0;
    // "&Загрузка профиля в телефон".
    virtual void EnableProfileLoad(bool Enabled) = 0;
    // "&Модель телефона".
    virtual void EnablePhoneModel(bool Enabled) = 0;
    // The phone-settings editor's PhoneStateChanged, when it is showing.
    virtual void PhoneSettingsStateChanged() = 0;
    // Robot mode: start button and menu item enabled and stop button disabled
    // when Online, the reverse otherwise.
    virtual void RobotPhoneStateChanged(bool Online) = 0;

    // Alert window.
    virtual void ShowCaller(const QString &Number, const QString &Name, const QString &Notes,
                            const QString &Address) = 0;
    virtual void CloseAlert() = 0;
    virtual bool AlertShowing() const = 0;
    virtual void StartNumberTimeout() = 0;

    // Ring sound and volume. SubscriberFound: the caller's row is the address
    // book's current row.
    virtual void StartRing(bool SubscriberFound) = 0;
    virtual void StopCrescendo() = 0;
    virtual void StopSound() = 0;
    virtual bool SoundPlaying() const = 0;
    virtual void ResetVolume() = 0;
    // FVolumeFollowsTrack := true.
    virtual void SetVolumeFollowsTrack() = 0;
    // The PC's sound muted (true) or unmuted (false).
    virtual void SetMute(bool On) = 0;

    // Record button ("Включить запись") and the journal player's buttons.
    virtual void EnableRecordButton(bool Enabled) = 0;
    virtual bool RecordButtonEnabled() const = 0;
    virtual void SetRecordButtonDown(bool Down) = 0;
    // Play, pause and stop of the journal player.
    virtual void EnablePlayerButtons(bool Enabled) = 0;
    virtual void EnablePlayButton(bool Enabled) = 0;
    // The player's buttons refreshed for the selected journal row.
    virtual void RefreshPlayerButtons() = 0;

    // Splash window and main window.
    virtual bool SplashShowing() const = 0;
    virtual void SplashText(const QString &Text) = 0;
    // Closes and frees the splash window; errors are swallowed.
    virtual void CloseSplash() = 0;
    // Shows the main window with its stored bounds if it is hidden.
    virtual void ShowMainWindow() = 0;

    // Journals and lists.
    virtual void AddToDialList(const QString &Number) = 0;
    virtual void RebuildReminders() = 0;
    // The journal view of the given kind after its rows were rewritten.
    virtual void RefreshJournal(TCallKind Kind) = 0;

    // Other windows.
    virtual bool PlayingRecord() const = 0;        // the journal player plays a recording
    virtual bool RobotWindowShowing() const = 0;
    virtual bool NumberInfoShowing() const = 0;
    // Talk-transfer dialog: stop its progress timer and fill its progress bar.
    virtual void FinishTransferProgress() = 0;
    virtual void CloseTalkTransfer() = 0;

    // Lets pending messages run; Wait does so for the given milliseconds.
    virtual void ProcessMessages() = 0;
    virtual void Wait(int Milliseconds) = 0;
};
