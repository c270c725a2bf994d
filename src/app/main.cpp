// konvelo: the line monitor.
//   konvelo [--home DIR] [--minimized] [--demo [--screenshots DIR]]
#include "TDemo.h"
#include "TMain.h"
#include "common/BaseFolder.h"
#include "common/SignalQuit.h"
#include <QApplication>
#include <QCommandLineParser>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Konvelo"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    // The menu entry (packaging/konvelo.desktop) the desktop matches windows with.
    QGuiApplication::setDesktopFileName(QStringLiteral("konvelo"));
    // The program lives in the tray while its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    // Installed first: the demo's preparation and the start-up's steps run
    // before the main loop; a signal then ends the program as soon as it can.
    static TMain *running = nullptr;
    SignalQuit::install([](int) {
        if (running)
            running->CloseWithoutAsking();
    });

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Monitors a telephone line through a VRX caller-ID phone."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("Base folder (Data/, Konvelo.ini)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Demo: a demo base folder (the --home folder, else "
                                                 "~/.konvelo-demo) and the phone simulator playing a demo line."));
    const QCommandLineOption shots(QStringLiteral("screenshots"),
                                   QStringLiteral("With --demo: save PNG grabs of the main window and the alert "
                                                  "into DIR, then end."),
                                   QStringLiteral("DIR"));
    const QCommandLineOption minimized(QStringLiteral("minimized"),
                                       QStringLiteral("Start in the tray, the window hidden (the login start)."));
    parser.addOptions({home, minimized, demo, shots});
    parser.process(app);

    BaseFolder::resolve(QApplication::arguments());

    std::unique_ptr<TDemo> demoMode;
    if (parser.isSet(demo)) {
        demoMode = std::make_unique<TDemo>(parser.isSet(home) ? BaseFolder::path() : TDemo::DefaultFolder());
        QString error;
        bool busy = false;
        if (!demoMode->Prepare(error, busy)) {
            if (busy)
                return 0;   // another copy runs on the demo folder
            fprintf(stderr, "konvelo: %s\n", qPrintable(error));
            return 1;
        }
        fprintf(stderr, "konvelo: demo folder %s, demo phone on %s\n", qPrintable(demoMode->Folder()),
                qPrintable(demoMode->Device()));
        QCoreApplication::processEvents();   // a signal that came meanwhile
        if (SignalQuit::received())
            return 0;
    }

    int status = 0;
    {
        TMain main(nullptr, parser.isSet(minimized));
        if (main.SecondInstance)
            return 0;
        if (!main.StartError().isEmpty()) {
            fprintf(stderr, "konvelo: %s\n", qPrintable(main.StartError()));
            return 1;
        }
        if (SignalQuit::received()) {
            main.CloseWithoutAsking();
            if (demoMode)
                demoMode->StopSimulator();
            return 0;
        }
        running = &main;
        if (demoMode && parser.isSet(shots))
            demoMode->TakeScreenshots(&main, parser.value(shots));
        status = QApplication::exec();
        if (demoMode && demoMode->ScreenshotsFailed()) {
            fprintf(stderr, "konvelo: the screenshots could not all be taken\n");
            status = 1;
        }
        running = nullptr;
    }
    if (demoMode)
        demoMode->StopSimulator();
    return status;
}
