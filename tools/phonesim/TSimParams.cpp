#include "TSimParams.h"
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QtEndian>

namespace {
QByteArray nibbles(int value, int count)
{
    QByteArray b;
    for (int i = count - 1; i >= 0; --i)
        b.append(char((value >> (4 * i)) & 0x0F));
    return b;
}
}

bool TSimParams::loadText(const QString &text, QString &error)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d+)\\s*=\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?$"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        if (line.trimmed().isEmpty())
            continue;
        const QRegularExpressionMatch m = re.match(line);
        bool ok = m.hasMatch();
        const int address = ok ? m.captured(1).toInt(&ok) : 0;
        QVector<int> values;
        for (int k = 2; ok && k <= 3; ++k)
            if (!m.captured(k).isEmpty())
                values.append(m.captured(k).toInt());
        for (int v : values)
            ok = ok && v <= 255;
        if (!ok || address > 65535) {
            error = QStringLiteral("line %1: expects ADDRESS=V1[,V2] (address 0..65535, values 0..255): %2")
                        .arg(i + 1).arg(lines.at(i).trimmed());
            return false;
        }
        FValues.insert(address, values);
    }
    return true;
}

bool TSimParams::loadStore(const QString &fileName, QString &error)
{
    FStoreFile = fileName;
    QFile f(fileName);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        error = fileName + QStringLiteral(": ") + f.errorString();
        return false;
    }
    const QByteArray b = f.readAll();
    if (b.size() % 12) {
        error = fileName + QStringLiteral(": %1 bytes are no whole number of 12-byte records").arg(b.size());
        return false;
    }
    for (qsizetype i = 0; i < b.size(); i += 12) {
        const char *p = b.constData() + i;
        const qint32 id = qFromLittleEndian<qint32>(p);
        const int count = uchar(p[4]);
        QVector<int> values;
        if (count >= 1)
            values << (qFromLittleEndian<quint16>(p + 6) & 0xFF);
        if (count >= 2)
            values << (qFromLittleEndian<quint16>(p + 8) & 0xFF);
        if (values.isEmpty())
            values << 0;
        FValues.insert(int(quint16(id)), values);
    }
    return true;
}

bool TSimParams::saveStore(QString &error) const
{
    if (FStoreFile.isEmpty())
        return true;
    QByteArray b;
    for (auto it = FValues.cbegin(); it != FValues.cend(); ++it) {
        QByteArray r(12, '\0');
        qToLittleEndian<qint32>(it.key(), r.data());
        r[4] = char(qMin<qsizetype>(it.value().size(), 2));
        if (it.value().size() > 0)
            qToLittleEndian<quint16>(quint16(it.value().at(0)), r.data() + 6);
        if (it.value().size() > 1)
            qToLittleEndian<quint16>(quint16(it.value().at(1)), r.data() + 8);
        b += r;
    }
    QSaveFile f(FStoreFile);
    if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size() || !f.commit()) {
        error = FStoreFile + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return true;
}

QByteArray TSimParams::read(int address, QString &note)
{
    ++FCommands;
    if (goesOffline())
        return {};
    if (FDropped.contains(address)) {
        note = QStringLiteral(" (dropped, no answer)");
        return {};
    }
    if (!FValues.contains(address)) {
        note = QStringLiteral(" (unknown address, no answer)");
        return {};
    }
    const QVector<int> values = FValues.value(address);
    const int carried = FAnswerAs.value(address, address);
    if (carried != address)
        note = QStringLiteral(" (answered as %1)").arg(carried);
    QByteArray answer = nibbles(carried, 4) + nibbles(int(values.size()), 2);
    for (int v : values)
        answer += nibbles(v, 2);
    return answer;
}

bool TSimParams::write(int address, const QVector<int> &values, QString &note)
{
    ++FCommands;
    if (goesOffline())
        return false;
    if (!FValues.contains(address) && FStoreFile.isEmpty()) {
        note = QStringLiteral(" (unknown address, not stored)");
        return false;
    }
    if (values.isEmpty())
        return false;
    FValues[address] = values;
    QString error;
    if (!saveStore(error))
        note = QStringLiteral(" (store not saved: ") + error + QLatin1Char(')');
    return true;
}
