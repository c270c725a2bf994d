#pragma once
// vCard files (versions 2.1, 3.0 and 4.0, one or many cards): FN (else N) as
// the name, every TEL with the kind its TYPE gives, ADR as the address,
// EMAIL into the notes. Folded lines, quoted-printable values and their soft
// line breaks, CHARSET, backslash escapes and "tel:" URIs are understood; a
// card without END ends at the next BEGIN or at the end of the file.
#include "TContact.h"
#include "common/TTextLineReader.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>


class TVCardReader {
public:
    // Reads every card; Contact gets each card with at least one number and
    // returns false to stop. Returns the number of cards met.
    static int Read(TTextLineReader &Reader, const std::function<bool(const TContact &)> &Contact);

    // Whether a first line of text opens a vCard.
    static bool IsVCardStart(const QByteArray &Line);

    struct TProperty {
        QString Name;          // upper case, without its group
        QStringList Types;     // upper case
        QStringList Values;    // the value split at unescaped ';', each unescaped
    };
    // One unfolded content line; false when it is no property. A value
    // without CHARSET is read in the file's encoding.
    static bool Parse(const QByteArray &Line, TProperty &Property,
                      TTextEncoding FileEncoding = TTextEncoding::Utf8);
};
