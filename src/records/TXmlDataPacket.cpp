#include "TXmlDataPacket.h"
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

QString TXmlDataPacket::decode(const QByteArray &data, bool *ok)
{
    if (ok)
        *ok = true;
    // A byte-order mark decides first.
    if (auto bom = QStringConverter::encodingForData(data)) {
        QStringDecoder d(*bom);
        return d.decode(data);
    }
    static const QRegularExpression decl(
        QStringLiteral("^\\s*<\\?xml[^>]*?encoding\\s*=\\s*[\"']([A-Za-z0-9._:-]{1,40})[\"']"));
    const QRegularExpressionMatch m = decl.match(QString::fromLatin1(data.left(200)));
    if (m.hasMatch()) {
        QStringDecoder d(m.captured(1).toLatin1().constData());
        if (!d.isValid()) {
            if (ok)
                *ok = false;
            return QString();
        }
        return d.decode(data);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1251("windows-1251");
    return cp1251.decode(data);
}

bool TXmlDataPacket::parse(const QByteArray &data)
{
    FError.clear();
    FFieldNames.clear();
    FAutoIncValue = 0;
    FRows.clear();
    bool ok = false;
    const QString text = decode(data, &ok);
    if (!ok) {
        FError = QStringLiteral("unknown encoding");
        return false;
    }
    QXmlStreamReader xml(text);
    bool root = false, rowData = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (!root) {
            if (name != QLatin1String("DATAPACKET")) {
                FError = QStringLiteral("not a data packet");
                return false;
            }
            root = true;
        } else if (name == QLatin1String("FIELD")) {
            FFieldNames << xml.attributes().value(QLatin1String("attrname")).toString();
        } else if (name == QLatin1String("PARAMS")) {
            bool num = false;
            const qint64 v = xml.attributes().value(QLatin1String("AUTOINCVALUE")).toLongLong(&num);
            if (num && v > 0)
                FAutoIncValue = v;
        } else if (name == QLatin1String("ROWDATA")) {
            rowData = true;
        } else if (name == QLatin1String("ROW") && rowData) {
            QHash<QString, QString> row;
            for (const QXmlStreamAttribute &a : xml.attributes())
                row.insert(a.name().toString(), a.value().toString());
            FRows << row;
            xml.skipCurrentElement();   // nested detail rows are not kept
        }
    }
    if (xml.hasError()) {
        FError = QStringLiteral("%1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber());
        return false;
    }
    if (!root) {
        FError = QStringLiteral("not a data packet");
        return false;
    }
    return true;
}

QVariantList TXmlDataPacket::typedRow(int row, const TTableSchema &schema) const
{
    const QHash<QString, QString> &attrs = FRows.at(row);
    QVariantList values;
    values.reserve(schema.Fields.size());
    for (const TFieldInfo &f : schema.Fields) {
        auto it = attrs.constFind(f.Name);
        if (it == attrs.constEnd()) {
            values << QVariant();
            continue;
        }
        const QString v = it.value().trimmed();
        switch (f.Type) {
        case TFieldType::ftAutoInc:
        case TFieldType::ftChars:
        case TFieldType::ftInteger: {
            bool ok = false;
            const qint64 n = v.toLongLong(&ok);
            values << (ok ? QVariant(n) : QVariant());
            break;
        }
        case TFieldType::ftBoolean:
            if (v.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
                values << QVariant(qint64(1));
            else if (v.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
                values << QVariant(qint64(0));
            else
                values << QVariant();
            break;
        case TFieldType::ftDateTime:
        case TFieldType::ftTime: {
            bool ok = false;
            const double d = v.toDouble(&ok);
            values << (ok ? QVariant(d) : QVariant());
            break;
        }
        case TFieldType::ftString:
        case TFieldType::ftMemo:
            values << QVariant(it.value());
            break;
        }
    }
    return values;
}
