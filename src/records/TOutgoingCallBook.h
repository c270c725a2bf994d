#pragma once
// The outgoing-call journal, Data/OutCalls.cds.
#include "TCallBook.h"
#include "TOutCall.h"

class TOutgoingCallBook : public TCallBook {
    Q_OBJECT
public:
    explicit TOutgoingCallBook(const QString &basePath, QObject *owner = nullptr);

    // Appends and commits the call; the new row becomes current. Returns its Call_ID.
    qint64 AddCall(const TOutCall &call);
    // The tagged information fields and the reminder (see TCallBook); false when
    // there is no such row.
    bool UpdateFields(qint64 Call_ID, const QList<TFieldEntry> &Entries, TDateTime Reminder);
    // Gives a row a new file name: its values move to a new row (new Call_ID) in one
    // transaction. Returns the new Call_ID, 0 when there is no such row.
    qint64 ReplaceFileName(qint64 Call_ID, const QString &FileName);

    static QVariantList values(const TOutCall &call);
};
