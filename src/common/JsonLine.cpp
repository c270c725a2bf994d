#include "JsonLine.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

JsonLine &JsonLine::add(const QString &key, const QJsonValue &value)
{
    return addRaw(key, encode(value));
}

JsonLine &JsonLine::add(const QString &key, const JsonLine &object)
{
    return addRaw(key, object.toString());
}

JsonLine &JsonLine::addNull(const QString &key)
{
    return addRaw(key, QStringLiteral("null"));
}

JsonLine &JsonLine::addRaw(const QString &key, const QString &json)
{
    FParts << quote(key) + QLatin1Char(':') + json;
    return *this;
}

QString JsonLine::toString() const
{
    return QLatin1Char('{') + FParts.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString JsonLine::quote(const QString &text)
{
    return encode(QJsonValue(text));
}

QString JsonLine::encode(const QJsonValue &value)
{
    // Wrap in an array so QJsonDocument encodes any scalar, then strip the brackets.
    const QByteArray doc = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(doc.mid(1, doc.size() - 2));
}
