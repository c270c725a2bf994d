#include "TPortSettings.h"
#include "TConfigError.h"
#include "TSettingsStore.h"

const QString TPortSettings::Key = QStringLiteral("Port");

namespace {
const QStringList BaudRates{
    QStringLiteral("110"), QStringLiteral("300"), QStringLiteral("600"),
    QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
    QStringLiteral("9600"), QStringLiteral("14400"), QStringLiteral("19200"),
    QStringLiteral("38400"), QStringLiteral("56000"), QStringLiteral("57600"),
    QStringLiteral("115200"), QStringLiteral("128000"), QStringLiteral("256000"),
    QStringLiteral("Custom")};
const QStringList StopBitsTexts{QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
const QStringList DataBitsTexts{QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                QStringLiteral("8")};
const QStringList ParityTexts{QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                              QStringLiteral("Mark"), QStringLiteral("Space")};
const QStringList FlowTexts{QStringLiteral("Hardware"), QStringLiteral("Software"),
                            QStringLiteral("None"), QStringLiteral("Custom")};
const QStringList BoolTexts{QStringLiteral("Yes"), QStringLiteral("No")};

const QString NPort = QStringLiteral("Port");
const QString NBaudRate = QStringLiteral("BaudRate");
const QString NStopBits = QStringLiteral("StopBits");
const QString NDataBits = QStringLiteral("DataBits");
const QString NParity = QStringLiteral("Parity");
const QString NFlowControl = QStringLiteral("FlowControl");
const QString NParityCheck = QStringLiteral("Parity.Check");
const QString NParityReplace = QStringLiteral("Parity.Replace");
const QString NParityReplaceChar = QStringLiteral("Parity.ReplaceChar");
const QString NCustomBaudRate = QStringLiteral("CustomBaudRate");

bool IsCharText(const QString &t)
{
    if (t.size() == 1)
        return t.at(0).unicode() >= 33;
    if (t.size() < 2 || t.at(0) != QLatin1Char('#'))
        return false;
    bool ok = false;
    const int code = t.mid(1).toInt(&ok, 10);
    return ok && code >= 0 && code < 33 && t.mid(1) == QString::number(code);
}
}

QStringList TPortSettings::TextNames()
{
    return {NPort, NBaudRate, NStopBits, NDataBits, NParity, NFlowControl,
            NParityCheck, NParityReplace, NParityReplaceChar};
}

bool TPortSettings::IsValidText(const QString &name, const QString &text)
{
    if (name == NPort)
        return !text.trimmed().isEmpty();
    if (name == NBaudRate)
        return BaudRates.contains(text);
    if (name == NStopBits)
        return StopBitsTexts.contains(text);
    if (name == NDataBits)
        return DataBitsTexts.contains(text);
    if (name == NParity)
        return ParityTexts.contains(text);
    if (name == NFlowControl)
        return FlowTexts.contains(text);
    if (name == NParityCheck || name == NParityReplace)
        return BoolTexts.contains(text);
    if (name == NParityReplaceChar)
        return IsCharText(text);
    return false;
}

TPortSettings TPortSettings::Load(const TSettingsStore &store)
{
    TPortSettings s;
    QString *fields[] = {&s.Port, &s.BaudRate, &s.StopBits, &s.DataBits, &s.Parity,
                         &s.FlowControl, &s.ParityCheck, &s.ParityReplace, &s.ParityReplaceChar};
    const QStringList names = TextNames();
    for (int i = 0; i < names.size(); ++i) {
        const QString text = store.ReadString(Key, names.at(i));
        if (!IsValidText(names.at(i), text))
            throw TConfigError(QStringLiteral("Неверное значение \"%1\" параметра порта \"%2\"")
                                   .arg(text, names.at(i)));
        *fields[i] = text;
    }
    if (s.BaudRate == QLatin1String("Custom")) {
        s.CustomBaudRate = store.ReadInteger(Key, NCustomBaudRate);
        if (s.CustomBaudRate <= 0)
            throw TConfigError(QStringLiteral("Неверное значение \"%1\" параметра порта \"%2\"")
                                   .arg(QString::number(s.CustomBaudRate), NCustomBaudRate));
    }
    return s;
}

void TPortSettings::Store(TSettingsStore &store) const
{
    store.CreateKey(Key);
    const QString *fields[] = {&Port, &BaudRate, &StopBits, &DataBits, &Parity,
                               &FlowControl, &ParityCheck, &ParityReplace, &ParityReplaceChar};
    const QStringList names = TextNames();
    for (int i = 0; i < names.size(); ++i)
        store.WriteString(Key, names.at(i), *fields[i]);
    if (BaudRate == QLatin1String("Custom"))
        store.WriteInteger(Key, NCustomBaudRate, CustomBaudRate);
    else
        store.DeleteValue(Key, NCustomBaudRate);
}

qint32 TPortSettings::BaudRateValue() const
{
    if (BaudRate == QLatin1String("Custom"))
        return CustomBaudRate;
    return BaudRate.toInt();
}

QChar TPortSettings::ReplaceCharValue() const
{
    if (ParityReplaceChar.startsWith(QLatin1Char('#')) && ParityReplaceChar.size() > 1)
        return QChar(ushort(ParityReplaceChar.mid(1).toUShort()));
    return ParityReplaceChar.isEmpty() ? QChar() : ParityReplaceChar.at(0);
}
