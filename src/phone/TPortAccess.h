#pragma once
// A serial port that exists but that this user may not open: which device,
// which group gives access to it and the command that adds the user to that
// group. Shown once by the program and printed by konvelo-cli.
#include <QSerialPort>
#include <QString>

class TPortAccess {
public:
    QString Device;   // /dev/ttyUSB0
    QString Group;    // the device's group, usually dialout
    QString User;

    // After a failed open of Port with Error: true (and the fields filled) when
    // the device exists and this user lacks the permission to read and write
    // it. A port busy with another program is not such a case.
    bool Check(const QString &Port, QSerialPort::SerialPortError Error);

    // sudo usermod -aG <group> <user>
    QString Command() const;
    // The message window's lines and caption.
    QString FirstLine() const;
    QString SecondLine() const;   // lines separated by '\r'
    static QString Caption();
    // The same for standard error, one line per '\n'.
    QString Text() const;

    static QString DevicePath(const QString &Port);
    static QString CurrentUser();
};
