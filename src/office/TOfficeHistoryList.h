#pragma once
// The office's part of a number's history, shown below a window's local
// calls: the calls of the other workstations with the workstation's name,
// filled in when the server answers; "Офис недоступен" when it does not
// answer within its time.
#include "TOfficeHistory.h"
#include <QTimer>
#include <QTreeWidget>

class TOfficeHistoryList : public QTreeWidget {
    Q_OBJECT
public:
    TOfficeHistoryList(TOfficeHistory *History, QWidget *parent = nullptr);

    // A list for History placed right below Anchor in the box layout that
    // holds it; null when Anchor sits in no box layout.
    static TOfficeHistoryList *InsertBelow(TOfficeHistory *History, QWidget *Anchor);

    // Empties the list and asks for the number's office calls.
    void ShowNumber(const QString &Number);
    QString Number() const { return FNumber; }
    static QString UnavailableText() { return QStringLiteral("Офис недоступен"); }

private:
    void arrived(int id, const QString &number, const QList<TOfficeServer::TCall> &calls, bool ok);
    void unavailable();

    TOfficeHistory *FHistory;
    QString FNumber;
    int FRequest = 0;
    bool FAnswered = false;
    QTimer FTimeout;
};
