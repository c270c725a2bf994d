#pragma once
// The serial port the phone is attached to: 9600 baud, 8 data bits, no parity,
// one stop bit, no flow control. Reads of message bodies block for at most
// 1000 ms plus 100 ms per requested byte. The received-characters notification
// (OnRxChar) runs on the thread that owns the link, never twice at once.
#include "TPortList.h"
#include <QObject>
#include <QSerialPort>
#include <functional>

class TSerialLink : public QObject {
    Q_OBJECT
public:
    explicit TSerialLink(QObject *parent = nullptr);
    ~TSerialLink() override;

    // Opens the named port with the line settings; false when it is missing or busy.
    bool Open();
    // Why the last Open failed (NoError after a successful one).
    QSerialPort::SerialPortError OpenError() const { return FOpenError; }
    void Close();
    bool Connected() const;
    bool SetConnected(bool value);

    QString Port() const { return FPortName; }
    // A different name while open closes the port and opens the new one.
    bool SetPort(const QString &name);

    // Blocks until count bytes have arrived or 1000 + 100 * count ms have passed.
    int Read(char *buffer, int count);
    // Hands the bytes to the driver; returns how many it took.
    int Write(const char *buffer, int count);
    int InputCount() const;
    // Discards received bytes not yet read and/or bytes not yet handed to the driver.
    void ClearBuffer(bool input, bool output);

    // The system's ports, or the list given by SetPortList.
    QStringList PortList() const;
    void SetPortList(const TPortList *list) { FPortList = list; }

    // Line settings, loaded from and stored to the settings store.
    qint32 BaudRate = 9600;
    QSerialPort::DataBits DataBits = QSerialPort::Data8;
    QSerialPort::Parity Parity = QSerialPort::NoParity;
    QSerialPort::StopBits StopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl FlowControl = QSerialPort::NoFlowControl;

    std::function<void(TSerialLink *Sender, int Count)> OnRxChar;
    // The open port went away (adapter pulled, other end closed); the link is closed.
    std::function<void()> OnPortLost;

private:
    void readyRead();
    void errorOccurred(QSerialPort::SerialPortError error);

    QSerialPort FPort;
    QString FPortName = QStringLiteral("COM1");
    QSerialPort::SerialPortError FOpenError = QSerialPort::NoError;
    const TPortList *FPortList = nullptr;
    bool FInNotification = false;
    bool FNotifyAgain = false;
    bool FInRead = false;
    qint64 FBytesRead = 0;   // by Read, over the link's life
};
