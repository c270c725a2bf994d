#pragma once
// The text lines of the NCID protocol (API 1.0, feature set 1): building the
// call lines the server sends and reading any line back into its parts.
#include "common/TDateTime.h"
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class TNcidLine {
public:
    // A value as it may stand between "*" separators: "*" becomes "-", line
    // breaks and other control characters become blanks.
    static QString Clean(const QString &Value);
    // At most MaxChars characters of Value: a character outside the basic
    // plane (two UTF-16 units) is kept whole or left out, never split.
    static QString Capped(const QString &Value, int MaxChars);
    // The length NCID clients keep of a text field (NMBR, NAME).
    static constexpr int FieldChars = 50;

    // "<Label>: *DATE*mmddyyyy*TIME*hhmm*LINE*-*NMBR*<number>*MESG*NONE*NAME*<name>*"
    // for CID, OUT, HUP, CIDLOG and OUTLOG; an empty number is "?", an empty name "NO NAME".
    // Number and name are cleaned and capped at FieldChars.
    static QString Call(const QString &Label, const QString &Number, const QString &Name, TDateTime Start);
    // "END: *HTYPE*BYE|CANCEL*DATE*..*TIME*..*SCALL*mm/dd/yyyy hh:mm:ss*ECALL*..*CTYPE*IN|OUT*LINE*-*NMBR*..*NAME*..*";
    // DATE and TIME are the call's start.
    static QString End(bool Talked, bool Incoming, const QString &Number, const QString &Name, TDateTime Start,
                       TDateTime End);
    // The line as sent: UTF-8 with CR LF.
    static QByteArray Wire(const QString &Line);

    // A received line split up. Call lines give the label before ":" and the
    // label/value pairs; numbered server lines ("200 Server: ...") give Code and Text.
    struct TParsed {
        QString Label;                          // "CID", "END", ...; empty for a numbered line
        QList<QPair<QString, QString>> Fields;  // in their order
        int Code = 0;
        QString Text;
        bool Valid = false;
    };
    static TParsed Parse(const QString &Line);
};
