#include "MainTestSupport.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMessageBox>
#include <QThread>
#include <memory>

namespace MainTestSupport {

void EnsureApp()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_app";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

bool SpinUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void Spin(int ms)
{
    SpinUntil([] { return false; }, ms);
}

bool WriteSettings(const QString &base, const QString &records, const QString &port,
                   const std::function<void(TConfig &)> &change)
{
    BaseFolder::set(base);
    {
        TConfig config(nullptr);
        config.FirstRun(QDir::toNativeSeparators(records));
        config.NeedCheckPort = false;
        config.NeedStartMinimized = false;
        config.AdjustSoundSettings = false;
        config.WindowState = 0;
        if (change)
            change(config);
        if (!config.Save())
            return false;
    }
    std::unique_ptr<TSettingsStore> store = TSettingsStore::Open();
    store->WriteString(QStringLiteral("Port"), QStringLiteral("Port"), port);
    return store->Flush();
}

MessageWatch::MessageWatch()
{
    connect(&FTimer, &QTimer::timeout, this, [this] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                Texts << box->text();
                box->done(QMessageBox::Ok);
            }
    });
    FTimer.start(20);
}

}
