#pragma once
// The serial-port settings kept in the Port key, all as the texts the port
// layer writes ("9600", "None", "No", "#0", ...).
#include <QString>
#include <QStringList>

class TSettingsStore;

struct TPortSettings {
    QString Port = QStringLiteral("COM1");
    QString BaudRate = QStringLiteral("9600");
    QString StopBits = QStringLiteral("1");
    QString DataBits = QStringLiteral("8");
    QString Parity = QStringLiteral("None");
    QString FlowControl = QStringLiteral("None");
    QString ParityCheck = QStringLiteral("No");
    QString ParityReplace = QStringLiteral("No");
    QString ParityReplaceChar = QStringLiteral("#0");
    qint32 CustomBaudRate = 0;   // stored only while BaudRate is "Custom"

    static const QString Key;    // "Port"

    // Reads the Port key; a missing value or a text the port layer does not
    // know raises TConfigError.
    static TPortSettings Load(const TSettingsStore &store);
    void Store(TSettingsStore &store) const;

    // Whether text is an allowed value of the Port key's value name (the
    // integer "CustomBaudRate" is checked as a number elsewhere).
    static bool IsValidText(const QString &name, const QString &text);
    // The names of the string values, in the order they are written.
    static QStringList TextNames();

    // The baud rate as a number (CustomBaudRate for "Custom").
    qint32 BaudRateValue() const;
    // The parity replacement character ("#0" is the character 0).
    QChar ReplaceCharValue() const;

    friend bool operator==(const TPortSettings &, const TPortSettings &) = default;
};
