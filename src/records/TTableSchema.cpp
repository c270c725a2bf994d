#include "TTableSchema.h"

namespace {
TFieldInfo f(const char *name, TFieldType type, int width = 0, bool required = false)
{
    TFieldInfo i;
    i.Name = QString::fromLatin1(name);
    i.Type = type;
    i.Width = width;
    i.Required = required;
    return i;
}

QString sqlType(TFieldType t)
{
    switch (t) {
    case TFieldType::ftAutoInc:
    case TFieldType::ftChars:
    case TFieldType::ftInteger:
    case TFieldType::ftBoolean:
        return QStringLiteral("INTEGER");
    case TFieldType::ftDateTime:
    case TFieldType::ftTime:
        return QStringLiteral("REAL");
    case TFieldType::ftString:
    case TFieldType::ftMemo:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

void addInfoFields(TTableSchema &s)
{
    for (int i = 1; i <= 7; ++i)
        s.Fields << f(qPrintable(QStringLiteral("Field_%1").arg(i)), TFieldType::ftString, 127);
    s.Fields << f("Field_8", TFieldType::ftDateTime);
}
}

int TTableSchema::fieldIndex(const QString &name) const
{
    for (int i = 0; i < Fields.size(); ++i)
        if (Fields.at(i).Name == name)
            return i;
    return -1;
}

const TFieldInfo *TTableSchema::field(const QString &name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &Fields.at(i);
}

QStringList TTableSchema::fieldNames() const
{
    QStringList names;
    for (const TFieldInfo &i : Fields)
        names << i.Name;
    return names;
}

QString TTableSchema::quoted(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString TTableSchema::createSql() const
{
    QStringList cols;
    for (const TFieldInfo &i : Fields) {
        if (i.Type == TFieldType::ftAutoInc)
            cols << quoted(i.Name) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
        else
            cols << quoted(i.Name) + QLatin1Char(' ') + sqlType(i.Type)
                        + (AddedLater.contains(i.Name) ? QStringLiteral(" DEFAULT 0") : QString());
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(TableName), cols.join(QStringLiteral(", ")));
}

QString TTableSchema::addColumnSql(const QString &name) const
{
    const TFieldInfo *i = field(name);
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3 DEFAULT 0")
        .arg(quoted(TableName), quoted(name), i ? sqlType(i->Type) : QStringLiteral("INTEGER"));
}

QString TTableSchema::indexSql(const QString &table, const QString &field)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
        .arg(quoted(table + QLatin1Char('_') + field), quoted(table), quoted(field));
}

QStringList TTableSchema::indexSql() const
{
    QStringList list;
    for (const QString &name : Indexed)
        list << indexSql(TableName, name);
    // A partial index of the rows still marked "+": finding them is a lookup,
    // not a walk over the journal, whenever the line state changes.
    if (!Marked.isEmpty())
        list << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3) WHERE %4")
                    .arg(quoted(TableName + QStringLiteral("_Marked")), quoted(TableName), quoted(keyName()),
                         markedCondition());
    return list;
}

QString TTableSchema::markedCondition() const
{
    QStringList terms;
    for (const QString &name : Marked)
        terms << quoted(name) + QStringLiteral(" = '+'");
    return terms.join(QStringLiteral(" OR "));
}

const TTableSchema &TTableSchema::addressBook()
{
    static const TTableSchema s = [] {
        TTableSchema t;
        t.TableName = QStringLiteral("AddressBook");
        t.Fields = {f("Person_ID", TFieldType::ftAutoInc),
                    f("Phone", TFieldType::ftString, 200, true),
                    f("Name", TFieldType::ftString, 200),
                    f("Attributes", TFieldType::ftChars, 20, true),
                    f("Address", TFieldType::ftString, 300),
                    f("Notes", TFieldType::ftMemo),
                    f("SoundFile", TFieldType::ftMemo),
                    f("Volume", TFieldType::ftInteger),
                    f("Creschendo", TFieldType::ftBoolean)};
        t.NotSorted = {QString()};
        t.Indexed = {QStringLiteral("Phone"), QStringLiteral("Name")};
        t.Hidden = {QStringLiteral("Guid")};
        return t;
    }();
    return s;
}

const TTableSchema &TTableSchema::incomingCalls()
{
    static const TTableSchema s = [] {
        TTableSchema t;
        t.TableName = QStringLiteral("InCalls");
        t.Fields = {f("Call_ID", TFieldType::ftAutoInc),
                    f("Phone", TFieldType::ftString, 200, true),
                    f("Category", TFieldType::ftChars, 20, true),
                    f("Time", TFieldType::ftDateTime, 0, true),
                    f("Length", TFieldType::ftTime, 0, true),
                    f("AutoAnswer", TFieldType::ftBoolean, 0, true),
                    f("FileName", TFieldType::ftMemo),
                    f("MessageFileName", TFieldType::ftMemo)};
        addInfoFields(t);
        // The call was hung up by the number rules.
        t.Fields << f("Blocked", TFieldType::ftBoolean);
        t.AddedLater = {QStringLiteral("Blocked")};
        t.NotSorted = {QStringLiteral("FileName"), QStringLiteral("MessageFileName"),
                       QStringLiteral("Field_1"), QStringLiteral("Field_2"), QStringLiteral("Field_3")};
        t.Descending = {QStringLiteral("Time"), QStringLiteral("Length")};
        t.Indexed = {QStringLiteral("Phone"), QStringLiteral("Time"), QStringLiteral("Length"), QStringLiteral("Field_8")};
        t.Marked = {QStringLiteral("FileName"), QStringLiteral("MessageFileName")};
        return t;
    }();
    return s;
}

const TTableSchema &TTableSchema::outgoingCalls()
{
    static const TTableSchema s = [] {
        TTableSchema t;
        t.TableName = QStringLiteral("OutCalls");
        t.Fields = {f("Call_ID", TFieldType::ftAutoInc),
                    f("Phone", TFieldType::ftString, 200, true),
                    f("Time", TFieldType::ftDateTime, 0, true),
                    f("Length", TFieldType::ftTime, 0, true),
                    f("Attributes", TFieldType::ftChars, 20, true),
                    f("FileName", TFieldType::ftMemo)};
        addInfoFields(t);
        t.NotSorted = {QStringLiteral("FileName")};
        t.Descending = {QStringLiteral("Time"), QStringLiteral("Length")};
        t.Indexed = {QStringLiteral("Phone"), QStringLiteral("Time"), QStringLiteral("Length"), QStringLiteral("Field_8")};
        t.Marked = {QStringLiteral("FileName")};
        return t;
    }();
    return s;
}
