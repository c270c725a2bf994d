// The main window's record player and the choice of the recording it plays.
#include "TMain.h"
#include "TRecordPlayback.h"
#include "audio/TMediaPlayer.h"
#include "config/TConfig.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>

void TMain::createPlayback()
{
    TRecordPlayback::TWidgets w;
    w.PlayButton = PlayButton;
    w.PauseBtn = PauseBtn;
    w.StopBtn = StopBtn;
    w.SpeedButton3 = SpeedButton3;
    w.SpeedButton4 = SpeedButton4;
    w.SoundTrack = SoundTrack;
    w.RestTime = RestTime;
    FPlayback = new TRecordPlayback(*FMediaPlayer, *FSound, w, [this] { return CurrentRecordingFile(); }, this,
                                    this);
    for (const char *name : {"InSaveFileBtn", "OutSaveFileBtn"})
        if (auto *b = findChild<QToolButton *>(QString::fromLatin1(name)))
            connect(b, &QToolButton::clicked, FPlayback, &TRecordPlayback::SaveRecording);
    // Alt+E works on any page; without a recording it does nothing.
    if (auto *item = menuBar()->findChild<QAction *>(QStringLiteral("ExportRecordItem"))) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, FPlayback, &TRecordPlayback::SaveRecording);
    }
}

QString TMain::CurrentRecordingFile() const
{
    if (!PageControl1)
        return {};
    QString name;
    switch (PageControl1->currentIndex()) {
    case 0: {
        const auto *talk = findChild<QToolButton *>(QStringLiteral("PlayRecBtn"));
        const bool talkChosen = talk && talk->isChecked();
        if (FInCalls && !FInCalls->isEmpty())
            name = FInCalls->fieldValue(talkChosen ? QStringLiteral("FileName") : QStringLiteral("MessageFileName"))
                       .toString();
        break;
    }
    case 1:
        if (FOutCalls && !FOutCalls->isEmpty())
            name = FOutCalls->fieldValue(QStringLiteral("FileName")).toString();
        break;
    default:
        return {};
    }
    // Empty, or "+" for a talk still kept in the phone.
    if (name.size() < 2)
        return {};
    // The call handling stores full paths; a bare name lies in the records folder.
    name = QDir::fromNativeSeparators(name);
    if (QDir::isRelativePath(name) && FConfig)
        name = QDir(QDir::fromNativeSeparators(FConfig->RecordsDirectory)).filePath(name);
    return QDir::cleanPath(name);
}
