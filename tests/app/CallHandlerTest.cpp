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
    qint64 Id = 0;
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

    // Input pending after the editor closed: it goes into the new row.
    FEditor.Showing = false;
    FEditor.EditedValues = true;
    FEditor.Number = QStringLiteral("5550000");
    FEditor.Fields = {{3, QStringLiteral("три")}, {5, QStringLiteral("пять")}, {9, QStringLiteral("нет")}};
    FEditor.Reminder = true;
    ASSERT_TRUE(playCall(QStringLiteral("ring\nwait 0.2\nhangup")));
    ASSERT_EQ(inRows().size(), 2);
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
    };
    FConfig->RecordIncomingCalls = false;
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5551111\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_EQ(inRows().size(), 3);
    EXPECT_EQ(FEditor.Id, inRows().last().value("Call_ID").toLongLong());
}

} // namespace

#include "audio/TTickTimer.h"
#include "ui/TFormFieldsEdit.h"
#include <QLineEdit>
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
    std::function<void()> FTyping;
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

} // namespace
