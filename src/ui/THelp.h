#pragma once
#include <QObject>
#include <QUrl>
#include <functional>

class QWidget;

// F1 anywhere in the program: an application-wide event filter that opens the
// guide's section of the window in front (THelpTopics), the start page for the
// main window or a window without a section of its own. Pages open with the
// system's viewer; tests replace the opener.
class THelp : public QObject {
    Q_OBJECT
public:
    using TOpener = std::function<bool(const QUrl &)>;

    // Installs the filter on the application once; later calls do nothing.
    static THelp *Install();
    static void SetOpener(TOpener Opener);
    static void ResetOpener();

    // The topic of Window: its "helpTopic" property, else the table by object
    // name or class, else that of the window it belongs to; empty for none.
    static QString TopicFor(const QWidget *Window);
    static bool ShowTopicFor(const QWidget *Window);
    static bool ShowStart();
    static bool ShowHistory(const QString &BaseDir);
    static bool Open(const QUrl &Url);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    explicit THelp(QObject *Parent) : QObject(Parent) {}
    static TOpener FOpener;
};
