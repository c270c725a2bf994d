#include "TRecordPlayback.h"
#include "audio/TMediaPlayer.h"
#include "audio/TSoundControl.h"
#include "TJournalRules.h"
#include "TToolButton.h"
#include <QFile>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <limits>

const QString TRecordPlayback::SaveCaption = QStringLiteral("Экспорт записи");
const QString TRecordPlayback::SaveFilter = QStringLiteral("Файлы записи разговоров (*.wav)");

namespace {
int barValue(int64_t ms)
{
    return int(std::clamp<int64_t>(ms, 0, std::numeric_limits<int>::max()));
}
}

namespace {
QToolButton *toolButton(QWidget *parent, const QString &name, const QString &text, const QString &hint)
{
    return new TToolButton(parent, name, text, hint);
}
}

TRecordPlayback::TRecordPlayback(TMediaPlayer &Player, TSoundControl &Sound, std::function<QString()> CurrentFile,
                                 QWidget *parent)
    : QGroupBox(QStringLiteral("Запись"), parent), FPlayer(Player), FSound(Sound),
      FCurrentFile(std::move(CurrentFile))
{
    setObjectName(QStringLiteral("GroupBoxRecord"));
    BuildWidgets();
    FSoundTimer = new QTimer(this);
    FSoundTimer->setInterval(SoundTimerInterval);
    connect(FSoundTimer, &QTimer::timeout, this, &TRecordPlayback::SoundTimerTimer);
    connect(&FPlayer, &TMediaPlayer::Notified, this, &TRecordPlayback::MediaPlayerNotify);

    auto click = [this](QToolButton *b, void (TRecordPlayback::*handler)()) {
        if (b)
            connect(b, &QToolButton::clicked, this, handler);
    };
    click(FW.PlayButton, &TRecordPlayback::PlayClick);
    click(FW.PauseBtn, &TRecordPlayback::PauseClick);
    click(FW.StopBtn, &TRecordPlayback::StopClick);
    click(FW.SpeedButton3, &TRecordPlayback::SkipBackClick);
    click(FW.SpeedButton4, &TRecordPlayback::SkipForwardClick);
    // The skip buttons and the bar act only while something plays.
    for (QToolButton *b : {FW.SpeedButton3, FW.SpeedButton4})
        if (b)
            b->setEnabled(true);
    if (FW.SoundTrack) {
        FW.SoundTrack->setRange(0, 0);
        FW.SoundTrack->setEnabled(true);
        connect(FW.SoundTrack, &QSlider::valueChanged, this, &TRecordPlayback::SoundTrackChange);
    }
    if (FW.RestTime)
        FW.RestTime->clear();

    AskSaveFileName = [this](const QString &proposed) {
        QFileDialog dialog(window(), SaveCaption);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(SaveFilter);
        dialog.setDefaultSuffix(QStringLiteral("wav"));
        dialog.selectFile(proposed);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
}

TRecordPlayback::~TRecordPlayback() = default;

void TRecordPlayback::BuildWidgets()
{
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    FW.SpeedButton3 = toolButton(this, QStringLiteral("SpeedButton3"), QStringLiteral("<"), QStringLiteral("<"));
    // A plain row rather than a QToolBar, which folds buttons away behind an
    // extension arrow in the 193 px column.
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ToolBar2"));
    FW.PlayButton = toolButton(bar, QStringLiteral("PlayButton"), QStringLiteral("▶"), QStringLiteral("Воспроизвести"));
    FW.PauseBtn = toolButton(bar, QStringLiteral("PauseBtn"), QStringLiteral("❚❚"), QStringLiteral("Пауза"));
    FW.StopBtn = toolButton(bar, QStringLiteral("StopBtn"), QStringLiteral("■"), QStringLiteral("Стоп"));
    FRecBtn = toolButton(bar, QStringLiteral("RecBtn"), QStringLiteral("●"), QStringLiteral("Включить запись"));
    FRecBtn->setCheckable(true);
    connect(FRecBtn, &QToolButton::clicked, this, &TRecordPlayback::RecordClicked);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(2);
    for (QToolButton *b : {FW.PlayButton, FW.PauseBtn, FW.StopBtn, FRecBtn}) {
        b->setEnabled(false);
        b->setFixedSize(26, 24);
        barLayout->addWidget(b);
    }
    FW.SpeedButton4 = toolButton(this, QStringLiteral("SpeedButton4"), QStringLiteral(">"), QStringLiteral(">"));
    FW.SpeedButton3->setFixedSize(24, 24);
    FW.SpeedButton4->setFixedSize(24, 24);
    row->setSpacing(2);
    row->addWidget(FW.SpeedButton3);
    row->addWidget(bar, 1);
    row->addWidget(FW.SpeedButton4);
    layout->addLayout(row);
    FW.SoundTrack = new QSlider(Qt::Horizontal, this);
    FW.SoundTrack->setObjectName(QStringLiteral("SoundTrack"));
    layout->addWidget(FW.SoundTrack);
    FW.RestTime = new QLabel(this);
    FW.RestTime->setObjectName(QStringLiteral("RestTime"));
    FW.RestTime->setAlignment(Qt::AlignCenter);
    FW.RestTime->setMinimumHeight(FW.RestTime->fontMetrics().height());
    layout->addWidget(FW.RestTime);
}

void TRecordPlayback::EnablePlayButton(bool Enabled)
{
    // During a talk nothing is played, whichever row the user moves to.
    FW.PlayButton->setEnabled(Enabled && !FRecBtn->isEnabled());
}

void TRecordPlayback::EnablePlayerButtons(bool Enabled)
{
    FW.PauseBtn->setEnabled(Enabled);
    FW.StopBtn->setEnabled(Enabled);
}

void TRecordPlayback::EnableRecordButton(bool Enabled)
{
    FRecBtn->setEnabled(Enabled);
    if (Enabled)
        FW.PlayButton->setEnabled(false);
}

bool TRecordPlayback::RecordButtonEnabled() const
{
    return FRecBtn->isEnabled();
}

void TRecordPlayback::SetRecordButtonDown(bool Down)
{
    const QSignalBlocker block(FRecBtn);
    FRecBtn->setChecked(Down);
}

void TRecordPlayback::PlayClick()
{
    const QString file = FCurrentFile ? FCurrentFile() : QString();
    // A pause is resumed on its own row; on another row that row's recording starts.
    if (FPlayer.Mode() == mpPaused && (file.isEmpty() || FPlayer.FileName() == file)) {
        FSeekEnabled = true;
        FPlayer.Resume();
        return;
    }
    if ((FPlayer.Mode() == mpPlaying || FPlayer.Mode() == mpPaused) && FPlayer.FileName() != file)
        FSound.StopSound();
    // A missing recording plays nothing and leaves the ring sound's rules alone.
    if (file.isEmpty() || !QFileInfo::exists(file))
        return;
    FSound.FPlayingRecord = true;
    FSeekEnabled = true;
    if (!FSound.PlayFile(file)) {
        FSeekEnabled = false;
        FSound.FPlayingRecord = false;
        return;
    }
    FPlayedFile = FPlayer.FileName();
    if (FW.SoundTrack) {
        const bool seek = FSeekEnabled;
        FSeekEnabled = false;
        FW.SoundTrack->setRange(0, barValue(FPlayer.Length()));
        FW.SoundTrack->setPageStep(std::max(1, barValue(FPlayer.Frames())));
        FSeekEnabled = seek;
    }
    FSoundTimer->start();
    for (QToolButton *b : {FW.PauseBtn, FW.StopBtn})
        if (b)
            b->setEnabled(true);
}

void TRecordPlayback::PauseClick()
{
    if (FPlayer.Mode() == mpPlaying)
        FPlayer.Pause();
}

void TRecordPlayback::StopClick()
{
    const TMPModes m = FPlayer.Mode();
    if (m != mpPlaying && m != mpPaused)
        return;
    FSeekEnabled = false;
    // Through the shared stop, so that a finished crescendo's volume is set back.
    FSound.StopSound();
    if (FW.SoundTrack)
        FW.SoundTrack->setMaximum(FW.SoundTrack->minimum());
}

void TRecordPlayback::SkipBackClick()
{
    Skip(-1);
}

void TRecordPlayback::SkipForwardClick()
{
    Skip(1);
}

// A position beyond either end is the player's to handle: it starts at the
// beginning or ends at once, without a message.
void TRecordPlayback::Skip(int Direction)
{
    if (FPlayer.Mode() != mpPlaying)
        return;
    const int64_t from = FW.SoundTrack ? FW.SoundTrack->value() : FPlayer.Position();
    FPlayer.Stop();
    FPlayer.PlayFrom(from + Direction * FPlayer.Frames());
}

void TRecordPlayback::MoveBar(int Position)
{
    if (!FW.SoundTrack)
        return;
    const bool seek = FSeekEnabled;
    FSeekEnabled = false;
    FW.SoundTrack->setValue(Position);
    FSeekEnabled = seek;
}

void TRecordPlayback::SoundTimerTimer()
{
    const TMPModes m = FPlayer.Mode();
    // A ring sound that took the player over is not shown as the recording.
    const bool ours = FPlayer.FileName() == FPlayedFile;
    if (m == mpPlaying && ours) {
        MoveBar(barValue(FPlayer.Position()));
        if (FW.RestTime)
            FW.RestTime->setText(TJournalRules::RestTimeText(FPlayer.Length(), FPlayer.Position()));
        return;
    }
    if (m == mpPaused && ours)
        return;
    FSeekEnabled = false;
    if (FW.SoundTrack)
        FW.SoundTrack->setValue(0);
    FSoundTimer->stop();
    if (FW.RestTime)
        FW.RestTime->clear();
}

void TRecordPlayback::SoundTrackChange(int Position)
{
    if (!FSeekEnabled || FPlayer.Mode() == mpNotReady)
        return;
    if (FW.SoundTrack && FPlayer.Length() != FW.SoundTrack->maximum()) {
        FSeekEnabled = false;
        FW.SoundTrack->setMaximum(barValue(FPlayer.Length()));
        FSeekEnabled = true;
    }
    FPlayer.Notify = false;
    FPlayer.Seek(Position);
    FPlayer.Resume();
    FPlayer.Notify = true;
}

void TRecordPlayback::MediaPlayerNotify()
{
    if (FPlayer.Mode() == mpStopped && FPlayer.Position() == FPlayer.Length()) {
        FSeekEnabled = false;
        if (FW.SoundTrack)
            FW.SoundTrack->setValue(0);
        FPlayer.SetFileName(QString());
        // Nothing plays any more: the line becoming free may stop the next sound.
        FSound.FPlayingRecord = false;
    }
    FPlayer.Notify = true;
}

void TRecordPlayback::SaveRecording()
{
    const QString file = FCurrentFile ? FCurrentFile() : QString();
    if (file.size() < 2 || !AskSaveFileName)
        return;
    const QString target = AskSaveFileName(file);
    if (target.isEmpty())
        return;
    CopyRecording(file, target);
}

bool TRecordPlayback::CopyRecording(const QString &Source, const QString &Target)
{
    const QFileInfo from(Source), to(Target);
    if (!from.isFile())
        return false;
    if (to.exists() && from.canonicalFilePath() == to.canonicalFilePath())
        return true;   // the file itself
    QFile in(Source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(Target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 16)).isEmpty())
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    if (in.error() != QFileDevice::NoError)
        out.cancelWriting();
    return out.commit();
}

void TRecordPlayback::CloseFile()
{
    // Another sound (the ring) holds no journal file: it plays on.
    if (!FPlayer.FileName().isEmpty() && FPlayer.FileName() != FPlayedFile)
        return;
    FSeekEnabled = false;
    FSoundTimer->stop();
    FPlayer.Close();
    FPlayer.SetFileName(QString());
    FSound.FPlayingRecord = false;
    if (FW.SoundTrack)
        FW.SoundTrack->setRange(0, 0);
    if (FW.RestTime)
        FW.RestTime->clear();
}
