// The journals and the address book as the program uses them: order, current row,
// deleting with files, clearing under a filter, information fields, the grid model.
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TRecordTableModel.h"
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class Journals : public ::testing::Test {
protected:
    QString base(const char *name) const { return QDir(FTmp.path()).filePath(QStringLiteral("Data/") + QLatin1String(name)); }
    QString file(const char *name) const
    {
        const QString p = QDir(FTmp.path()).filePath(QLatin1String(name));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write("RIFF");
        return p;
    }
    static TInCall in(const QString &phone, double time, double seconds = 60)
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(seconds / 86400);
        c.Category = 1;
        return c;
    }
    static QStringList phones(TRecordTable &t)
    {
        QStringList list;
        t.first();
        while (!t.eof()) {
            list << t.fieldValue(QStringLiteral("Phone")).toString();
            t.next();
        }
        return list;
    }
    QTemporaryDir FTmp;
};
}

TEST_F(Journals, AddCallReturnsTheKeyMakesTheRowCurrentAndStoresEveryField)
{
    TIncomingCallBook j(base("InCalls"));
    TInCall c = in(QStringLiteral("2345678"), 46000.25, 83);
    c.Category = 200;
    c.AutoAnswer = true;
    c.FileName = QStringLiteral("/r/In_1.wav");
    c.MessageFileName = QStringLiteral("+");
    c.Field_3 = QStringLiteral("Заметка");
    c.Field_8 = TDateTime(46001.5);
    const qint64 id = j.AddCall(c);
    j.AddCall(in(QStringLiteral("1"), 46000.1));
    const qint64 third = j.AddCall(in(QStringLiteral("2"), 46000.2));
    EXPECT_EQ(j.currentKey(), third);
    ASSERT_TRUE(j.FindCall(id));
    const QVariantList row = j.currentRow();
    ASSERT_EQ(row.size(), 17);
    EXPECT_EQ(row.at(1).toString(), QStringLiteral("2345678"));
    EXPECT_EQ(row.at(2).toInt(), 200);
    EXPECT_DOUBLE_EQ(row.at(3).toDouble(), 46000.25);
    EXPECT_EQ(TDateTime(row.at(4).toDouble()).secondsOfDay(), 83);
    EXPECT_EQ(row.at(5).toInt(), 1);
    EXPECT_EQ(row.at(6).toString(), QStringLiteral("/r/In_1.wav"));
    EXPECT_EQ(row.at(7).toString(), QStringLiteral("+"));
    EXPECT_EQ(row.at(10).toString(), QStringLiteral("Заметка"));
    EXPECT_DOUBLE_EQ(row.at(15).toDouble(), 46001.5);
    EXPECT_EQ(row.at(16), QVariant(qint64(0)));   // not hung up
    EXPECT_FALSE(j.FindCall(9999));
}

TEST_F(Journals, SortByTimeListsNewestFirstAndIgnoredNamesKeepTheOrder)
{
    TIncomingCallBook j(base("InCalls"));
    j.AddCall(in(QStringLiteral("b"), 46000.2, 30));
    j.AddCall(in(QStringLiteral("c"), 46000.3, 10));
    j.AddCall(in(QStringLiteral("a"), 46000.1, 20));
    EXPECT_EQ(phones(j), QStringList({"b", "c", "a"}));   // stored order
    EXPECT_TRUE(j.SortBy(QStringLiteral("Time")));
    EXPECT_EQ(phones(j), QStringList({"c", "b", "a"}));
    EXPECT_FALSE(j.SortBy(QStringLiteral("FileName")));
    EXPECT_FALSE(j.SortBy(QStringLiteral("Field_2")));
    EXPECT_FALSE(j.SortBy(QStringLiteral("Nonsense\"; DROP TABLE InCalls; --")));
    EXPECT_EQ(j.sortField(), QStringLiteral("Time"));
    EXPECT_EQ(phones(j), QStringList({"c", "b", "a"}));
    j.SortBy(QStringLiteral("Length"));
    EXPECT_EQ(phones(j), QStringList({"b", "a", "c"}));   // longest first
    j.SortBy(QStringLiteral("Phone"));
    EXPECT_EQ(phones(j), QStringList({"a", "b", "c"}));
    // New and changed rows take their place in the order.
    j.AddCall(in(QStringLiteral("ab"), 46000.05));
    EXPECT_EQ(phones(j), QStringList({"a", "ab", "b", "c"}));
    j.SortBy(QStringLiteral("Time"));
    const qint64 newest = j.AddCall(in(QStringLiteral("z"), 46000.9));
    EXPECT_EQ(j.recNo(), 0);
    EXPECT_EQ(j.currentKey(), newest);
    j.UpdateFields(newest, QStringLiteral("z"), {}, TDateTime());
    EXPECT_EQ(phones(j).first(), QStringLiteral("z"));
    EXPECT_EQ(j.newestCall(), newest);
    // The address book ignores only the icon column's empty name.
    TAddressBook book(base("AddressBook"));
    book.AddPerson(QStringLiteral("2"), QStringLiteral("Яков"), 0, {}, {}, {}, -1, false);
    book.AddPerson(QStringLiteral("1"), QStringLiteral("Андрей"), 0, {}, {}, {}, -1, false);
    EXPECT_TRUE(book.SortBy(QStringLiteral("Name")));
    EXPECT_FALSE(book.SortBy(QString()));
    EXPECT_EQ(phones(book), QStringList({"1", "2"}));
}

TEST_F(Journals, FindPhoneMatchesExactlyAndAllQuestionMarksFindTheUndefinedNumber)
{
    TAddressBook book(base("AddressBook"));
    book.setRegionalNumberLength(5);
    const qint64 undefined = book.AddPerson(QStringLiteral("?????"), QStringLiteral("Неизвестный"), 0, {}, {}, {}, -1, false);
    book.AddPerson(QStringLiteral("???"), QStringLiteral("Короткий"), 0, {}, {}, {}, -1, false);
    const qint64 mixed = book.AddPerson(QStringLiteral("12?45"), QStringLiteral("Смешанный"), 0, {}, {}, {}, -1, false);
    const qint64 ivanov = book.AddPerson(QStringLiteral("1234567"), QStringLiteral("Иванов"), 37, {}, {}, {}, -1, false);

    for (const char *q : {"", "?", "???", "??????????"}) {
        book.first();
        ASSERT_TRUE(book.FindPhone(QLatin1String(q))) << q;
        EXPECT_EQ(book.currentKey(), undefined) << q;
    }
    ASSERT_TRUE(book.FindPhone(QStringLiteral("12?45")));
    EXPECT_EQ(book.currentKey(), mixed);
    ASSERT_TRUE(book.FindPhone(QStringLiteral("1234567")));
    EXPECT_EQ(book.currentKey(), ivanov);
    EXPECT_EQ(book.CurrentAttributes(), 37);
    EXPECT_FALSE(book.FindPhone(QStringLiteral("123456")));   // whole value only
    EXPECT_EQ(book.currentKey(), ivanov);                    // a miss leaves the current row
    book.setRegionalNumberLength(7);
    EXPECT_FALSE(book.FindPhone(QString()));

    EXPECT_TRUE(book.UpdatePerson(ivanov, QStringLiteral("7654321"), QStringLiteral("Иванов И."), 8, QStringLiteral("Москва"),
                                  QStringLiteral("заметки"), QStringLiteral("/s/ring.wav"), 40, true));
    EXPECT_FALSE(book.UpdatePerson(12345, QStringLiteral("1"), {}, 0, {}, {}, {}, -1, false));
    ASSERT_TRUE(book.FindPhone(QStringLiteral("7654321")));
    EXPECT_EQ(book.fieldValue(QStringLiteral("Address")).toString(), QStringLiteral("Москва"));
    EXPECT_EQ(book.fieldValue(QStringLiteral("Volume")).toInt(), 40);
    EXPECT_EQ(book.fieldValue(QStringLiteral("Creschendo")).toInt(), 1);
    EXPECT_FALSE(book.FindPhone(QStringLiteral("1234567")));
    book.DeleteCurrent();
    EXPECT_FALSE(book.FindPerson(ivanov));
}

TEST_F(Journals, NameOfPhoneFindsWhatFindPhoneWouldWithoutMovingTheCurrentRow)
{
    TAddressBook book(base("AddressBook"));
    book.SortBy(QStringLiteral("Name"));
    book.AddPerson(QStringLiteral("5551234"), QStringLiteral("Яковлев"), 0, {}, {}, {}, -1, false);
    book.AddPerson(QStringLiteral("5551234"), QStringLiteral("Андреев"), 0, {}, {}, {}, -1, false);
    book.AddPerson(QStringLiteral("???????"), QStringLiteral("Неизвестный"), 0, {}, {}, {}, -1, false);
    const qint64 other = book.AddPerson(QStringLiteral("1"), {}, 0, {}, {}, {}, -1, false);
    ASSERT_TRUE(book.FindPerson(other));
    QSignalSpy moved(&book, &TRecordTable::currentChanged);

    // The first in the current order, as FindPhone takes it.
    EXPECT_EQ(book.NameOfPhone(QStringLiteral("5551234")), QStringLiteral("Андреев"));
    EXPECT_EQ(book.NameOfPhone(QStringLiteral("?")), QStringLiteral("Неизвестный"));
    EXPECT_EQ(book.NameOfPhone(QStringLiteral("1")), QString());
    EXPECT_EQ(book.NameOfPhone(QStringLiteral("2")), QString());
    // A filter that hides the subscriber still leaves his name to the lookup.
    book.setFilter(QStringLiteral("Phone = '1'"));
    book.setFiltered(true);
    EXPECT_EQ(book.NameOfPhone(QStringLiteral("5551234")), QStringLiteral("Яковлев"));
    EXPECT_EQ(book.currentKey(), other);
    EXPECT_EQ(moved.size(), 0);
}

TEST_F(Journals, DeleteCurrentWithFilesRemovesOnlyRealFiles)
{
    TIncomingCallBook j(base("InCalls"));
    const QString talk = file("In_talk.wav");
    const QString message = file("In_msg.wav");
    const QString other = file("In_other.wav");
    TInCall c = in(QStringLiteral("1"), 46000);
    c.FileName = QStringLiteral("+");
    c.MessageFileName = other;
    const qint64 plus = j.AddCall(c);
    c.FileName = talk;
    c.MessageFileName = message;
    const qint64 real = j.AddCall(c);
    c.FileName = QDir(FTmp.path()).filePath(QStringLiteral("gone.wav"));
    c.MessageFileName.clear();
    const qint64 gone = j.AddCall(c);

    ASSERT_TRUE(j.FindCall(real));
    j.DeleteCurrent(true);
    EXPECT_FALSE(QFile::exists(talk));
    EXPECT_FALSE(QFile::exists(message));
    EXPECT_EQ(j.currentKey(), gone);   // the next row becomes current
    j.DeleteCurrent(true);             // its file no longer exists: only the row goes
    EXPECT_EQ(j.recordCount(), 1);
    ASSERT_TRUE(j.FindCall(plus));
    j.DeleteCurrent(false);
    EXPECT_TRUE(QFile::exists(other));
    EXPECT_TRUE(j.isEmpty());
    EXPECT_EQ(j.currentKey(), 0);

    TOutgoingCallBook out(base("OutCalls"));
    const QString outTalk = file("Out_talk.wav");
    TOutCall o;
    o.Phone = QStringLiteral("2");
    o.FileName = outTalk;
    out.AddCall(o);
    out.DeleteCurrent(true);
    EXPECT_FALSE(QFile::exists(outTalk));
}

TEST_F(Journals, ClearingUnderAFilterRemovesOnlyTheFilteredRowsAndTheirFiles)
{
    TIncomingCallBook j(base("InCalls"));
    const QString keep = file("keep.wav");
    const QString drop = file("drop.wav");
    TInCall c = in(QStringLiteral("1234567"), 46000);
    c.FileName = keep;
    const qint64 kept = j.AddCall(c);
    for (int i = 0; i < 5; ++i) {
        TInCall d = in(QStringLiteral("89%1").arg(i), 46000 + i);
        if (i == 0)
            d.FileName = drop;
        j.AddCall(d);
    }
    j.setFilter(QStringLiteral("Phone = '89*'"));
    j.setFiltered(true);
    EXPECT_EQ(j.recordCount(), 5);
    EXPECT_EQ(j.ClearCalls(), 5);
    EXPECT_TRUE(j.isEmpty());
    EXPECT_FALSE(QFile::exists(drop));
    EXPECT_TRUE(QFile::exists(keep));
    j.setFiltered(false);
    EXPECT_EQ(j.recordCount(), 1);
    EXPECT_EQ(j.currentKey(), kept);
    // Without a filter everything goes, and keys are not reused afterwards.
    EXPECT_EQ(j.ClearCalls(), 1);
    EXPECT_GT(j.AddCall(in(QStringLiteral("1"), 46010)), kept + 5);
}

TEST_F(Journals, UpdateFieldsWritesOnlyTheTaggedFieldsAndTheReminder)
{
    TIncomingCallBook j(base("InCalls"));
    TInCall c = in(QStringLiteral("?"), 46000);
    for (QString *f : {&c.Field_1, &c.Field_2, &c.Field_3, &c.Field_4, &c.Field_5, &c.Field_6, &c.Field_7})
        *f = QStringLiteral("old");
    const qint64 id = j.AddCall(c);
    QSignalSpy updated(&j, &TCallBook::fieldsUpdated);
    j.UpdateFields(id, QStringLiteral("1234567"),
                   {{2, QStringLiteral("два")}, {9, QStringLiteral("skipped")}, {5, QStringLiteral("пять")}},
                   TDateTime(46003.5));
    EXPECT_EQ(updated.count(), 1);
    ASSERT_TRUE(j.FindCall(id));
    QVariantList r = j.currentRow();
    EXPECT_EQ(r.at(1).toString(), QStringLiteral("1234567"));
    QStringList fields;
    for (int i = 8; i <= 14; ++i)
        fields << r.at(i).toString();
    EXPECT_EQ(fields, QStringList({"old", "два", "old", "old", "пять", "old", "old"}));
    EXPECT_DOUBLE_EQ(r.at(15).toDouble(), 46003.5);
    // An empty list changes only the number; an unknown key changes nothing.
    j.UpdateFields(id, QStringLiteral("7"), {}, TDateTime(46009));
    r = j.currentRow();
    EXPECT_EQ(r.at(1).toString(), QStringLiteral("7"));
    EXPECT_DOUBLE_EQ(r.at(15).toDouble(), 46003.5);
    j.UpdateFields(id + 100, QStringLiteral("x"), {{1, QStringLiteral("y")}}, TDateTime());
    EXPECT_EQ(updated.count(), 2);

    // A row hidden by the filter still takes the notes written for it.
    j.setFilter(QStringLiteral("Phone = '9*'"));
    j.setFiltered(true);
    j.UpdateFields(id, QStringLiteral("7"), {{1, QStringLiteral("скрытая")}}, TDateTime());
    j.setFiltered(false);
    ASSERT_TRUE(j.FindCall(id));
    EXPECT_EQ(j.fieldValue(QStringLiteral("Field_1")).toString(), QStringLiteral("скрытая"));
    EXPECT_TRUE(j.fieldValue(QStringLiteral("Field_8")).isNull());

    TOutgoingCallBook out(base("OutCalls"));
    TOutCall o;
    o.Phone = QStringLiteral("55");
    const qint64 oid = out.AddCall(o);
    out.UpdateFields(oid, {{7, QStringLiteral("семь")}}, TDateTime(46005));
    ASSERT_TRUE(out.FindCall(oid));
    EXPECT_EQ(out.fieldValue(QStringLiteral("Field_7")).toString(), QStringLiteral("семь"));
    EXPECT_EQ(out.fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("55"));
}

TEST_F(Journals, ReplacingFileNamesMovesTheRowToANewKeyWithEveryOtherValue)
{
    TIncomingCallBook j(base("InCalls"));
    TInCall c = in(QStringLiteral("3333333"), 46000.5, 42);
    c.FileName = QStringLiteral("+");
    c.MessageFileName = QStringLiteral("+");
    c.Field_4 = QStringLiteral("четыре");
    const qint64 old = j.AddCall(c);
    const qint64 other = j.AddCall(in(QStringLiteral("1"), 46001));
    const qint64 now = j.ReplaceFileNames(old, QStringLiteral("/r/In_a.wav"), QString());
    EXPECT_GT(now, other);
    EXPECT_FALSE(j.FindCall(old));
    ASSERT_TRUE(j.FindCall(now));
    EXPECT_EQ(j.fieldValue(QStringLiteral("FileName")).toString(), QStringLiteral("/r/In_a.wav"));
    EXPECT_TRUE(j.fieldValue(QStringLiteral("MessageFileName")).isNull());
    EXPECT_EQ(j.fieldValue(QStringLiteral("Field_4")).toString(), QStringLiteral("четыре"));
    EXPECT_DOUBLE_EQ(j.fieldValue(QStringLiteral("Time")).toDouble(), 46000.5);
    EXPECT_EQ(j.recordCount(), 2);
    EXPECT_EQ(j.ReplaceFileNames(old, QStringLiteral("x"), QString()), 0);
}

TEST_F(Journals, NavigationBookmarksAndHeldBackNotifications)
{
    TOutgoingCallBook j(base("OutCalls"));
    QList<qint64> keys;
    for (int i = 0; i < 5; ++i) {
        TOutCall o;
        o.Phone = QString::number(i);
        o.Time = TDateTime(46000 + i);
        keys << j.AddCall(o);
    }
    j.SortBy(QStringLiteral("Time"));
    j.first();
    EXPECT_EQ(j.currentKey(), keys[4]);
    EXPECT_FALSE(j.eof());
    j.setRecNo(2);
    const auto mark = j.bookmark();
    j.last();
    EXPECT_EQ(j.currentKey(), keys[0]);
    j.next();
    EXPECT_TRUE(j.eof());
    EXPECT_TRUE(j.gotoBookmark(mark));
    EXPECT_EQ(j.recNo(), 2);
    EXPECT_EQ(j.currentKey(), keys[2]);

    QSignalSpy changed(&j, &TRecordTable::changed);
    QSignalSpy moved(&j, &TRecordTable::currentChanged);
    j.disableControls();
    j.disableControls();
    j.DeleteCurrent(false);
    TOutCall o;
    o.Phone = QStringLiteral("9");
    o.Time = TDateTime(46100);
    j.AddCall(o);
    j.enableControls();
    EXPECT_EQ(changed.count(), 0);
    j.enableControls();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_FALSE(j.bookmarkValid(mark));
    EXPECT_FALSE(j.gotoBookmark(mark));

    // Filtering keeps the current row when it passes and moves it when it does not.
    j.setFilter(QStringLiteral("Phone = '1'"));
    ASSERT_TRUE(j.FindCall(keys[3]));
    j.setFiltered(true);
    EXPECT_EQ(j.recordCount(), 1);
    EXPECT_EQ(j.currentKey(), keys[1]);
    EXPECT_FALSE(j.FindCall(keys[3]));
}

TEST_F(Journals, ModelFollowsTheViewAndFetchesOnlyPages)
{
    TIncomingCallBook j(base("InCalls"));
    j.disableControls();
    for (int i = 0; i < 1000; ++i)
        j.AddCall(in(QString::number(i), 46000 + i * 0.001, i));
    j.enableControls();
    j.SortBy(QStringLiteral("Time"));
    TRecordTableModel model(&j);
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.columnCount(), 17);
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Time"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("999"));
    EXPECT_EQ(model.data(model.index(999, 1)).toString(), QStringLiteral("0"));
    EXPECT_EQ(model.data(model.index(500, 4)).toString(), QStringLiteral("0:08:19"));
    EXPECT_EQ(model.data(model.index(0, 3)).toString(), TDateTime(46000.999).toShortDateString() + QLatin1Char(' ')
                                                            + TDateTime(46000.999).toLongTimeString());
    for (int r = 0; r < 1000; r += 10)
        model.data(model.index(r, 1));
    EXPECT_LE(model.cachedPageCount(), TRecordTableModel::CachedPages);
    EXPECT_FALSE(model.data(model.index(1000, 1)).isValid());

    j.setFilter(QStringLiteral("Phone = '99*'"));
    j.setFiltered(true);
    EXPECT_EQ(model.rowCount(), 11);   // 99 and 990..999
    EXPECT_EQ(model.data(model.index(10, 1)).toString(), QStringLiteral("99"));
    EXPECT_EQ(model.data(model.index(10, 0), TRecordTableModel::KeyRole).toLongLong(), j.keyAt(10));
}
