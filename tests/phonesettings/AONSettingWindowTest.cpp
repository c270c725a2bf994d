// The settings editor driven as a person drives it, on a real phone link to
// konvelo-phonesim: opened with exec(), closed by Esc, the title bar and its
// own command, the transfer window's Cancel clicked while the editor is modal,
// Enter on an invalid number, and profile loading into a phone not yet
// identified. What the phone got is read from the simulator's wire log.
#include "ModalDriver.h"
#include "WidgetTestApp.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "phone/TPhoneHost.h"
#include "phonesettings/TFormAONSetting.h"
#include "phonesettings/TFormProgress.h"
#include "phonesettings/TPhoneParamLink.h"
#include "tools/PhoneSimProcess.h"
#include <QDeadlineTimer>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Parameter 30 exists only from firmware 120 on.
const char *Description = R"([Звонок]
<0Громкость
ID = 12
NAME = Громкость звонка
{
TYPE = SET
* Уровень
RANGE = 1-3,7
}
'Громкость.'
<1Режим
ID = 13
NAME = Режим
{
TYPE = GROUP
* 0>Выключен
* 1>Включен }
'Режим звонка.'
VER = 120-
[Ночь]
<0Ночь
ID = 30
NAME = Ночной режим
{
TYPE = SET
* n
RANGE = 0
}
'С версии 120.'
)";

class Host : public TPhoneHost {
public:
    std::function<void(quint16, const QList<quint16> &)> onParam;
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void ParamReceived(quint16 Address, const QList<quint16> &Values) override
    {
        if (onParam)
            onParam(Address, Values);
    }
};

bool spinUntil(const std::function<bool()> &done, int ms = 5000)
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

class AONSettingWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        ASSERT_TRUE(dir.isValid());
        vrx = write(QStringLiteral("Params.vrx"), Description);
        config.TreeWidth = 220;
    }
    void TearDown() override
    {
        if (editor)
            editor->AskYesNo = [](const QString &, const QString &) { return false; };
        editor.reset();
        progress.reset();
        link.reset();
        phone.reset();
    }

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray profile(const QList<TProfileRecord> &records)
    {
        QByteArray b;
        for (const TProfileRecord &r : records)
            b += r.ToBytes();
        return b;
    }
    static TProfileRecord record(qint32 id, quint16 value)
    {
        TProfileRecord r;
        r.ParamId = id;
        r.Count = 1;
        r.Value1 = value;
        return r;
    }

    // The simulator with the phone's values and extra options, the phone
    // link on its device, and (unless identify is false) the phone identified.
    void start(const QStringList &args = {}, bool identify = true)
    {
        const QString values = write(QStringLiteral("values.txt"), "12=2\n13=1\n30=9\n");
        sim = std::make_unique<PhoneSimProcess>(dir.filePath(QStringLiteral("sim.log")),
                                                QStringList{QStringLiteral("--firmware"), QStringLiteral("125"),
                                                            QStringLiteral("--params"), values}
                                                    + args);
        QString error;
        ASSERT_TRUE(sim->start(&error)) << error.toStdString();
        phone = std::make_unique<TPhone>(&host);
        phone->SetPort(sim->device());
        ASSERT_TRUE(phone->Connect());
        link = std::make_unique<TPhoneParamLink>(*phone);
        if (identify)
            Identify();
        progress = std::make_unique<TFormProgress>(m, *link);
        editor = std::make_unique<TFormAONSetting>(m, *link, *progress, &config, host.Identity, vrx);
        progress->OnTransferDone = [this](TTransferResult r) { editor->TransferDone(r); };
        host.onParam = [this](quint16 a, const QList<quint16> &v) { editor->ParamReceived(a, v); };
        editor->AskYesNo = [this](const QString &text, const QString &) {
            questions << text;
            return false;
        };
        editor->ShowError = [this](const QString &text, const QString &) { errors << text; };
    }
    void Identify()
    {
        phone->SendCommandByte(0x9D);
        ASSERT_TRUE(spinUntil([this] { return host.Identity.FirmwareVersion != 0; }));
        EXPECT_EQ(host.Identity.FirmwareVersion, 125);
    }

    // The parameter commands (0x9A read, 0x99 write) the phone got for an address.
    int onWire(uchar code, int address) const
    {
        int n = 0;
        for (const QByteArray &c : sim->log().commands())
            n += c.size() >= 5 && uchar(c.at(0)) == code
                 && ((c.at(1) << 12) | (c.at(2) << 8) | (c.at(3) << 4) | c.at(4)) == address;
        return n;
    }
    int readsOnWire() const { return sim->log().countCommands(0x9A); }

    QTemporaryDir dir;
    QString vrx;
    TConfig config{nullptr};
    TParamModel m;
    Host host;
    std::unique_ptr<PhoneSimProcess> sim;
    std::unique_ptr<TPhone> phone;
    std::unique_ptr<TPhoneParamLink> link;
    std::unique_ptr<TFormProgress> progress;
    std::unique_ptr<TFormAONSetting> editor;
    QStringList questions, errors;
};

TParam *param(TParamModel &m, qint32 id)
{
    for (const auto &g : m.Groups)
        for (const auto &p : g->Params)
            if (p->Id == id)
                return p.get();
    return nullptr;
}

TEST_F(AONSettingWindow, EveryWayOutAsksTheSameQuestionKeepsTheLayoutAndStopsAsking)
{
    // Parameter 13 never answers: while it is selected the editor asks every 500 ms.
    start({QStringLiteral("--drop-param"), QStringLiteral("13")});
    const QString file = write(QStringLiteral("p.AON"), profile({record(12, 2), record(30, 9)}));
    editor->ChooseOpenFile = [&] { return file; };
    const std::function<void(QWidget *)> ways[] = {
        [](QWidget *w) { ModalDriver::PressKey(w, Qt::Key_Escape); },
        [](QWidget *w) { ModalDriver::CloseWindow(w); },
        [this](QWidget *) { ModalDriver::Click(editor->findChild<QToolButton *>(QStringLiteral("TB_Close"))); },
    };
    int way = 0;
    for (const auto &closeBy : ways) {
        SCOPED_TRACE(way);
        questions.clear();
        int asked = 0;
        ModalDriver d(*editor);
        d.Do([&] { ModalDriver::Click(editor->findChild<QToolButton *>(QStringLiteral("TB_LoaqFromDisk"))); })
            .WaitUntil([&] { return editor->ProfileSource() == srcFile; }, QStringLiteral("profile loaded"))
            .Do([&] {
                editor->SelectTab(0);
                ASSERT_TRUE(editor->SelectParam(12));
                editor->SpinEdit[0]->setValue(3);   // the loaded profile is changed
                ASSERT_TRUE(editor->SelectParam(13));
                editor->Splitter->setSizes({240 + way, editor->Splitter->width() - 240 - way});
            })
            .WaitUntil([&] { return onWire(0x9A, 13) >= 2; }, QStringLiteral("repeated requests"))
            .Do([&] { closeBy(editor->TreeView); });
        d.Run();
        EXPECT_FALSE(d.TimedOut) << d.Failure.toStdString();
        EXPECT_TRUE(d.Finished());
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(questions, QStringList{TFormAONSetting::ModifiedQuestion});
        EXPECT_EQ(config.TreeWidth, 240 + way);
        // Nothing more goes to the phone while the window is hidden.
        QThread::msleep(100);
        asked = onWire(0x9A, 13);
        spinUntil([] { return false; }, 1300);
        EXPECT_EQ(onWire(0x9A, 13), asked);
        ++way;
    }
}

TEST_F(AONSettingWindow, CancelInTheTransferWindowEndsAReadAtOnce)
{
    start({QStringLiteral("--drop-param"), QStringLiteral("12"), QStringLiteral("--drop-param"),
           QStringLiteral("13"), QStringLiteral("--drop-param"), QStringLiteral("30")});
    int atCancel = 0;
    ModalDriver d(*editor);
    d.Do([&] { ModalDriver::Click(editor->findChild<QToolButton *>(QStringLiteral("TB_LoadFromAON"))); })
        .WaitUntil([&] { return progress->isVisible() && readsOnWire() > 0; }, QStringLiteral("read started"))
        .Pause(600)
        .Do([&] { ModalDriver::Click(progress->ButtonCancel); })
        .WaitUntil([&] { return !progress->isVisible(); }, QStringLiteral("transfer window closed"), 1000)
        .Do([&] {
            EXPECT_FALSE(progress->Running());
            QThread::msleep(100);
            atCancel = readsOnWire();
        })
        .Pause(1300)
        .Do([&] { ModalDriver::PressKey(editor->TreeView, Qt::Key_Escape); });
    d.Run();
    EXPECT_FALSE(d.TimedOut) << d.Failure.toStdString();
    EXPECT_TRUE(d.Finished());
    EXPECT_EQ(readsOnWire(), atCancel);
    EXPECT_EQ(param(m, 12)->State, pvQuerying);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(AONSettingWindow, BulkReadTakesAnAnswerCarryingAnotherNumber)
{
    // The phone answers the request for 13 under the number 77.
    start({QStringLiteral("--param-answer-as"), QStringLiteral("13=77")});
    ModalDriver d(*editor);
    d.Do([&] { ModalDriver::Click(editor->findChild<QToolButton *>(QStringLiteral("TB_LoadFromAON"))); })
        .WaitUntil([&] { return editor->ProfileSource() == srcPhone; }, QStringLiteral("read done"), 8000)
        .Do([&] { ModalDriver::PressKey(editor->TreeView, Qt::Key_Escape); });
    d.Run();
    EXPECT_FALSE(d.TimedOut) << d.Failure.toStdString();
    EXPECT_EQ(param(m, 13)->State, pvDefined);
    EXPECT_EQ(param(m, 13)->Values[0].Value, 1);
    EXPECT_EQ(param(m, 30)->Values[0].Value, 9);
    EXPECT_EQ(onWire(0x9A, 13), 1);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(AONSettingWindow, EnterOnAnInvalidNumberWarnsOnceAndEscStaysUntilCorrected)
{
    start();
    editor->ShowWarning = [this](const QString &text, const QString &caption) {
        QMessageBox::warning(editor.get(), caption, text);
    };
    ModalDriver d(*editor);
    d.Do([&] {
         editor->SelectTab(0);
         ASSERT_TRUE(editor->SelectParam(12));
     })
        .WaitUntil([&] { return param(m, 12)->State == pvDefined; }, QStringLiteral("value read"))
        .Do([&] {
            editor->SpinEdit[0]->setFocus();
            ModalDriver::PressKey(editor->SpinEdit[0], Qt::Key_A, Qt::ControlModifier);
            ModalDriver::PressKey(editor->SpinEdit[0], Qt::Key_5);
        })
        .WaitUntil([&] { return editor->InvalidValue(); }, QStringLiteral("5 typed"))
        .Do([&] { ModalDriver::PressKey(editor->SpinEdit[0], Qt::Key_Return); })
        .WaitUntil([&] { return !editor->InvalidValue(); }, QStringLiteral("value put back"))
        .Pause(300)
        .Do([&] {
            EXPECT_EQ(d.Boxes, QStringList{TFormAONSetting::InvalidValueText});
            EXPECT_EQ(editor->SpinEdit[0]->value(), 2);
            // Esc on an invalid number keeps the window open, with one warning.
            ModalDriver::PressKey(editor->SpinEdit[0], Qt::Key_A, Qt::ControlModifier);
            ModalDriver::PressKey(editor->SpinEdit[0], Qt::Key_6);
        })
        .WaitUntil([&] { return editor->InvalidValue(); }, QStringLiteral("6 typed"))
        .Do([&] { ModalDriver::PressKey(editor->SpinEdit[0], Qt::Key_Escape); })
        .WaitUntil([&] { return d.Boxes.size() == 2 && !editor->InvalidValue(); }, QStringLiteral("second warning"))
        .Pause(300)
        .Do([&] {
            EXPECT_TRUE(editor->isVisible());
            EXPECT_EQ(d.Boxes.size(), 2);
            ModalDriver::PressKey(editor->TreeView, Qt::Key_Escape);
        });
    d.Run();
    EXPECT_FALSE(d.TimedOut) << d.Failure.toStdString();
    EXPECT_TRUE(d.Finished());
    EXPECT_EQ(param(m, 12)->Values[0].Value, 2);
    EXPECT_EQ(onWire(0x99, 12), 0);
}

TEST_F(AONSettingWindow, ProfileLoadingNeedsTheFirmwareAndSaysWhenNothingWasLoaded)
{
    start({}, false);
    const QString file = write(QStringLiteral("p.AON"), profile({record(12, 3), record(30, 40)}));
    // Not identified yet: no model for firmware 0, nothing written.
    EXPECT_FALSE(editor->LoadProfileIntoPhone(file));
    EXPECT_EQ(errors, QStringList{TFormAONSetting::NoFirmwareText});
    EXPECT_FALSE(editor->HasModel());

    Identify();
    // The model now has the tab that needs firmware 120.
    EXPECT_TRUE(editor->LoadProfileIntoPhone(file));
    ASSERT_TRUE(spinUntil([&] { return onWire(0x99, 30) == 2 && onWire(0x99, 12) == 2; }));
    EXPECT_EQ(errors.size(), 1);

    // A profile of another phone: said, and nothing sent.
    const QString other = write(QStringLiteral("other.AON"), profile({record(900, 1), record(901, 2)}));
    EXPECT_FALSE(editor->LoadProfileIntoPhone(other));
    EXPECT_EQ(errors.value(1), TFormAONSetting::NothingLoadedText);
    spinUntil([] { return false; }, 300);
    EXPECT_EQ(sim->log().countCommands(0x99), 4);

    // The same from the editor's own command: the profile in use stays.
    editor->ChooseOpenFile = [&] { return other; };
    ModalDriver d(*editor);
    d.Do([&] { ModalDriver::Click(editor->findChild<QToolButton *>(QStringLiteral("TB_LoaqFromDisk"))); })
        .WaitUntil([&] { return errors.size() == 3; }, QStringLiteral("message"))
        .Do([&] { ModalDriver::PressKey(editor->TreeView, Qt::Key_Escape); });
    d.Run();
    EXPECT_EQ(errors.value(2), TFormAONSetting::NothingLoadedText);
    EXPECT_EQ(editor->ProfileSource(), srcNone);
    EXPECT_TRUE(editor->ProfileFileName().isEmpty());
}

TEST_F(AONSettingWindow, AnEditorShownBeforeTheFirmwareGetsItsTabsWhenItArrives)
{
    start({}, false);
    ModalDriver d(*editor);
    d.Do([&] { EXPECT_FALSE(editor->HasModel()); })
        .Do([&] { phone->SendCommandByte(0x9D); })
        .WaitUntil([&] { return host.Identity.FirmwareVersion != 0; }, QStringLiteral("identified"))
        // What the main window does when the version arrives.
        .Do([&] { EXPECT_TRUE(editor->BuildModel()); })
        .Do([&] {
            EXPECT_EQ(editor->TabControl->count(), 2);
            EXPECT_TRUE(editor->TabControl->isVisible());
            ModalDriver::PressKey(editor->TreeView, Qt::Key_Escape);
        });
    d.Run();
    EXPECT_FALSE(d.TimedOut) << d.Failure.toStdString();
    EXPECT_TRUE(d.Finished());
}

} // namespace
