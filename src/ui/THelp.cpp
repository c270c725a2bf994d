#include "THelp.h"
#include "common/THelpTopics.h"
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

THelp::TOpener THelp::FOpener;

THelp *THelp::Install()
{
    static QPointer<THelp> installed;
    if (!installed && qApp) {
        installed = new THelp(qApp);
        qApp->installEventFilter(installed);
    }
    return installed;
}

void THelp::SetOpener(TOpener Opener)
{
    FOpener = std::move(Opener);
}

void THelp::ResetOpener()
{
    FOpener = nullptr;
}

bool THelp::Open(const QUrl &Url)
{
    return FOpener ? FOpener(Url) : QDesktopServices::openUrl(Url);
}

QString THelp::TopicFor(const QWidget *Window)
{
    for (const QWidget *w = Window; w; w = w->parentWidget()) {
        w = w->window();
        const QString own = w->property("helpTopic").toString();
        if (!own.isEmpty())
            return own;
        const QString topic = THelpTopics::TopicOf(w->objectName(), QString::fromLatin1(w->metaObject()->className()));
        if (!topic.isEmpty())
            return topic;
    }
    return {};
}

bool THelp::ShowTopicFor(const QWidget *Window)
{
    return Open(THelpTopics::Resolve(TopicFor(Window)));
}

bool THelp::ShowStart()
{
    return Open(THelpTopics::Resolve(QString()));
}

bool THelp::ShowHistory(const QString &BaseDir)
{
    return Open(QUrl::fromLocalFile(THelpTopics::HistoryFile(BaseDir)));
}

bool THelp::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() != QEvent::KeyPress || !Watched->isWidgetType())
        return false;
    auto *key = static_cast<QKeyEvent *>(Event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || key->isAutoRepeat())
        return false;
    ShowTopicFor(static_cast<QWidget *>(Watched));
    return true;
}
