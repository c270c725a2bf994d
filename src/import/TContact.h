#pragma once
// One contact read from outside (a CSV line, a vCard, an Outlook item): its
// name, its notes and its numbers, each with the kind of number and the
// address that goes with it.
#include <QList>
#include <QString>

enum TNumberKind { nkHome, nkWork, nkMobile, nkOther };

struct TContactNumber {
    QString Number;    // as the source gives it
    TNumberKind Kind = nkOther;
    QString Address;
};

struct TContact {
    QString Name;
    QString Notes;
    QList<TContactNumber> Numbers;
    int Line = 0;      // line of the file where it starts (1 for the first); 0 when not from a file
};
