// The main window's record player and the choice of the recording it plays.
#include "TMain.h"
#include "TRecordPlayback.h"
#include "audio/TMediaPlayer.h"
#include "config/TConfig.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QAction>
#include <QDir>
#include <QEvent>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <functional>

namespace {
// Runs a function whenever a watched widget is enabled or disabled.
class TEnabledWatch : public QObject {
public:
    TEnabledWatch(std::function<void()> Changed, QObject *parent) : QObject(parent), FChanged(std::move(Changed)) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            FChanged();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> FChanged;
};
}

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
    QToolButton *inSave = InSaveFileBtn;
    QToolButton *outSave = OutSaveFileBtn;
    for (QToolButton *b : {inSave, outSave})
        if (b)
            connect(b, &QToolButton::clicked, FPlayback, &TRecordPlayback::SaveRecording);
    auto *item = menuBar()->findChild<QAction *>(QStringLiteral("ExportRecordItem"));
    if (!item)
        return;
    connect(item, &QAction::triggered, FPlayback, &TRecordPlayback::SaveRecording);
    // The menu item (and Alt+E) is offered when the current page's save button is.
    auto follow = [this, item, inSave, outSave] {
        const int page = PageControl1 ? PageControl1->currentIndex() : -1;
        QToolButton *b = page == 0 ? inSave : page == 1 ? outSave : nullptr;
        item->setEnabled(b && b->isEnabled());
    };
    auto *watch = new TEnabledWatch(follow, FPlayback);
    for (QToolButton *b : {inSave, outSave})
        if (b)
            b->installEventFilter(watch);
    if (PageControl1)
        connect(PageControl1, &QTabWidget::currentChanged, item, follow);
    follow();
}

QString TMain::CurrentRecordingFile() const
{
    if (!PageControl1)
        return {};
    QString name;
    switch (PageControl1->currentIndex()) {
    case 0: {
        const bool talkChosen = PlayRecBtn && PlayRecBtn->isChecked();
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
