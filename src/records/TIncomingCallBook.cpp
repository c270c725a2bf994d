#include "TIncomingCallBook.h"

TIncomingCallBook::TIncomingCallBook(const QString &basePath, QObject *owner)
    : TCallBook(TTableSchema::incomingCalls(), basePath, owner)
{
    FFileColumns = {schema().fieldIndex(QStringLiteral("FileName")), schema().fieldIndex(QStringLiteral("MessageFileName"))};
    openTable({QStringLiteral("Неверный формат файла входящих звонков: "),
               QStringLiteral("Файл входящих звонков будет создан автоматически")});
}

QVariantList TIncomingCallBook::values(const TInCall &c)
{
    return {QVariant(c.Phone.isNull() ? QString(QLatin1String("")) : c.Phone), QVariant(qint64(c.Category)),
            QVariant(c.Time.value()), QVariant(c.Length.value()), QVariant(qint64(c.AutoAnswer ? 1 : 0)),
            optionalText(c.FileName), optionalText(c.MessageFileName), optionalText(c.Field_1),
            optionalText(c.Field_2), optionalText(c.Field_3), optionalText(c.Field_4), optionalText(c.Field_5),
            optionalText(c.Field_6), optionalText(c.Field_7), reminder(c.Field_8),
            QVariant(qint64(c.Blocked ? 1 : 0))};
}

qint64 TIncomingCallBook::AddCall(const TInCall &call)
{
    return insertRow(values(call));
}

bool TIncomingCallBook::UpdateFields(qint64 Call_ID, const QString &Phone, const QList<TFieldEntry> &Entries,
                                     TDateTime Reminder)
{
    return updateInfoFields(Call_ID, {qMakePair(schema().fieldIndex(QStringLiteral("Phone")), QVariant(Phone))}, Entries,
                     Reminder);
}

qint64 TIncomingCallBook::ReplaceFileNames(qint64 Call_ID, const QString &FileName, const QString &MessageFileName)
{
    QVariantList row = rowByKey(Call_ID);
    if (row.isEmpty())
        return 0;
    row.removeFirst();
    row[schema().fieldIndex(QStringLiteral("FileName")) - 1] = optionalText(FileName);
    row[schema().fieldIndex(QStringLiteral("MessageFileName")) - 1] = optionalText(MessageFileName);
    return replaceRow(Call_ID, row);
}

qint64 TIncomingCallBook::BlockedSince(TDateTime From) const
{
    TSqliteStatement st = FDb.prepare(
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE \"Time\" >= ? AND \"Blocked\" = 1")
            .arg(TTableSchema::quoted(schema().TableName)));
    st.bind(1, QVariant(From.value()));
    return st.step() ? st.int64(0) : 0;
}
