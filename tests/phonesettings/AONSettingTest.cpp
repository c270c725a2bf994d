// The settings editor window on a real model: request repeats, values from
// the phone in the editors, the invalid number, saving that reads the rest
// first, the close question and the kept tree width.
#include "ParamTestSupport.h"
#include "WidgetTestApp.h"
#include "config/TConfig.h"
#include "phone/TPhoneIdentity.h"
#include "phonesettings/TFormAONSetting.h"
#include "phonesettings/TFormProgress.h"
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

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
<1Ночью
ID = 16
NAME = Ночной режим
{
TYPE = FLAG
* 0>Без звонка
* 1>Без подсветки }
{
TYPE = FLAG
* 0>Автоответчик
* 4>Запись }
'Два поля флажков.'
)";

class AONSetting : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        ASSERT_TRUE(dir.isValid());
        QFile f(dir.filePath(QStringLiteral("Params.vrx")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Description);
        f.close();
        identity.FirmwareVersion = 112;
        config.TreeWidth = 220;
        progress = std::make_unique<TFormProgress>(m, link);
        editor = std::make_unique<TFormAONSetting>(m, link, *progress, &config, identity, f.fileName());
        progress->OnTransferDone = [this](TTransferResult r) { editor->TransferDone(r); };
        editor->AskYesNo = [this](const QString &text, const QString &) {
            questions << text;
            return answerYes;
        };
        editor->ShowError = [this](const QString &text, const QString &) { errors << text; };
        editor->ShowWarning = [this](const QString &text, const QString &) { warnings << text; };
        editor->ChooseSaveFile = [this](const QString &) {
            ++saveDialogs;
            return dir.filePath(QStringLiteral("saved.AON"));
        };
        editor->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        editor->AskYesNo = [](const QString &, const QString &) { return false; };
        editor->hide();
    }
    // Answers the requests the phone got so far from a table of values.
    void answerRequests(const QMap<quint16, QList<quint16>> &values)
    {
        for (int i = 0; i < link.requests.size(); ++i)
            editor->ParamReceived(link.requests.at(i), values.value(link.requests.at(i)));
    }

    QTemporaryDir dir;
    TParamModel m;
    TRecordingLink link;
    TPhoneIdentity identity;
    TConfig config{nullptr};
    std::unique_ptr<TFormProgress> progress;
    std::unique_ptr<TFormAONSetting> editor;
    QStringList questions, errors, warnings;
    bool answerYes = true;
    int saveDialogs = 0;
};

TEST_F(AONSetting, AsksForTheSelectedValueUntilItArrives)
{
    ASSERT_TRUE(editor->HasModel());
    ASSERT_TRUE(editor->SelectParam(12));
    EXPECT_EQ(link.requests, QList<quint16>{12});
    EXPECT_TRUE(editor->RepeatTimerActive());
    editor->TimerAskParameterTimer();
    editor->TimerAskParameterTimer();
    EXPECT_EQ(link.requests.count(12), 3);
    EXPECT_EQ(editor->StatusText(1), QStringLiteral("значение параметра определяется"));
    // An answer for another parameter stops the repeats and changes nothing.
    editor->ParamReceived(13, {1});
    EXPECT_FALSE(editor->RepeatTimerActive());
    EXPECT_EQ(findParam(m, 13)->State, pvQuerying);
    EXPECT_EQ(findParam(m, 12)->State, pvQuerying);
    // The editors still take the user's changes.
    editor->SpinEdit[0]->setValue(2);
    EXPECT_EQ(findParam(m, 12)->State, pvChanged);
    EXPECT_EQ(findParam(m, 12)->Values[0].Value, 2);
    EXPECT_TRUE(editor->Modified());
    // Off line the repeats stop and editing is locked.
    ASSERT_TRUE(editor->SelectParam(13));
    link.online = false;
    editor->PhoneStateChanged();
    EXPECT_FALSE(editor->RepeatTimerActive());
    EXPECT_EQ(editor->StatusText(1), QStringLiteral("изменение запрещено"));
    EXPECT_FALSE(editor->Panel[0]->isEnabled());
}

TEST_F(AONSetting, AnswersFillRadioButtonsAndBothCheckBoxPanels)
{
    ASSERT_TRUE(editor->SelectParam(13));
    editor->ParamReceived(13, {5});   // matches no option: not taken
    EXPECT_EQ(findParam(m, 13)->State, pvQuerying);
    editor->ParamReceived(13, {1});
    EXPECT_EQ(findParam(m, 13)->State, pvDefined);
    EXPECT_TRUE(editor->Panel[0]->isEnabled());

    ASSERT_TRUE(editor->SelectParam(16));
    editor->ParamReceived(16, {2, 16});
    ASSERT_EQ(editor->Flags[0].size(), 2);
    ASSERT_EQ(editor->Flags[1].size(), 2);
    EXPECT_FALSE(editor->Flags[0][0]->isChecked());
    EXPECT_TRUE(editor->Flags[0][1]->isChecked());
    EXPECT_FALSE(editor->Flags[1][0]->isChecked());
    EXPECT_TRUE(editor->Flags[1][1]->isChecked());
    EXPECT_EQ(findParam(m, 16)->Values[1].Value, 16);
    editor->Flags[1][0]->click();
    EXPECT_EQ(findParam(m, 16)->Values[1].Value, 17);
    EXPECT_EQ(findParam(m, 16)->State, pvChanged);
}

TEST_F(AONSetting, AnInvalidNumberKeepsTheUserAtTheField)
{
    ASSERT_TRUE(editor->SelectParam(12));
    editor->ParamReceived(12, {2});
    EXPECT_EQ(editor->SpinEdit[0]->minimum(), 1);
    EXPECT_EQ(editor->SpinEdit[0]->maximum(), 7);
    editor->SpinEdit[0]->setValue(5);
    EXPECT_TRUE(editor->InvalidValue());
    EXPECT_EQ(editor->SpinEdit[0]->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(findParam(m, 12)->Values[0].Value, 2);
    // Neither the selection nor the tab moves, and a command brings the last valid number back.
    editor->SelectParam(13);
    EXPECT_EQ(editor->SelectedParam()->Id, 12);
    editor->miSaveOnDisk->trigger();
    EXPECT_EQ(warnings, QStringList{TFormAONSetting::InvalidValueText});
    EXPECT_EQ(editor->SpinEdit[0]->value(), 2);
    EXPECT_FALSE(editor->InvalidValue());
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(AONSetting, SavingWithoutAProfileReadsTheRestThenSaves)
{
    ASSERT_TRUE(editor->SelectParam(13));
    editor->ParamReceived(13, {1});
    link.requests.clear();
    editor->miSaveOnDisk->trigger();
    ASSERT_EQ(questions, QStringList{TFormAONSetting::ReadRestQuestion});
    ASSERT_TRUE(progress->Running());
    EXPECT_EQ(progress->Transfer().Maximum(), 2);   // 13 is known already
    for (int i = 0; i < 3 && progress->Running(); ++i)
        answerRequests({{12, {3}}, {16, {1, 16}}});
    EXPECT_FALSE(progress->Running());
    EXPECT_EQ(saveDialogs, 1);
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("saved.AON"))).size(), 3 * 12);
    EXPECT_EQ(editor->ProfileSource(), srcFile);
    EXPECT_EQ(editor->PendingCommand(), nullptr);

    // A second save writes the same file without a dialog.
    editor->miSaveOnDisk->trigger();
    EXPECT_EQ(saveDialogs, 1);
}

TEST_F(AONSetting, ClosingAsksOnlyForAChangedCompleteProfile)
{
    ASSERT_TRUE(editor->SelectParam(12));
    editor->ParamReceived(12, {2});
    editor->SpinEdit[0]->setValue(3);
    answerYes = false;
    editor->close();
    EXPECT_TRUE(questions.isEmpty());

    editor->show();
    QCoreApplication::processEvents();
    link.requests.clear();
    editor->miLoadFromAON->trigger();
    answerRequests({{12, {1}}, {13, {0}}, {16, {0, 0}}});
    ASSERT_EQ(editor->ProfileSource(), srcPhone);
    EXPECT_EQ(findParam(m, 16)->State, pvDefined);
    ASSERT_TRUE(editor->SelectParam(12));
    editor->SpinEdit[0]->setValue(7);
    editor->close();
    EXPECT_EQ(questions, QStringList{TFormAONSetting::ModifiedQuestion});
}

TEST_F(AONSetting, TreeWidthAndWindowStateAreKept)
{
    EXPECT_EQ(editor->Splitter->sizes().value(0), 220);
    editor->Splitter->setSizes({260, editor->Splitter->width() - 260});
    editor->close();
    EXPECT_EQ(config.TreeWidth, 260);
    EXPECT_EQ(config.AONSettingState, 0);
}

TEST_F(AONSetting, WritingTheSelectedParameterSendsItAndMarksItKnown)
{
    ASSERT_TRUE(editor->SelectParam(16));
    editor->ParamReceived(16, {1, 0});
    editor->Flags[0][1]->click();
    editor->miSaveInAON1->trigger();
    ASSERT_EQ(link.writes.size(), 1);
    EXPECT_EQ(link.writes[0].second, (QList<quint16>{3, 0}));
    EXPECT_EQ(findParam(m, 16)->State, pvDefined);
    // Writing all without a profile sends only what the user changed.
    editor->Flags[1][1]->click();
    editor->miSaveInAON->trigger();
    EXPECT_EQ(link.writes.size(), 2);
    EXPECT_EQ(link.writes[1].second, (QList<quint16>{3, 16}));
}

TEST_F(AONSetting, ProfileLoadingWritesTheFileAndWhatWasKnownBefore)
{
    ASSERT_TRUE(editor->SelectParam(13));
    editor->ParamReceived(13, {1});   // read in an earlier use of the editor
    editor->hide();
    TProfileRecord r;
    r.ParamId = 16;
    r.Count = 2;
    r.Value1 = 3;
    r.Value2 = 17;
    TProfileRecord unknown;
    unknown.ParamId = 99;
    unknown.Count = 1;
    const QString file = dir.filePath(QStringLiteral("load.AON"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(r.ToBytes() + unknown.ToBytes());
    f.close();
    editor->LoadProfileIntoPhone(file);
    ASSERT_EQ(link.writes.size(), 2);
    EXPECT_EQ(link.writes[0].first, 16);
    EXPECT_EQ(link.writes[0].second, (QList<quint16>{3, 17}));
    EXPECT_EQ(link.writes[1].first, 13);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(errors.isEmpty());
    // Off line the write stops with the link error.
    link.online = false;
    editor->LoadProfileIntoPhone(file);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Нет связи с телефоном")});
    editor->LoadProfileIntoPhone(dir.filePath(QStringLiteral("missing.AON")));
    EXPECT_EQ(errors.size(), 2);
}

} // namespace
