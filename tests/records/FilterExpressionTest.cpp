#include "records/TFilterExpression.h"
#include "common/TDateTime.h"
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

QList<TFieldInfo> journalFields()
{
    return {
        {QStringLiteral("Call_ID"), TFieldType::ftAutoInc},
        {QStringLiteral("Phone"), TFieldType::ftString, 200, true},
        {QStringLiteral("Category"), TFieldType::ftChars, 20, true},
        {QStringLiteral("Time"), TFieldType::ftDateTime},
        {QStringLiteral("Length"), TFieldType::ftTime},
        {QStringLiteral("AutoAnswer"), TFieldType::ftBoolean},
        {QStringLiteral("FileName"), TFieldType::ftMemo},
        {QStringLiteral("MessageFileName"), TFieldType::ftMemo},
        {QStringLiteral("Name"), TFieldType::ftString, 200},
        {QStringLiteral("Attributes"), TFieldType::ftChars, 20, true},
        {QStringLiteral("Volume"), TFieldType::ftInteger},
    };
}

double at(int d, int mo, int y, int h, int mi, int s)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s))).value();
}

class FilterExpressionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(sqlite3_open(":memory:", &FDb), SQLITE_OK);
        TFilterExpression::registerFunctions(FDb);
        exec("CREATE TABLE T (\"Call_ID\" INTEGER PRIMARY KEY, \"Phone\" TEXT, \"Category\" TEXT,"
             " \"Time\" REAL, \"Length\" REAL, \"AutoAnswer\" INTEGER, \"FileName\" TEXT,"
             " \"MessageFileName\" TEXT, \"Name\" TEXT, \"Attributes\" INTEGER, \"Volume\" INTEGER)");
        // Row 1's length is an end minus a start, as the call handling computes it.
        const double start1 = at(9, 12, 2026, 10, 0, 0);
        const double len1 = at(9, 12, 2026, 10, 5, 0) - start1;
        addRow(1, "1234567", "1", start1, len1, 0, "C:\\rec\\In_1.wav", nullptr,
               "Петров Иван", "1", -1);
        addRow(2, "12", "3", at(9, 12, 2026, 12, 30, 0), 301.0 / 86400, 1, "+", "",
               "ИВАНОВ павел", "3", 40);
        addRow(3, "5512", "10", at(10, 12, 2026, 0, 0, 0), 30.0 / 86400, 0, nullptr, "m.wav",
               "Ёлкин", "2", 100);
        addRow(4, "?", "0", at(8, 12, 2026, 23, 59, 59), 600.0 / 86400, 0, "", nullptr,
               "O'Brien 50%_x", "16", 0);
        addRow(5, "12E", "1", at(11, 12, 2026, 8, 0, 0), 0.0, 0, nullptr, nullptr, "ёлка", "17",
               -1);
    }
    void TearDown() override { sqlite3_close(FDb); }

    void exec(const char *sql)
    {
        char *err = nullptr;
        ASSERT_EQ(sqlite3_exec(FDb, sql, nullptr, nullptr, &err), SQLITE_OK) << err;
    }

    void addRow(int id, const char *phone, const char *cat, double time, double length, int aa,
                const char *file, const char *msg, const char *name, const char *attr, int vol)
    {
        sqlite3_stmt *st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(FDb, "INSERT INTO T VALUES (?,?,?,?,?,?,?,?,?,?,?)", -1, &st,
                                     nullptr),
                  SQLITE_OK);
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_text(st, 2, phone, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, cat, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 4, time);
        sqlite3_bind_double(st, 5, length);
        sqlite3_bind_int(st, 6, aa);
        if (file)
            sqlite3_bind_text(st, 7, file, -1, SQLITE_TRANSIENT);
        if (msg)
            sqlite3_bind_text(st, 8, msg, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 9, name, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 10, attr, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 11, vol);
        ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_finalize(st);
    }

    // The keys of the rows passing the filter, in key order.
    std::vector<int> rows(const QString &filter)
    {
        const TFilterExpression e = TFilterExpression::parse(filter, journalFields());
        QVariantList params;
        const QString sql = QStringLiteral("SELECT \"Call_ID\" FROM T WHERE ") + e.toSql(params)
                          + QStringLiteral(" ORDER BY \"Call_ID\"");
        sqlite3_stmt *st = nullptr;
        std::vector<int> ids;
        const int rc = sqlite3_prepare_v2(FDb, sql.toUtf8().constData(), -1, &st, nullptr);
        EXPECT_EQ(rc, SQLITE_OK) << sqlite3_errmsg(FDb) << " in " << sql.toStdString();
        if (rc != SQLITE_OK)
            return ids;
        EXPECT_EQ(sqlite3_bind_parameter_count(st), params.size());
        EXPECT_EQ(TFilterExpression::bindParams(st, params), SQLITE_OK);
        while (sqlite3_step(st) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
        return ids;
    }

    TFilterError errorOf(const QString &filter)
    {
        try {
            TFilterExpression::parse(filter, journalFields());
        } catch (const TFilterError &e) {
            return e;
        }
        ADD_FAILURE() << "no error for " << filter.toStdString();
        return TFilterError(QString(), 0);
    }

    sqlite3 *FDb = nullptr;
};

using Ids = std::vector<int>;

TEST_F(FilterExpressionTest, EmptyFilterPassesEveryRow)
{
    EXPECT_TRUE(TFilterExpression::parse(QStringLiteral("  \t"), journalFields()).isEmpty());
    QVariantList params;
    EXPECT_EQ(TFilterExpression().toSql(params), QStringLiteral("1"));
    EXPECT_TRUE(params.isEmpty());
    EXPECT_EQ(rows(QString()), (Ids{1, 2, 3, 4, 5}));
}

TEST_F(FilterExpressionTest, TextsCompareIgnoringCaseOfEveryLetter)
{
    EXPECT_EQ(rows(QStringLiteral("Name = 'петров иван'")), (Ids{1}));
    EXPECT_EQ(rows(QStringLiteral("Name = 'Иванов Павел'")), (Ids{2}));
    EXPECT_EQ(rows(QStringLiteral("Name = 'ЁЛКИН'")), (Ids{3}));
    EXPECT_EQ(rows(QStringLiteral("Phone = '12e'")), (Ids{5}));
    // Keywords and field names in any case.
    EXPECT_EQ(rows(QStringLiteral("NAME = 'ёлкин' OR phone = '12E' oR [pHoNe] = '?'")),
              (Ids{3, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("Name > 'п'")), (Ids{1, 3, 5}));
    EXPECT_EQ(rows(QStringLiteral("Phone <> '12'")), (Ids{1, 3, 4, 5}));
}

TEST_F(FilterExpressionTest, StarAtTheEndMatchesEveryValueWithThatBeginning)
{
    EXPECT_EQ(rows(QStringLiteral("Phone = '12*'")), (Ids{1, 2, 5}));
    EXPECT_EQ(rows(QStringLiteral("Phone <> '12*'")), (Ids{3, 4}));
    EXPECT_EQ(rows(QStringLiteral("Name = 'ЁЛ*'")), (Ids{3, 5}));
    EXPECT_EQ(rows(QStringLiteral("Phone = '*'")), (Ids{1, 2, 3, 4, 5}));
    // % and _ are ordinary characters, and a star elsewhere is a star.
    EXPECT_EQ(rows(QStringLiteral("Name = 'o''brien 50%*'")), (Ids{4}));
    EXPECT_EQ(rows(QStringLiteral("Name = '_*'")), Ids{});
    EXPECT_EQ(rows(QStringLiteral("Name = '%'")), Ids{});
    EXPECT_EQ(rows(QStringLiteral("Phone = '*2'")), Ids{});
    EXPECT_EQ(rows(QStringLiteral("Category = '1*'")), (Ids{1, 3, 5}));
    EXPECT_EQ(rows(QStringLiteral("Attributes = '1*'")), (Ids{1, 4, 5}));
}

TEST_F(FilterExpressionTest, IsNotNullMeansNonEmptyAndIsNullIsItsComplement)
{
    EXPECT_EQ(rows(QStringLiteral("FileName IS NOT NULL")), (Ids{1, 2}));
    EXPECT_EQ(rows(QStringLiteral("FileName is null")), (Ids{3, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("MessageFileName IS NOT NULL")), (Ids{3}));
    EXPECT_EQ(rows(QStringLiteral("not MessageFileName IS NOT NULL")), (Ids{1, 2, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("FileName = NULL")), (Ids{3, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("FileName <> null")), (Ids{1, 2}));
    // Numbers and dates are never empty.
    EXPECT_EQ(rows(QStringLiteral("Volume IS NOT NULL and Time IS NOT NULL")), (Ids{1, 2, 3, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("Length IS NULL")), (Ids{}));
    // A missing text counts as empty, and negation gives the exact complement.
    EXPECT_EQ(rows(QStringLiteral("FileName = ''")), (Ids{3, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("not FileName = '+'")), (Ids{1, 3, 4, 5}));
}

TEST_F(FilterExpressionTest, AttributesAndCategoryCompareAsWholeNumbers)
{
    EXPECT_EQ(rows(QStringLiteral("Attributes = 1")), (Ids{1}));
    EXPECT_EQ(rows(QStringLiteral("Attributes = '1'")), (Ids{1}));
    EXPECT_EQ(rows(QStringLiteral("Attributes > 2")), (Ids{2, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("Attributes <= '3'")), (Ids{1, 2, 3}));
    EXPECT_EQ(rows(QStringLiteral("Category < 5")), (Ids{1, 2, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("Category = '10'")), (Ids{3}));
    EXPECT_EQ(rows(QStringLiteral("Volume = -1")), (Ids{1, 5}));
    EXPECT_EQ(rows(QStringLiteral("Volume >= '40'")), (Ids{2, 3}));
    EXPECT_EQ(rows(QStringLiteral("Call_ID > 3")), (Ids{4, 5}));
}

TEST_F(FilterExpressionTest, DatesAndTimesCompareAsValues)
{
    EXPECT_EQ(rows(QStringLiteral(
                  "Time >= '09.12.2026 0:00:00' and Time <= '09.12.2026 23:59:59'")),
              (Ids{1, 2}));
    EXPECT_EQ(rows(QStringLiteral("Time >= '10.12.2026'")), (Ids{3, 5}));
    EXPECT_EQ(rows(QStringLiteral("Time = '09.12.2026 10:00:00'")), (Ids{1}));
    EXPECT_EQ(rows(QStringLiteral("Time < '2026-12-09T00:00:00'")), (Ids{4}));
    EXPECT_EQ(rows(QStringLiteral("Time <= 2147483647")), (Ids{1, 2, 3, 4, 5}));
    const TDateTime openEnd(2147483647.0);
    EXPECT_EQ(rows(QStringLiteral("Time >= '08.12.2026' and Time <= '%1 %2'")
                       .arg(openEnd.toShortDateString(), openEnd.toLongTimeString())),
              (Ids{1, 2, 3, 4, 5}));
    // Exactly five minutes, computed as end minus start, is not more than 0:05:00.
    EXPECT_EQ(rows(QStringLiteral("Length <= '0:05:00'")), (Ids{1, 3, 5}));
    EXPECT_EQ(rows(QStringLiteral("Length > '0:05:00'")), (Ids{2, 4}));
    EXPECT_EQ(rows(QStringLiteral("Length = '0:10'")), (Ids{4}));
}

TEST_F(FilterExpressionTest, BooleansCompareWithTrueAndFalse)
{
    EXPECT_EQ(rows(QStringLiteral("AutoAnswer = true")), (Ids{2}));
    EXPECT_EQ(rows(QStringLiteral("AutoAnswer = FALSE")), (Ids{1, 3, 4, 5}));
    EXPECT_EQ(rows(QStringLiteral("AutoAnswer <> 'true'")), (Ids{1, 3, 4, 5}));
}

TEST_F(FilterExpressionTest, NotBindsTighterThanAndWhichBindsTighterThanOr)
{
    EXPECT_EQ(rows(QStringLiteral("Phone = '12' or Phone = '5512' and Category = '3'")), (Ids{2}));
    EXPECT_EQ(rows(QStringLiteral("(Phone = '12' or Phone = '5512') and Category = '10'")),
              (Ids{3}));
    EXPECT_EQ(rows(QStringLiteral("not Phone = '12*' and Category = '0'")), (Ids{4}));
    EXPECT_EQ(rows(QStringLiteral("not (Phone = '12*' or Category = '0')")), (Ids{3}));
    EXPECT_EQ(rows(QStringLiteral("not not Category = 1")), (Ids{1, 5}));
}

TEST_F(FilterExpressionTest, TheSearchWindowsFilterSelectsTheCall)
{
    EXPECT_EQ(rows(QStringLiteral(
                  "Time >= '09.12.2026 0:00:00' and Time <= '09.12.2026 23:59:59' and "
                  "Length <= '0:05:00' and Phone = '12*' and Category = '1' and "
                  "FileName IS NOT NULL and AutoAnswer = false")),
              (Ids{1}));
    EXPECT_EQ(rows(QStringLiteral("Length > '0:05:00' and Phone = '12*' and Attributes = '3'")),
              (Ids{2}));
}

TEST_F(FilterExpressionTest, NoTextOfTheFilterReachesTheSql)
{
    EXPECT_EQ(rows(QStringLiteral("Phone = ''' or 1=1 --'")), Ids{});
    EXPECT_EQ(rows(QStringLiteral("Name = 'x'') OR (''1''=''1'")), Ids{});
    QVariantList params;
    const QString sql = TFilterExpression::parse(QStringLiteral("Name = 'Robert\"); DROP TABLE T;--'"),
                                                 journalFields())
                            .toSql(params);
    EXPECT_FALSE(sql.contains(QStringLiteral("DROP"), Qt::CaseInsensitive));
    EXPECT_FALSE(sql.contains(QStringLiteral("robert"), Qt::CaseInsensitive));
    EXPECT_EQ(params, QVariantList{QStringLiteral("robert\"); drop table t;--")});
    EXPECT_EQ(errorOf(QStringLiteral("[Phone\" = 1 or \"x] = 1")).position(), 1);
    EXPECT_EQ(errorOf(QStringLiteral("Phone = 'x'; DROP TABLE T")).position(), 12);
    EXPECT_EQ(rows(QStringLiteral("Call_ID > 0")).size(), 5u);
}

TEST_F(FilterExpressionTest, ErrorsNameTheirPositionInRussian)
{
    EXPECT_EQ(errorOf(QStringLiteral("Phone = ")).message(),
              QStringLiteral("Ошибка в выражении фильтра (позиция 9): ожидается значение"));
    struct Case {
        const char *filter;
        int position;
        const char *part;
    };
    const Case cases[] = {
        {"Phone 12", 7, "знак сравнения"},
        {"Телефон = 1", 1, "неизвестное поле «Телефон»"},
        {"(Phone = '1'", 13, "закрывающая скобка"},
        {"Phone = '1')", 12, "конец выражения"},
        {"Phone = 'abc", 9, "кавычка"},
        {"[Phone = 1", 1, "скобка «[»"},
        {"Time > '32.12.2026'", 8, "неверная дата"},
        {"Length > '0:60:00'", 10, "неверное время"},
        {"Attributes = 'x'", 14, "целое число"},
        {"AutoAnswer = 'да'", 14, "true или false"},
        {"Phone = true", 9, "ожидается текст"},
        {"Phone = 1 Name = 2", 11, "AND, OR"},
        {"Phone = 1 and", 14, "имя поля"},
        {"Phone is not 1", 14, "NULL"},
        {"Phone < null", 9, "NULL"},
        {"Phone = 1 & 2", 11, "недопустимый символ «&»"},
        {"and = 1", 1, "имя поля"},
        {"Volume = 12abc", 12, "неверное число"},
    };
    for (const Case &c : cases) {
        const TFilterError e = errorOf(QString::fromUtf8(c.filter));
        EXPECT_EQ(e.position(), c.position) << c.filter;
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.part)))
            << c.filter << ": " << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("(позиция %1)").arg(c.position)));
    }
}

TEST_F(FilterExpressionTest, LimitsKeepEveryAcceptedExpressionRunnable)
{
    // Deep nesting is refused without exhausting the stack.
    EXPECT_TRUE(errorOf(QString(100000, QLatin1Char('(')) + QStringLiteral("Phone = 1"))
                    .message()
                    .contains(QStringLiteral("вложенность")));
    QString nots;
    for (int i = 0; i < 50000; ++i)
        nots += QStringLiteral("not ");
    EXPECT_GT(errorOf(nots + QStringLiteral("Phone = 1")).position(), 0);

    // The deepest and the longest accepted expressions still run in SQLite.
    QString deep = QStringLiteral("Time > '01.01.2000 0:00:00'");
    for (int i = 0; i < TFilterExpression::MaxNesting / 2 - 1; ++i)
        deep = QStringLiteral("not (Phone = '1*' or %1 and Length <= '1:00:00')").arg(deep);
    EXPECT_EQ(rows(deep).size() + rows(QStringLiteral("not (%1)").arg(deep)).size(), 5u);

    QStringList many;
    for (int i = 0; i < TFilterExpression::MaxConditions; ++i)
        many << QStringLiteral("Category = %1").arg(i);
    EXPECT_EQ(rows(many.join(QStringLiteral(" or "))), (Ids{1, 2, 3, 4, 5}));
    many << QStringLiteral("Phone = 1");
    EXPECT_TRUE(errorOf(many.join(QStringLiteral(" or "))).message().contains(
        QStringLiteral("слишком много условий")));
}

} // namespace
