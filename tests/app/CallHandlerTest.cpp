// The call handling end to end: konvelo-phonesim plays calls into a TPhone, the
// handler writes the journals and tells the window layer what to show.
#include "CallTestLine.h"
#include "ui/IFieldsEditor.h"
#include <QDir>
#include <QFileInfo>

namespace {

class CallHandlerTest : public CallTestLine {
protected:
    // Plays a call and waits for its end (OnEndCall and the line freed after it).
    bool playCall(const QString &lines)
    {
        const int ends = endCalls(), frees = lineFrees();
        return play(lines, [&] { return endCalls() > ends && lineFrees() > frees; });
    }
};

TEST_F(CallHandlerTest, IncomingCallAnsweredOnThePhoneIsRecordedIntoOneRow)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    ASSERT_TRUE(startLine());
    ASSERT_TRUE(playCall(QStringLiteral("ring\nnumber 3 5553412\nring\nwait 0.3\nlift\nwait 1.5\nhangup")));

    const QList<QVariantMap> rows = inRows();
    ASSERT_EQ(rows.size(), 1);
    const QVariantMap &r = rows.first();
    EXPECT_EQ(r.value("Phone").toString(), QStringLiteral("5553412"));
    EXPECT_EQ(r.value("Category").toInt(), 3);
    EXPECT_EQ(r.value("AutoAnswer").toInt(), 0);
    EXPECT_TRUE(r.value("MessageFileName").toString().isEmpty());
    // The call lasted from the lifting to the line-free: more than a second, well under a minute.
    const double seconds = r.value("Length").toDouble() * 86400.0;
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 60.0);
    EXPECT_TRUE(FLastAttributes.has(caVRX));

    const QString file = r.value("FileName").toString();
    const QString prefix = QDir::toNativeSeparators(FConfig->RecordsDirectory) + QDir::separator() + "In_";
    EXPECT_TRUE(file.startsWith(prefix)) << file.toStdString();
    EXPECT_TRUE(file.endsWith(QStringLiteral(" 5553412.wav"))) << file.toStdString();
    QString why;
    EXPECT_TRUE(isGsmWave(file, &why)) << file.toStdString() << ": " << why.toStdString();

    // Announced without a subscriber, then idle again.
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("alert 5553412|||")));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("ring unknown")));
    EXPECT_EQ(FView.Status, QStringLiteral("Линия свободна"));
    EXPECT_EQ(FRecorder->State(), rsWaiting);
    EXPECT_FALSE(FView.RecordEnabled);
    EXPECT_TRUE(FView.PlayerButtons);
    EXPECT_TRUE(FHandler->CurrentNumberText.isEmpty());
    EXPECT_FALSE(FHandler->TalkTimer.isActive());
}

TEST_F(CallHandlerTest, UnansweredCallsAreJournalledWithTheirNumberOrAQuestionMark)
{
    ASSERT_TRUE(startLine());
    ASSERT_TRUE(playCall(QStringLiteral("number 2 5559876\nring\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 1);
    QVariantMap r = inRows().last();
    EXPECT_EQ(r.value("Phone").toString(), QStringLiteral("5559876"));
    EXPECT_EQ(r.value("Category").toInt(), 2);
    EXPECT_TRUE(r.value("FileName").toString().isEmpty());
    EXPECT_TRUE(FLastAttributes.has(caNoTalk));
    EXPECT_EQ(FView.DialList, QStringList{QStringLiteral("5559876")});
    EXPECT_FALSE(FView.AlertShown);   // closed at the end of the call

    // No number at all: announced as not yet known, journalled as "?", not offered for dialling.
    FView.Log.clear();
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 2);
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("?"));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("alert пока не определен|||")));
    EXPECT_EQ(FView.DialList.size(), 1);
}

TEST_F(CallHandlerTest, MessageThenPickUpGivesTwoRecordings)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    ASSERT_TRUE(startLine());
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nanswering-machine\nwait 0.2\n"
                                        "message\nwait 1.2\nlift\nwait 1.2\nhangup")));
    ASSERT_EQ(inRows().size(), 1);
    const QVariantMap r = inRows().first();
    const QString message = r.value("MessageFileName").toString();
    const QString talk = r.value("FileName").toString();
    EXPECT_NE(message, talk);
    QString why;
    EXPECT_TRUE(isGsmWave(message, &why)) << message.toStdString() << ": " << why.toStdString();
    EXPECT_TRUE(isGsmWave(talk, &why)) << talk.toStdString() << ": " << why.toStdString();
    EXPECT_EQ(r.value("AutoAnswer").toInt(), 1);
    EXPECT_FALSE(FHandler->MessageRecording);
    EXPECT_TRUE(FHandler->CurrentMessageFile.isEmpty());
}

TEST_F(CallHandlerTest, OutgoingCallDialledOnThePhoneGivesAnOutgoingRow)
{
    FConfig->RecordOutgoingCalls = false;
    ASSERT_TRUE(startLine());
    ASSERT_TRUE(playCall(QStringLiteral("lift\nwait 0.3\ndial 5557788\nwait 0.5\nhangup")));
    EXPECT_TRUE(inRows().isEmpty());
    ASSERT_EQ(outRows().size(), 1);
    const QVariantMap r = outRows().first();
    EXPECT_EQ(r.value("Phone").toString(), QStringLiteral("5557788"));
    EXPECT_EQ(r.value("Attributes").toInt(), 1);   // caVRX
    EXPECT_TRUE(r.value("FileName").toString().isEmpty());   // not wanted, not recorded
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("status Исходящий звонок ")));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("status Разговор")));
    EXPECT_TRUE(FView.logged(QStringLiteral("alert")).isEmpty());
    EXPECT_TRUE(FView.logged(QStringLiteral("ring")).isEmpty());
    EXPECT_EQ(FView.DialList, QStringList{QStringLiteral("5557788")});
    EXPECT_EQ(FView.CallCaption, QStringLiteral("Набрать номер"));
}

TEST_F(CallHandlerTest, SubscriberBitsDecideAlertAndRing)
{
    FBook->AddPerson(QStringLiteral("5550001"), QStringLiteral("Никогда"), 2 | 1, QString(), QString(), QString(), -1, false);
    // The subscribers' own ring sound tells their ring from the global one.
    FBook->AddPerson(QStringLiteral("5550002"), QStringLiteral("Всегда"), 4 | 32, QStringLiteral("ул. Мира"),
                     QStringLiteral("заметка"), personalFile(), -1, false);
    FBook->AddPerson(QStringLiteral("5550003"), QStringLiteral("Как все"), 0, QString(), QString(), personalFile(), -1,
                     false);
    ASSERT_TRUE(startLine());

    // With both settings on, bits 1 and 0 keep the alert and the ring away.
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5550001\nring\nwait 0.2\nhangup")));
    EXPECT_TRUE(FView.logged(QStringLiteral("alert")).isEmpty());
    EXPECT_TRUE(FView.logged(QStringLiteral("ring")).isEmpty());

    // With both settings off, bits 2 and 5 bring them, with the subscriber's data.
    FConfig->DisplayMessage = false;
    FConfig->PlaySound = false;
    FView.Log.clear();
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5550002\nring\nwait 0.2\nhangup")));
    EXPECT_EQ(FView.logged(QStringLiteral("alert")),
              QStringList{QStringLiteral("alert 5550002|Всегда|заметка|ул. Мира")});
    EXPECT_EQ(FView.logged(QStringLiteral("ring")), QStringList{QStringLiteral("ring subscriber")});

    // Without either bit the settings decide.
    FView.Log.clear();
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5550003\nring\nwait 0.2\nhangup")));
    EXPECT_TRUE(FView.logged(QStringLiteral("alert")).isEmpty());
    EXPECT_TRUE(FView.logged(QStringLiteral("ring")).isEmpty());
    FConfig->DisplayMessage = true;
    FConfig->PlaySound = true;
    FView.Log.clear();
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5550003\nring\nwait 0.2\nhangup")));
    EXPECT_EQ(FView.logged(QStringLiteral("alert")).size(), 1);
    EXPECT_EQ(FView.logged(QStringLiteral("ring")), QStringList{QStringLiteral("ring subscriber")});
    EXPECT_EQ(inRows().size(), 4);
}

TEST_F(CallHandlerTest, TalkStartStopsTheRingAndClosesTheAlertAsTheSettingsSay)
{
    FConfig->RecordIncomingCalls = false;
    FConfig->NoMessageOnTalk = true;
    FConfig->NoAlertOnTalk = true;
    FConfig->MuteOnCall = true;
    ASSERT_TRUE(startLine());
    int talks = 0;
    auto startTalk = FPhone->OnStartTalk;
    FPhone->OnStartTalk = [&](TCallKind k) {
        startTalk(k);
        ++talks;
    };
    ASSERT_TRUE(play(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift"), [&] { return talks == 1; }));
    EXPECT_FALSE(FSound->Playing());
    EXPECT_FALSE(FView.AlertShown);
    EXPECT_TRUE(FView.RecordEnabled);
    EXPECT_FALSE(FView.PlayerButtons);
    EXPECT_FALSE(FView.RecordDown);
    EXPECT_EQ(FRecorder->State(), rsWaiting);
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("mute")));
    EXPECT_TRUE(FHandler->TalkTimer.isActive());
    FHandler->TalkTimerTimer();
    EXPECT_TRUE(FView.Status.startsWith(QStringLiteral("Разговор 0:00:0"))) << FView.Status.toStdString();

    // The prepared name is there for the record button.
    EXPECT_TRUE(FRecorder->FileName().endsWith(QStringLiteral(" 5553412.wav")));
    ASSERT_TRUE(playCall(QStringLiteral("hangup")));
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("unmute")));
}

} // namespace

namespace {

// The information-fields editor as the handler sees it.
class FakeFieldsEditor : public IFieldsEditor {
public:
    bool IsShowing() const override { return Showing; }
    bool FromAlert() const override { return false; }
    bool Edited() const override { return EditedValues; }
    void ClearEdited() override { EditedValues = false; }
    void SetCallId(qint64 CallId) override { Id = CallId; }
    qint64 CallId() const override { return Id; }
    TCallKind CallKind() const override { return Kind; }
    quint64 OwnerCall() const override { return Owner; }
    void SetOwnerCall(quint64 Call) override { Owner = Call; }
    void PressOK() override { Log << "ok"; Showing = false; }
    void Close() override { Log << "close"; Showing = false; }
    void LoadCall(const QString &N, TCallKind) override { Log << "load " + N; }
    void ShowInFront() override { Showing = true; }
    void RestartCloseTimer() override {}
    QString EditNumber() const override { return Number; }
    QList<TFieldEntry> FieldValues() const override { return Fields; }
    bool ReminderChecked() const override { return Reminder; }
    TDateTime ReminderDate() const override { return TDateTime(46200.0); }

    bool Showing = false, EditedValues = false, Reminder = false;
    qint64 Id = -1;
    TCallKind Kind = ckIncoming;
    quint64 Owner = 0;
    QString Number;
    QList<TFieldEntry> Fields;
    QStringList Log;
};

class FieldsEditorCallTest : public CallHandlerTest {
protected:
    FakeFieldsEditor FEditor;
};

TEST_F(FieldsEditorCallTest, RowOfACallEndingWhileTheEditorIsOpenOrHoldsInput)
{
    FHandler->SetFieldsEditor(&FEditor);
    ASSERT_TRUE(startLine());

    // Open for an earlier call and untouched: the new call's alert closes it.
    FEditor.Showing = true;
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nhangup")));
    EXPECT_EQ(FEditor.Log, QStringList{QStringLiteral("close")});   // untouched, closed by the new call
    ASSERT_EQ(inRows().size(), 1);

    // Input pending for an earlier call: not this call's, the row stays without it.
    FEditor.Showing = false;
    FEditor.EditedValues = true;
    FEditor.Owner = FHandler->CurrentCall() + 1000;
    FEditor.Number = QStringLiteral("5550000");
    FEditor.Fields = {{3, QStringLiteral("три")}, {5, QStringLiteral("пять")}, {9, QStringLiteral("нет")}};
    FEditor.Reminder = true;
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.2\nhangup")));
    ASSERT_EQ(inRows().size(), 2);
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("?"));
    EXPECT_TRUE(inRows().last().value("Field_3").toString().isEmpty());
    EXPECT_TRUE(FEditor.EditedValues);

    // Input pending for this call (OK before its row existed): it goes into the row.
    auto startCall = FPhone->OnStartCall;
    FPhone->OnStartCall = [&](TCallKind k, const TBuffer &n) {
        startCall(k, n);
        FEditor.Owner = FHandler->CurrentCall();
    };
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.2\nhangup")));
    FPhone->OnStartCall = startCall;
    ASSERT_EQ(inRows().size(), 3);
    const QVariantMap r = inRows().last();
    EXPECT_EQ(r.value("Phone").toString(), QStringLiteral("5550000"));
    EXPECT_EQ(r.value("Field_3").toString(), QStringLiteral("три"));
    EXPECT_EQ(r.value("Field_5").toString(), QStringLiteral("пять"));
    EXPECT_TRUE(r.value("Field_1").toString().isEmpty());
    EXPECT_DOUBLE_EQ(r.value("Field_8").toDouble(), 46200.0);
    EXPECT_FALSE(FEditor.EditedValues);

    // Open while the call ends: the row's key goes to the editor.
    FEditor.Showing = false;
    int talks = 0;
    auto startTalk = FPhone->OnStartTalk;
    FPhone->OnStartTalk = [&](TCallKind k) {
        startTalk(k);
        ++talks;
        FEditor.Showing = true;   // the user opened it during the talk
        FEditor.Owner = FHandler->CurrentCall();
    };
    FConfig->RecordIncomingCalls = false;
    FEditor.Id = -1;
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5551111\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 4);
    EXPECT_EQ(FEditor.Id, inRows().last().value("Call_ID").toLongLong());
}

} // namespace

#include "audio/TTickTimer.h"
#include "ui/TFormFieldsEdit.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class EditorTimer : public TTickTimer {
public:
    void Start(int) override { Running = true; }
    void Stop() override { Running = false; }
    bool Active() const override { return Running; }
    bool Running = false;
};

// The real editor, opened by the handler when a talk starts.
class FieldsEditorWindowTest : public CallHandlerTest {
protected:
    void SetUp() override
    {
        CallHandlerTest::SetUp();
        FConfig->RecordIncomingCalls = false;
        FConfig->DisplayMessage = true;
        FConfig->ShowInputFormOnInCall = true;
        FConfig->InFieldYes[2] = true;
        auto timer = std::make_unique<EditorTimer>();
        FTimer = timer.get();
        FEditor = std::make_unique<TFormFieldsEdit>(FIn.get(), FOut.get(), FBook.get(), FConfig.get(), FPhone.get(),
                                                    std::move(timer));
        FHandler->SetFieldsEditor(FEditor.get());
    }
    void TearDown() override
    {
        FHandler->SetFieldsEditor(nullptr);
        FEditor.reset();
        CallHandlerTest::TearDown();
    }
    // Runs Typing once the talk has started and the editor shows.
    void onTalk(std::function<void()> Typing)
    {
        if (!FTyping) {
            auto startTalk = FPhone->OnStartTalk;
            FPhone->OnStartTalk = [this, startTalk](TCallKind k) {
                startTalk(k);
                if (FEditor->isVisible())
                    FTyping();
            };
        }
        FTyping = std::move(Typing);
    }
    // Runs Alert from the event loop once an incoming call rings without its
    // number, as a click on the alert's "&Параметры" comes.
    void onRinging(std::function<void()> Alert)
    {
        if (!FAlert) {
            auto startCall = FPhone->OnStartCall;
            FPhone->OnStartCall = [this, startCall](TCallKind k, const TBuffer &n) {
                startCall(k, n);
                if (k == ckIncoming && n.isEmpty())
                    QTimer::singleShot(0, FEditor.get(), [this] { FAlert(); });
            };
        }
        FAlert = std::move(Alert);
    }
    QLineEdit *edit(const char *name) const { return FEditor->findChild<QLineEdit *>(QLatin1String(name)); }
    void type(const char *name, const QString &text) { QTest::keyClicks(edit(name), text); }
    void clickOK() { QTest::mouseClick(FEditor->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton); }
    QVariantMap inRow(qint64 id) const
    {
        for (const QVariantMap &r : inRows())
            if (r.value("Call_ID").toLongLong() == id)
                return r;
        return {};
    }

    std::function<void()> FTyping;
    std::function<void()> FAlert;
    std::unique_ptr<TFormFieldsEdit> FEditor;
    EditorTimer *FTimer = nullptr;
};

TEST_F(FieldsEditorWindowTest, ValuesTypedDuringTheTalkReachTheRowAndAnUntouchedEditorClosesLater)
{
    ASSERT_TRUE(startLine());
    bool typed = false;
    onTalk([&] {
        EXPECT_TRUE(FPhone->OutCallInputMode());   // the watchdog waits while the user types
        QTest::keyClicks(FEditor->findChild<QLineEdit *>(QStringLiteral("Field2Edit")), QStringLiteral("order 12"));
        FEditor->PressOK();   // before hanging up: the values wait for the row
        typed = true;
    });
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_TRUE(typed);
    EXPECT_FALSE(FPhone->OutCallInputMode());
    ASSERT_EQ(inRows().size(), 1);
    EXPECT_EQ(inRows().last().value("Field_2").toString(), QStringLiteral("order 12"));
    EXPECT_FALSE(FEditor->Edited());

    // Untouched: the row is written while it shows, and the minute's wait closes it empty.
    onTalk([] {});
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 2);
    EXPECT_TRUE(FEditor->isVisible());
    EXPECT_EQ(FEditor->CallId(), inRows().last().value("Call_ID").toLongLong());
    ASSERT_TRUE(FTimer->Running);
    FTimer->OnTimer();
    EXPECT_FALSE(FEditor->isVisible());
    EXPECT_TRUE(inRows().last().value("Field_2").toString().isEmpty());
}

TEST_F(FieldsEditorWindowTest, TheEditorKeepsTheRowOfItsOwnCallWhileOtherCallsEnd)
{
    // A subscriber whose calls always open the editor; nobody else gets an alert.
    FConfig->DisplayMessage = false;
    FConfig->RecordOutgoingCalls = false;
    FConfig->ShowInputFormOnOutCall = true;
    FConfig->OutFieldYes[1] = true;
    FBook->AddPerson(QStringLiteral("5553412"), QStringLiteral("Петров"), TPersonAttributes::AlwaysShow, {}, {}, {},
                     -1, false);
    ASSERT_TRUE(startLine());
    onTalk([&] { type("Field2Edit", QStringLiteral("order 12")); });
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 1);
    const qint64 own = inRows().last().value("Call_ID").toLongLong();
    ASSERT_TRUE(FEditor->isVisible());
    EXPECT_EQ(FEditor->CallId(), own);

    // Still typing when another caller rings off unanswered: that row is not the editor's.
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5559999\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(inRows().size(), 2);
    const qint64 other = inRows().last().value("Call_ID").toLongLong();
    EXPECT_EQ(FEditor->CallId(), own);
    type("Field2Edit", QStringLiteral(", paid"));
    clickOK();
    EXPECT_FALSE(FEditor->isVisible());
    EXPECT_EQ(inRow(own).value("Field_2").toString(), QStringLiteral("order 12, paid"));
    EXPECT_EQ(inRow(own).value("Phone").toString(), QStringLiteral("5553412"));
    EXPECT_TRUE(inRow(other).value("Field_2").toString().isEmpty());
    EXPECT_EQ(inRow(other).value("Phone").toString(), QStringLiteral("5559999"));

    // The editor of an outgoing call outlives an incoming call that ends: its OK
    // still writes the outgoing row, nothing in the incoming journal.
    onTalk([&] { type("Field1Edit", QStringLiteral("call back")); });
    ASSERT_TRUE(playCall(QStringLiteral("lift\nwait 0.3\ndial 5557788\nwait 0.5\nhangup")));
    ASSERT_EQ(outRows().size(), 1);
    const qint64 out = outRows().last().value("Call_ID").toLongLong();
    ASSERT_TRUE(FEditor->isVisible());
    ASSERT_EQ(FEditor->CallKind(), ckOutgoing);
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5550001\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(inRows().size(), 3);
    EXPECT_EQ(FEditor->CallId(), out);
    clickOK();
    EXPECT_EQ(outRows().last().value("Field_1").toString(), QStringLiteral("call back"));
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("5550001"));
    for (const QVariantMap &r : inRows())
        EXPECT_TRUE(r.value("Field_1").toString().isEmpty());
}

TEST_F(FieldsEditorWindowTest, ClosingTheEditorWithoutOkLeavesNothingForThisOrTheNextCall)
{
    ASSERT_TRUE(startLine());
    // Alt+F4 during the talk: the number and the note typed go nowhere.
    onTalk([&] {
        edit("EditNumber")->selectAll();
        type("EditNumber", QStringLiteral("5550000"));
        type("Field2Edit", QStringLiteral("draft"));
        QTest::keyClick(edit("Field2Edit"), Qt::Key_F4, Qt::AltModifier);
        EXPECT_FALSE(FEditor->isVisible());
        EXPECT_FALSE(FEditor->Edited());
    });
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 1);
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("5553412"));
    EXPECT_TRUE(inRows().last().value("Field_2").toString().isEmpty());

    // The next call's editor starts empty, with that call's number; the
    // title-bar button after its row exists writes nothing either.
    bool checked = false;
    onTalk([&] {
        EXPECT_EQ(edit("EditNumber")->text(), QStringLiteral("5551111"));
        EXPECT_TRUE(edit("Field2Edit")->text().isEmpty());
        EXPECT_FALSE(FEditor->Edited());
        type("Field2Edit", QStringLiteral("second"));
        checked = true;
    });
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5551111\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_TRUE(checked);
    ASSERT_TRUE(FEditor->isVisible());
    EXPECT_EQ(FEditor->CallId(), inRows().last().value("Call_ID").toLongLong());
    EXPECT_TRUE(FEditor->close());
    EXPECT_FALSE(FEditor->Edited());
    EXPECT_TRUE(inRows().last().value("Field_2").toString().isEmpty());

    // Esc is Cancel, with the reminder ticked too; the call after it gets a clean row.
    onTalk([&] {
        type("Field2Edit", QStringLiteral("third"));
        FEditor->findChild<QCheckBox *>(QStringLiteral("CheckBoxReminder"))->click();
        QTest::keyClick(edit("Field2Edit"), Qt::Key_Escape);
        EXPECT_FALSE(FEditor->isVisible());
    });
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5552222\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    onTalk([] {});
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553333\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 4);
    for (const QVariantMap &r : inRows()) {
        EXPECT_TRUE(r.value("Field_2").toString().isEmpty()) << r.value("Phone").toString().toStdString();
        EXPECT_TRUE(r.value("Field_8").isNull() || r.value("Field_8").toDouble() == 0.0);
    }
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("5553333"));
}

TEST_F(FieldsEditorWindowTest, TheQuestionMarkOfTheAlertNeverReplacesTheNumberThatCame)
{
    ASSERT_TRUE(startLine());
    // "&Параметры" of the alert while the call rings without its number yet.
    bool pressOK = true;
    int opened = 0;
    onRinging([&] {
        FEditor->OpenFromAlert(QStringLiteral("?"), FHandler->CurrentCall());
        ++opened;
        EXPECT_EQ(edit("EditNumber")->text(), QStringLiteral("?"));
        type("Field2Edit", QStringLiteral("no number yet"));
        if (pressOK)
            clickOK();   // no row yet: the values wait for the end of the call
    });
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.5\nnumber 1 5553412\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(opened, 1);
    ASSERT_EQ(inRows().size(), 1);
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("5553412"));
    EXPECT_EQ(inRows().last().value("Field_2").toString(), QStringLiteral("no number yet"));
    EXPECT_FALSE(FEditor->Edited());

    // Still open when the call ends: OK afterwards keeps the number too.
    pressOK = false;
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.5\nnumber 1 5551111\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(opened, 2);
    ASSERT_EQ(inRows().size(), 2);
    ASSERT_TRUE(FEditor->isVisible());
    EXPECT_EQ(FEditor->CallId(), inRows().last().value("Call_ID").toLongLong());
    clickOK();
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("5551111"));
    EXPECT_EQ(inRows().last().value("Field_2").toString(), QStringLiteral("no number yet"));

    // A number typed over the "?" is the user's word and goes into the row.
    onRinging([&] {
        FEditor->OpenFromAlert(QStringLiteral("?"), FHandler->CurrentCall());
        edit("EditNumber")->selectAll();
        type("EditNumber", QStringLiteral("5550000"));
        clickOK();
    });
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.5\nhangup")));
    ASSERT_EQ(inRows().size(), 3);
    EXPECT_EQ(inRows().last().value("Phone").toString(), QStringLiteral("5550000"));
}

} // namespace
