// robot run: a robot list dialled through the phone without windows, for a
// scheduled job on a workstation without a display.
#include "CliCommand.h"
#include "audio/TGSMRecorder.h"
#include "common/BaseFolder.h"
#include "common/JsonLine.h"
#include "common/SignalQuit.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "phone/TQtPhoneClock.h"
#include "records/TAddressBook.h"
#include "records/TOutgoingCallBook.h"
#include "robot/IRobotRecorder.h"
#include "robot/TRobotRun.h"
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMap>

namespace {

// Answers and operator talks from the sound card into the records folder.
class CliRecorder : public IRobotRecorder {
public:
    explicit CliRecorder(QString folder) : FFolder(std::move(folder))
    {
        FRecorder.OnMessage = [](const QString &m) { cliErr(m); };
    }
    QString PrepareRecordFile(const QString &Number) override
    {
        QString stem = QStringLiteral("Out_") + QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss"))
            + QLatin1Char(' ') + Number;
        stem.replace(QLatin1Char(':'), QLatin1Char('_')).replace(QLatin1Char('?'), QLatin1Char('-'));
        QDir().mkpath(FFolder);
        QString name = QDir(FFolder).filePath(stem + QStringLiteral(".wav"));
        for (int n = 2; QFileInfo::exists(name); ++n)
            name = QDir(FFolder).filePath(stem + QStringLiteral("_%1.wav").arg(n));
        return name;
    }
    bool StartRecordTalk(const QString &FileName) override
    {
        if (FRecorder.State() != rsWaiting)
            FRecorder.Stop();
        FRecorder.SetFileName(FileName);
        FRecorder.Start();
        if (FRecorder.State() == rsRecording)
            return true;
        cliErr(QStringLiteral("cannot record into ") + FileName);
        return false;
    }
    void StopRecordTalk() override { FRecorder.Stop(); }

private:
    QString FFolder;
    TGSMRecorder FRecorder;
};

QString recordsFolder()
{
    TConfig config(nullptr);
    try {
        config.Load();
    } catch (const std::exception &) {
        return TConfig::DefaultRecordsDirectory();
    }
    return config.RecordsDirectory.isEmpty() ? TConfig::DefaultRecordsDirectory() : config.RecordsDirectory;
}

int run(const CliArgs &a)
{
    if (a.words.size() != 3 || a.words.at(1) != QLatin1String("run")) {
        cliErr(QStringLiteral("usage: robot run --port DEV LIST.txt [--passes N]"));
        return CliUsage;
    }
    const QString port = a.option(QStringLiteral("port"));
    if (port.isEmpty()) {
        cliErr(QStringLiteral("--port DEV is required"));
        return CliUsage;
    }
    TRobotConfig config;
    TRobotSchedule schedule;
    const QString ini = TRobotSettingsFile::DefaultFileName(BaseFolder::path());
    TRobotSettingsFile::Load(ini, config, schedule);
    if (a.has(QStringLiteral("passes"))) {
        bool ok = false;
        const int passes = a.option(QStringLiteral("passes")).toInt(&ok);
        if (!ok || passes < 0) {
            cliErr(QStringLiteral("--passes expects a whole number, 0 for no limit"));
            return CliUsage;
        }
        config.Passes = passes;
    }
    TRobotList list;
    const QString listFile = a.words.at(2);
    if (!list.LoadList(listFile)) {
        cliErr(QStringLiteral("list file not found: ") + listFile);
        return CliNotFound;
    }
    if (list.IsEmpty()) {
        cliErr(QStringLiteral("the list holds no number: ") + listFile);
        return CliNotFound;
    }

    const QString data = BaseFolder::dataPath() + QLatin1Char('/');
    TOutgoingCallBook out(data + QStringLiteral("OutCalls"));
    TAddressBook book(data + QStringLiteral("AddressBook"));
    for (TRecordTable *t : {static_cast<TRecordTable *>(&out), static_cast<TRecordTable *>(&book)})
        if (!t->openMessage().isEmpty())
            cliErr(t->openMessage());
    CliRecorder recorder(recordsFolder());

    TPhoneHost host;
    TPhone phone(&host, TQtPhoneClock::instance());
    phone.SetPort(port);
    if (!phone.Connect()) {
        cliErr(QStringLiteral("cannot open port ") + port);
        return CliNotFound;
    }
    TRobotRun robot(list, config, schedule, phone, *TQtPhoneClock::instance());
    robot.SetOutCalls(&out);
    robot.SetAddressBook(&book);
    robot.SetRecorder(&recorder);

    QEventLoop loop;
    QMap<int, qint64> written;   // row -> Call_ID of its last journal row
    QString progress, why;
    const auto printRow = [&](int row) {
        if (row < 0 || row >= list.RowCount())
            return;
        const TRobotRow &r = list.Row(row);
        JsonLine j;
        j.add(QStringLiteral("Row"), row + 1).add(QStringLiteral("Phone"), r.Number).add(QStringLiteral("Name"), r.Name);
        j.add(QStringLiteral("Mark"), r.Mark.isNull() ? QString() : QString(r.Mark));
        j.add(QStringLiteral("Count"), r.Count).add(QStringLiteral("Pass"), robot.Pass());
        if (written.contains(row)) {
            const qint64 id = written.take(row);
            j.add(QStringLiteral("Call_ID"), double(id));
            j.add(QStringLiteral("FileName"), out.rowByKey(id).value(out.schema().fieldIndex(QStringLiteral("FileName"))).toString());
        } else {
            j.addNull(QStringLiteral("Call_ID"));
        }
        cliOut(j.toString());
    };
    QObject::connect(&robot, &TRobotRun::CallWritten, [&](qint64 id, int row) { written[row] = id; });
    QObject::connect(&robot, &TRobotRun::RowDone, printRow);
    QObject::connect(&robot, &TRobotRun::PanelsChanged, [&] {
        const QString p = QStringList({robot.Panel(0), robot.Panel(1), robot.Panel(2)}).join(QLatin1Char('|'));
        if (p != progress)
            cliErr(progress = p);
    });
    QObject::connect(&robot, &TRobotRun::ListSaveFailed,
                     [&](const QString &e) { cliErr(QStringLiteral("cannot write the list: ") + e); });
    QObject::connect(&robot, &TRobotRun::Finished, [&](const QString &w) {
        why = w.trimmed();
        loop.quit();
    });
    if (SignalQuit *q = SignalQuit::instance())
        QObject::connect(q, &SignalQuit::signalled, &loop, [&] {
            // The reached call is written with its recording so far.
            const int row = robot.DialRow();
            robot.Stop();
            if (written.contains(row))
                printRow(row);
            why = QStringLiteral("Стоп");
            loop.quit();
        });
    if (!robot.Start(0)) {
        cliErr(QStringLiteral("nothing to dial, or the phone is not waiting"));
        return CliNotFound;
    }
    if (!SignalQuit::received())
        loop.exec();
    robot.Stop();
    JsonLine end;
    end.add(QStringLiteral("event"), QStringLiteral("Finished")).add(QStringLiteral("Why"), why);
    end.add(QStringLiteral("Successes"), robot.Successes()).add(QStringLiteral("Total"), robot.Total());
    end.add(QStringLiteral("Passes"), robot.Pass());
    cliOut(end.toString());
    return CliOk;
}

const CliRegistration reg({QStringLiteral("robot"),
                           QStringLiteral("robot run --port DEV LIST.txt [--passes N]   dial a robot list, a JSON line per row"),
                           {QStringLiteral("port"), QStringLiteral("passes")},
                           {},
                           run});

} // namespace
