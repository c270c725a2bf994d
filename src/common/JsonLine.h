#pragma once
// One JSON object written with its keys in insertion order (QJsonObject sorts them).
#include <QJsonValue>
#include <QString>
#include <QStringList>

class JsonLine {
public:
    JsonLine &add(const QString &key, const QJsonValue &value);
    JsonLine &add(const QString &key, const JsonLine &object);   // nested object
    JsonLine &addNull(const QString &key);
    JsonLine &addRaw(const QString &key, const QString &json);   // already encoded
    QString toString() const;

    static QString encode(const QJsonValue &value);
    static QString quote(const QString &text);

private:
    QStringList FParts;
};
