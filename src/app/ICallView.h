#pragma once
// What the call handling and the recording control ask of the window: the
// status panels, the alert, the splash, the record group's buttons and letting
// messages run. The main window implements it; tests give a recording fake.
// Sound goes to TSoundControl, the line state and written calls are signals of
// TCallHandler.
#include <QString>

class ICallView {
public:
    virtual ~ICallView() = default;

    // Status bar: panel 1 (status text), panel 2 (" Номер: " + text), and the
    // image of panel 0 and of the tray icon.
    virtual void SetStatusText(const QString &Text) = 0;
    virtual void SetNumberText(const QString &Text) = 0;
    virtual void SetStateImage(int Index) = 0;

    // Alert window.
    virtual void ShowCaller(const QString &Number, const QString &Name, const QString &Notes,
                            const QString &Address) = 0;
    virtual void CloseAlert() = 0;
    virtual bool AlertShowing() const = 0;
    virtual void StartNumberTimeout() = 0;

    // Record button ("Включить запись") and the journal player's buttons.
    virtual void EnableRecordButton(bool Enabled) = 0;
    virtual bool RecordButtonEnabled() const = 0;
    virtual void SetRecordButtonDown(bool Down) = 0;
    // Pause and stop of the journal player; its play button.
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

    // Lets pending messages run; Wait does so for the given milliseconds.
    virtual void ProcessMessages() = 0;
    virtual void Wait(int Milliseconds) = 0;
};
