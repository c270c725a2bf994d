#pragma once
// The demo mode: a demo base folder with subscribers, journal rows and
// settings, the phone simulator on a pseudo-terminal playing the demo line,
// and, on request, screenshots of the main window and the alert.
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class QTimer;
class TMain;

class TDemo : public QObject {
    Q_OBJECT
public:
    // The demo base folder: the --home folder when given, else ~/.konvelo-demo.
    explicit TDemo(const QString &Folder, QObject *parent = nullptr);
    ~TDemo() override;

    static QString DefaultFolder();
    // The simulator beside the executable (the build tree's tools/phonesim, or
    // the same folder), else on the PATH; empty when there is none.
    static QString SimulatorProgram();

    // Fills a new demo folder, starts the simulator and stores its device as
    // the port. False with the reason; Busy is set when another copy runs on
    // the folder (then nothing is touched).
    bool Prepare(QString &Error, bool &Busy);
    // Fills the folder: settings, subscribers, journal rows and the phone's
    // memory. Only a folder without settings is filled.
    bool FillFolder(QString &Error);

    // Saves main-window.png, page-incoming.png, page-outgoing.png,
    // page-address-book.png, settings-<page>.png for each page of the settings
    // dialog, alert.png and main-window-call.png into Dir while
    // the demo runs, then closes the program in order.
    void TakeScreenshots(TMain *Main, const QString &Dir);
    bool ScreenshotsFailed() const { return FFailed; }

    QString Folder() const { return FFolder; }
    QString Device() const { return FDevice; }
    void StopSimulator();

private:
    void screenshotTick();
    void saveSettingsPages();
    void saveCallDetails();
    void saveRobotPages();
    void savePhoneSettings();
    // Params.vrx and the simulated phone's parameter store in the demo folder.
    bool writePhoneParams(QString &Error);
    void saveCallDetailPages();
    void saveSearchPages();
    void saveRecordDialog();
    bool save(QWidget *w, const QString &name);

    QString FFolder;
    QString FMemoryFile;
    QString FParamsStore;
    QString FDevice;
    QProcess FSim;
    TMain *FMain = nullptr;
    QString FShotDir;
    QTimer *FShotTimer = nullptr;
    int FTicks = 0;
    int FMainShownTicks = 0;
    int FAlertShownTicks = 0;
    bool FMainTaken = false;
    bool FAlertTaken = false;
    bool FFailed = false;
};
