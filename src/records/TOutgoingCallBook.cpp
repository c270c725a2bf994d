#include "TOutgoingCallBook.h"

TOutgoingCallBook::TOutgoingCallBook(const QString &basePath, QObject *owner)
    : TCallBook(TTableSchema::outgoingCalls(), basePath, owner)
{
    FFileColumns = {schema().fieldIndex(QStringLiteral("FileName"))};
    openTable({QStringLiteral("Неверный формат файла исходящих звонков: "),
               QStringLiteral("Файл исходящих звонков будет создан автоматически")});
}

QVariantList TOutgoingCallBook::values(const TOutCall &c)
{
    return {QVariant(c.Phone.isNull() ? QString(QLatin1String("")) : c.Phone), QVariant(c.Time.value()),
            QVariant(c.Length.value()), QVariant(qint64(c.Attributes)), optionalText(c.FileName),
            optionalText(c.Field_1), optionalText(c.Field_2), optionalText(c.Field_3), optionalText(c.Field_4),
            optionalText(c.Field_5), optionalText(c.Field_6), optionalText(c.Field_7), reminder(c.Field_8)};
}

qint64 TOutgoingCallBook::AddCall(const TOutCall &call)
{
    return insertRow(values(call));
}

bool TOutgoingCallBook::UpdateFields(qint64 Call_ID, const QList<TFieldEntry> &Entries, TDateTime Reminder)
{
    return updateInfoFields(Call_ID, {}, Entries, Reminder);
}

qint64 TOutgoingCallBook::ReplaceFileName(qint64 Call_ID, const QString &FileName)
{
    QVariantList row = rowByKey(Call_ID);
    if (row.isEmpty())
        return 0;
    row.removeFirst();
    row[schema().fieldIndex(QStringLiteral("FileName")) - 1] = optionalText(FileName);
    return replaceRow(Call_ID, row);
}
