#pragma once
// The incoming-call journal, Data/InCalls.cds.
#include "TCallBook.h"
#include "TInCall.h"

class TIncomingCallBook : public TCallBook {
    Q_OBJECT
public:
    explicit TIncomingCallBook(const QString &basePath, QObject *owner = nullptr);

    // Appends and commits the call; the new row becomes current. Returns its Call_ID.
    qint64 AddCall(const TInCall &call);
    // Sets Phone and the tagged information fields (see TCallBook); false (nothing
    // written) when there is no such row.
    bool UpdateFields(qint64 Call_ID, const QString &Phone, const QList<TFieldEntry> &Entries, TDateTime Reminder);
    // Gives a row new file names: its values move to a new row (new Call_ID) in one
    // transaction. Returns the new Call_ID, 0 when there is no such row.
    qint64 ReplaceFileNames(qint64 Call_ID, const QString &FileName, const QString &MessageFileName);

    // The calls the number rules hung up that started at From or later (by the
    // Time index).
    qint64 BlockedSince(TDateTime From) const;

    static QVariantList values(const TInCall &call);
};
