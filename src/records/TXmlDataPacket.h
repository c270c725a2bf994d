#pragma once
// The text form of an old table: <DATAPACKET Version="2.0"><METADATA>...<PARAMS
// AUTOINCVALUE="n"/></METADATA><ROWDATA><ROW Field="value" .../>...</ROWDATA></DATAPACKET>.
// One attribute per field; a missing attribute is null.
#include "TTableSchema.h"
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>

class TXmlDataPacket {
public:
    // Parses the bytes of a file: the declared encoding, else UTF-8 when the bytes
    // are valid UTF-8, else Windows-1251. Returns false with error() set when the
    // text is not such a packet.
    bool parse(const QByteArray &data);
    QString error() const { return FError; }

    QStringList fieldNames() const { return FFieldNames; }   // from METADATA
    qint64 autoIncValue() const { return FAutoIncValue; }   // 0 when not given
    int rowCount() const { return int(FRows.size()); }
    // The attributes of a row as they stand (entities decoded).
    const QHash<QString, QString> &rowAttributes(int row) const { return FRows.at(row); }
    // A row typed for the schema's fields in column order: whole numbers for keys,
    // integers and the character-number fields, 0/1 for Booleans ("TRUE"/"FALSE" in
    // any case), text for strings and memos; null where the attribute is missing or
    // does not convert.
    QVariantList typedRow(int row, const TTableSchema &schema) const;

    static QString decode(const QByteArray &data, bool *ok = nullptr);

private:
    QString FError;
    QStringList FFieldNames;
    qint64 FAutoIncValue = 0;
    QList<QHash<QString, QString>> FRows;
};
