#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "search/TCallSearch.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
TDateTime at(int y, int m, int day, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(y, m, day), QTime(h, mi, s, ms)));
}

TDateTime seconds(int s)
{
    return TDateTime(s / 86400.0);
}

class Search : public ::testing::Test {
protected:
    qint64 addIn(const QString &phone, TDateTime time, int lengthSeconds, uint8_t category = 1)
    {
        TInCall c;
        c.Phone = phone;
        c.Time = time;
        c.Length = seconds(lengthSeconds);
        c.Category = category;
        return in.AddCall(c);
    }
    qint64 addOut(const QString &phone, uint8_t attributes)
    {
        TOutCall c;
        c.Phone = phone;
        c.Time = at(2008, 5, 1, 10);
        c.Attributes = attributes;
        return out.AddCall(c);
    }
    static QList<qint64> ids(const QList<TFoundRow> &rows)
    {
        QList<qint64> r;
        for (const TFoundRow &f : rows)
            r << f.Id;
        return r;
    }
    QList<qint64> search(const TCallCriteria &c)
    {
        TRecordTable &table = c.Kind == ckIncoming ? static_cast<TRecordTable &>(in) : out;
        // The indexed search finds exactly what the filter text alone finds.
        const QList<qint64> byFilter = ids(TCallSearch::SearchCalls(table, TCallSearch::BuildCallFilter(c)));
        const QList<qint64> indexed = ids(TCallSearch::SearchCalls(table, c));
        EXPECT_EQ(indexed, byFilter) << TCallSearch::BuildCallFilter(c).toStdString();
        return indexed;
    }

    QTemporaryDir tmp;
    TIncomingCallBook in{tmp.filePath("InCalls")};
    TOutgoingCallBook out{tmp.filePath("OutCalls")};
    TAddressBook book{tmp.filePath("AddressBook")};
};
}

TEST_F(Search, NoConditionListsEveryRowInTheJournalsOrder)
{
    const qint64 a = addIn("111", at(2008, 5, 2), 10);
    const qint64 b = addIn("222", at(2008, 5, 1), 10);
    const qint64 c = addIn("333", at(2008, 5, 3), 10);
    in.SortBy("Time");   // newest first
    TCallCriteria none;
    none.NumberOn = false;
    const QList<TFoundRow> rows = TCallSearch::SearchCalls(in, none);
    EXPECT_EQ(ids(rows), (QList<qint64>{c, a, b}));
    EXPECT_EQ(rows.first().Text, QStringLiteral("333 - 03.05.2008 0:00:00"));
    // A ticked number box with nothing typed adds no condition either.
    none.NumberOn = true;
    EXPECT_EQ(TCallSearch::BuildCallFilter(none), QString());
}

TEST_F(Search, LengthBoundsAndFiveMinutesExactly)
{
    const qint64 exact = addIn("1", at(2008, 5, 1), 300);
    const qint64 longer = addIn("2", at(2008, 5, 1), 301);
    const qint64 shorter = addIn("3", at(2008, 5, 1), 299);
    TCallCriteria c;
    c.NumberOn = false;
    c.LengthOn = true;
    c.LengthLess = true;
    EXPECT_EQ(search(c), (QList<qint64>{exact, shorter}));
    c.LengthLess = false;
    EXPECT_EQ(search(c), (QList<qint64>{longer}));
}

TEST_F(Search, PeriodIncludesItsBoundsAndAnOpenEnd)
{
    const qint64 first = addIn("1", at(2008, 2, 1), 1);
    const qint64 last = addIn("1", at(2008, 2, 29, 23, 59, 59, 999), 1);
    addIn("1", at(2008, 3, 1), 1);
    addIn("1", at(2008, 1, 31, 23, 59, 59, 999), 1);
    TCallCriteria c;
    c.Period = {at(2008, 2, 1), at(2008, 2, 29, 23, 59, 59, 999), pkMonth};
    EXPECT_EQ(search(c).size(), 2);
    EXPECT_EQ(search(c), (QList<qint64>{first, last}));
    c.Period = {at(2008, 2, 1), TDateTime(TPeriod::Unlimited), pkInterval};
    EXPECT_EQ(search(c).size(), 3);
}

TEST_F(Search, NumberPrefixCategoryAndLiteralText)
{
    const qint64 a = addIn("1234", at(2008, 5, 1), 1, 1);
    const qint64 b = addIn("12", at(2008, 5, 1), 1, 2);
    addIn("312", at(2008, 5, 1), 1, 1);
    addIn("13", at(2008, 5, 1), 1, 1);
    addIn("1", at(2008, 5, 1), 1, 1);
    const qint64 quote = addIn("1' OR '1'='1", at(2008, 5, 1), 1);
    const qint64 percent = addIn("50%_x", at(2008, 5, 1), 1);
    const qint64 keywords = addIn("SELECT * FROM InCalls; DROP TABLE InCalls", at(2008, 5, 1), 1);
    TCallCriteria c;
    c.Number = "12*";
    EXPECT_EQ(search(c), (QList<qint64>{a, b}));
    c.CategoryOn = true;
    c.Category = 2;
    EXPECT_EQ(search(c), (QList<qint64>{b}));
    // The outgoing journal has no category: the condition is left out there.
    c.Kind = ckOutgoing;
    EXPECT_FALSE(TCallSearch::BuildCallFilter(c).contains("Category"));

    TCallCriteria literal;
    literal.Number = "1' OR '1'='1";
    EXPECT_EQ(search(literal), (QList<qint64>{quote}));
    literal.Number = "50%_x";
    EXPECT_EQ(search(literal), (QList<qint64>{percent}));
    literal.Number = "50%";   // no wildcard but "*"
    EXPECT_TRUE(search(literal).isEmpty());
    literal.Number = "select * from incalls; drop table incalls";
    EXPECT_EQ(search(literal), (QList<qint64>{keywords}));
    literal.Number = "p12e*";   // letters compare ignoring case
    const qint64 letters = addIn("P12E5", at(2008, 5, 1), 1);
    EXPECT_EQ(search(literal), (QList<qint64>{letters}));
    EXPECT_EQ(in.totalCount(), 9);
}

TEST_F(Search, LeavesTheFilterTextSetAndFilteringOff)
{
    addIn("1", at(2008, 5, 1), 1);
    const qint64 current = addIn("2", at(2008, 5, 1), 1);
    in.setFilter("Phone = '1'");
    in.setFiltered(true);
    TCallCriteria c;
    c.Number = "2";
    EXPECT_EQ(search(c), (QList<qint64>{current}));
    EXPECT_FALSE(in.filtered());
    EXPECT_EQ(in.filter(), QStringLiteral("Phone = '2'"));
    EXPECT_EQ(in.recordCount(), 2);
    in.setFiltered(true);
    EXPECT_EQ(in.recordCount(), 1);
}

TEST_F(Search, PlaceMatchesTheWholeAttributeValue)
{
    const qint64 vrx = addOut("1", 1);
    const qint64 parallel = addOut("2", 2);
    addOut("3", 1 | 8);
    TCallCriteria c;
    c.Kind = ckOutgoing;
    c.NumberOn = false;
    c.PlaceOn = true;
    EXPECT_EQ(search(c), (QList<qint64>{vrx}));
    c.PlaceParallel = true;
    EXPECT_EQ(search(c), (QList<qint64>{parallel}));
    // Incoming-only conditions do not reach the outgoing journal.
    c.Message = true;
    c.AutoAnswer = true;
    EXPECT_EQ(search(c), (QList<qint64>{parallel}));
}

TEST_F(Search, AddressBookKeywords)
{
    const qint64 petrov = book.AddPerson("111", "Петров Иван", 0, "ул. Ленина", "", "", 0, false);
    book.AddPerson("222", "Иванов Павел", 0, "", "", "", 0, false);
    const qint64 sidorov = book.AddPerson("333", "СИДОРОВ Пётр", 0, "Невский пр.", "оптовик\r\nзвонить утром", "", 0, false);
    auto find = [&](const TAddressCriteria &c) {
        QList<qint64> r;
        for (const TFoundRow &f : TCallSearch::SearchAddressBook(book, c))
            r << f.Id;
        return r;
    };
    EXPECT_EQ(find({"", "иван петр", "", ""}), (QList<qint64>{petrov}));
    EXPECT_EQ(find({"", "  ПЁТР   сидоров ", "", ""}), (QList<qint64>{sidorov}));
    EXPECT_EQ(find({"", "", "невский", "утром"}), (QList<qint64>{sidorov}));
    EXPECT_TRUE(find({"", "петр", "ленина", "утром"}).isEmpty());
    EXPECT_EQ(TCallSearch::SearchAddressBook(book, {"111", "", "", ""}).value(0).Text,
              QStringLiteral("111 - Петров Иван"));
    // A search by number leaves the book unfiltered and without a filter text.
    EXPECT_EQ(find({"3*", "", "", ""}), (QList<qint64>{sidorov}));
    EXPECT_FALSE(book.filtered());
    EXPECT_TRUE(book.filter().isEmpty());
    EXPECT_EQ(book.recordCount(), 3);
}

TEST(SearchText, ClipboardLinesEndInCrLf)
{
    EXPECT_EQ(TCallSearch::ClipboardText({"a", "b"}), QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(TCallSearch::Quoted("it's"), QStringLiteral("'it''s'"));
}
