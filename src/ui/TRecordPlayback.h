#pragma once
// The group "Запись": plays the current journal row's recording through the
// media player the ring sound shares, with pause, stop, skipping by a tenth of
// the recording, the position bar, the remaining time and saving the recording
// under another name; and the record button of the call handling.
#include <QGroupBox>
#include <QString>
#include <functional>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class QWidget;
class TMediaPlayer;
class TSoundControl;

class TRecordPlayback : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int SoundTimerInterval = 100;
    static const QString SaveCaption;   // "Экспорт записи"
    static const QString SaveFilter;    // "Файлы записи разговоров (*.wav)"

    // The controls of the group.
    struct TWidgets {
        QToolButton *PlayButton = nullptr;
        QToolButton *PauseBtn = nullptr;
        QToolButton *StopBtn = nullptr;
        QToolButton *SpeedButton3 = nullptr;   // "<"
        QToolButton *SpeedButton4 = nullptr;   // ">"
        QSlider *SoundTrack = nullptr;
        QLabel *RestTime = nullptr;
    };

    // CurrentFile gives the current row's recording as a path, empty when the
    // row offers none. Player and Sound must outlive this object.
    TRecordPlayback(TMediaPlayer &Player, TSoundControl &Sound, std::function<QString()> CurrentFile,
                    QWidget *parent = nullptr);
    ~TRecordPlayback() override;

    QToolButton *PlayButton() const { return FW.PlayButton; }
    QToolButton *RecButton() const { return FRecBtn; }
    QSlider *SoundTrack() const { return FW.SoundTrack; }
    // Stays disabled while the record button is enabled (a talk is on).
    void EnablePlayButton(bool Enabled);
    // Pause and stop.
    void EnablePlayerButtons(bool Enabled);
    // "Включить запись": enabled during a talk, down while recording; enabling
    // it disables the play button.
    void EnableRecordButton(bool Enabled);
    bool RecordButtonEnabled() const;
    void SetRecordButtonDown(bool Down);

    void PlayClick();
    void PauseClick();
    void StopClick();
    void SkipBackClick();       // "<"
    void SkipForwardClick();    // ">"
    void SoundTimerTimer();
    // The bar's position changed; moves the player when the change is the user's.
    void SoundTrackChange(int Position);
    // The player's end notification.
    void MediaPlayerNotify();
    // Copies the current recording to a file the user names.
    void SaveRecording();
    // Closes the player's recording (before a journal row and its files go);
    // a ring sound that took the player over is left playing.
    void CloseFile();

    // True when a change of the bar is the user's and must move the player.
    bool FSeekEnabled = false;
    QTimer *SoundTimer() const { return FSoundTimer; }

    // The save dialog: gets the proposed file name, returns the chosen one or
    // empty when cancelled. By default a save dialog that asks before
    // overwriting an existing file.
    std::function<QString(const QString &Proposed)> AskSaveFileName;

    // Copies Source over Target; an existing Target is replaced only once the
    // copy is complete. False when the copy failed (Target is then unchanged).
    static bool CopyRecording(const QString &Source, const QString &Target);

signals:
    // The record button was pressed (start, pause or resume the recording).
    void RecordClicked();

private:
    void BuildWidgets();
    void Skip(int Direction);
    void MoveBar(int Position);

    TMediaPlayer &FPlayer;
    TSoundControl &FSound;
    TWidgets FW;
    QToolButton *FRecBtn = nullptr;
    std::function<QString()> FCurrentFile;
    QTimer *FSoundTimer;
    QString FPlayedFile;   // the recording last started here
};
