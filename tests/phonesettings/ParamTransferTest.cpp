// The bulk transfer: the read paced by answers and repeats, the write order
// and what each mode sends, Cancel, and what reaches the model at the end.
#include "ParamTestSupport.h"
#include "phonesettings/TParamTransfer.h"
#include <gtest/gtest.h>

namespace {

// Tab A (module 0) with parameters 1..3, tab B (module 2) with 4 and 5; a
// description-only entry in A.
const char *Two = "[A]\n<0a\nID=1\nNAME=p1\n{\nTYPE=SET\n* n\nRANGE=0\n}\n<0i\nID=0\n'info'\n"
                  "<0b\nID=2\nNAME=p2\n{\nTYPE=GROUP\n* 0>off\n* 1>on }\n{\nTYPE=SET\n* n\nRANGE=0\n}\n"
                  "<0c\nID=3\nNAME=p3\n{\nTYPE=SET\n* n\nRANGE=0\n}\n"
                  "[B]\nMODULE=2\n<0d\nID=4\nNAME=p4\n{\nTYPE=SET\n* n\nRANGE=0\n}\n"
                  "<0e\nID=5\nNAME=p5\n{\nTYPE=SET\n* n\nRANGE=0\n}\n'last'\n";

class Transfer : public ::testing::Test {
protected:
    Transfer() : m(model(Two)), t(m, link, timer)
    {
        t.OnDone = [this](TTransferResult r) { results << r; };
        t.OnProgress = [this](int p, int max, const TParam *) { positions << QPair<int, int>(p, max); };
    }
    void answer(quint16 id, QList<quint16> v) { t.ParamAnswer(id, v); }
    // Ticks until the current record is given up.
    void silent()
    {
        for (int i = 0; i <= TParamTransfer::RepeatLimit; ++i)
            t.TimerTick();
    }
    TParamModel m;
    TRecordingLink link;
    TManualTimer timer;
    TParamTransfer t;
    QList<TTransferResult> results;
    QList<QPair<int, int>> positions;
};

TEST_F(Transfer, ReadAsksEveryPresentParameterUpToElevenTimesAndAppliesAtTheEnd)
{
    m.Groups[1]->ModulePresent = false;
    t.StartTransfer(ptmRead);
    EXPECT_EQ(t.Maximum(), 3);
    EXPECT_EQ(link.requests, QList<quint16>{1});
    EXPECT_TRUE(timer.active);
    EXPECT_EQ(timer.interval, 500);
    answer(1, {7});
    silent();   // parameter 2 never answers
    EXPECT_EQ(link.requests.count(2), 11);
    answer(3, {9, 4});
    ASSERT_EQ(results, QList<TTransferResult>{tdDone});
    EXPECT_FALSE(timer.active);
    // Nothing reaches the model before ApplyReadValues.
    EXPECT_EQ(findParam(m, 1)->State, pvQuerying);
    t.ApplyReadValues();
    EXPECT_EQ(findParam(m, 1)->Values[0].Value, 7);
    EXPECT_EQ(findParam(m, 1)->State, pvDefined);
    EXPECT_EQ(findParam(m, 2)->State, pvQuerying);
    EXPECT_EQ(findParam(m, 3)->Values.size(), 2);
    EXPECT_EQ(findParam(m, 4)->State, pvQuerying);
    EXPECT_EQ(positions.last(), (QPair<int, int>(3, 3)));
}

TEST_F(Transfer, ReadEndingInSilenceReportsNoAnswerOrNoLink)
{
    t.StartTransfer(ptmRead);
    for (quint16 id : {1, 2, 3, 4})
        answer(id, {1});
    silent();
    EXPECT_EQ(results, QList<TTransferResult>{tdNoAnswer});

    t.StartTransfer(ptmRead);
    answer(1, {1});
    link.online = false;   // each remaining record is given up at its next tick
    for (int i = 0; i < 4; ++i)
        t.TimerTick();
    EXPECT_EQ(results.last(), tdNoLink);
    EXPECT_EQ(link.requests.count(2), 2);
}

TEST_F(Transfer, OnlyMissingAndLateAnswers)
{
    findParam(m, 1)->State = pvDefined;
    findParam(m, 4)->State = pvChanged;
    t.StartTransfer(ptmRead, true);
    EXPECT_EQ(t.Maximum(), 3);
    // The phone answered parameter 2 twice: the second answer is not parameter 3's value.
    answer(2, {1, 5});
    answer(2, {1, 5});
    EXPECT_EQ(t.Position(), 1);
    answer(3, {8});
    EXPECT_EQ(t.ReadList().at(1).Value1, 8);
    t.Cancel();
    EXPECT_EQ(results, QList<TTransferResult>{tdCancelled});
    EXPECT_FALSE(timer.active);
    // An empty list ends at once.
    for (const auto &g : m.Groups)
        for (const auto &p : g->Params)
            if (p->Id)
                p->State = pvDefined;
    t.StartTransfer(ptmRead, true);
    EXPECT_EQ(results.last(), tdDone);
}

TEST_F(Transfer, AnAnswerIsTheCurrentParametersUnlessItsNumberWasTakenBefore)
{
    t.StartTransfer(ptmRead);
    answer(1, {7});
    answer(1, {7});   // the phone answered a repeat as well: not parameter 2's value
    EXPECT_EQ(t.Position(), 1);
    answer(77, {1, 6});   // parameter 2 answered under another number
    EXPECT_EQ(t.Position(), 2);
    EXPECT_EQ(t.ReadList().at(1).Value2, 6);
    answer(77, {1, 6});
    EXPECT_EQ(t.Position(), 2);
    EXPECT_EQ(link.requests.count(2), 1);
}

TEST_F(Transfer, WritesGoFromTheLastGroupToTheFirst)
{
    for (qint32 id : {1, 2, 4, 5})
        findParam(m, id)->State = pvDefined;
    findParam(m, 2)->State = pvChanged;
    findParam(m, 5)->State = pvChanged;
    m.Groups[1]->ModulePresent = false;   // an absent module's known values are written too
    t.StartTransfer(ptmWriteKnown);
    QList<qint32> order;
    for (const auto &w : link.writes)
        order << w.first;
    EXPECT_EQ(order, (QList<qint32>{5, 4, 2, 1}));
    EXPECT_EQ(findParam(m, 5)->State, pvDefined);
    EXPECT_EQ(t.Maximum(), 6);
    EXPECT_EQ(t.Position(), 6);
    EXPECT_EQ(results, QList<TTransferResult>{tdDone});

    link.writes.clear();
    findParam(m, 2)->State = pvChanged;
    findParam(m, 3)->State = pvChanged;
    t.StartTransfer(ptmWriteChanged);
    EXPECT_EQ(link.writes.size(), 2);
    EXPECT_EQ(t.Position(), 6);
}

TEST_F(Transfer, WriteStopsWhereThePhoneIsOffLine)
{
    for (qint32 id : {1, 2, 3, 4, 5})
        findParam(m, id)->State = pvChanged;
    struct FailingLink : TRecordingLink {
        int left = 2;
        bool SaveParamInAON(const TParam &p) override
        {
            online = left-- > 0;
            return TRecordingLink::SaveParamInAON(p);
        }
    } failing;
    TParamTransfer w(m, failing, timer);
    TTransferResult result = tdDone;
    w.OnDone = [&](TTransferResult r) { result = r; };
    w.StartTransfer(ptmWriteChanged);
    EXPECT_EQ(result, tdNoLink);
    EXPECT_EQ(failing.writes.size(), 2);
    EXPECT_EQ(findParam(m, 5)->State, pvDefined);
    EXPECT_EQ(findParam(m, 4)->State, pvDefined);
    EXPECT_EQ(findParam(m, 3)->State, pvChanged);
}

} // namespace
