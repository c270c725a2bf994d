#include "TSerialLink.h"
#include "TSystemPortList.h"
#include <QDeadlineTimer>

TSerialLink::TSerialLink(QObject *parent) : QObject(parent)
{
    connect(&FPort, &QSerialPort::readyRead, this, &TSerialLink::readyRead);
    connect(&FPort, &QSerialPort::errorOccurred, this, &TSerialLink::errorOccurred);
}

TSerialLink::~TSerialLink()
{
    Close();
}

bool TSerialLink::Open()
{
    if (FPort.isOpen())
        FPort.close();
    FOpenError = QSerialPort::DeviceNotFoundError;
    if (FPortName.isEmpty())
        return false;
    FPort.setPortName(FPortName);
    if (!FPort.open(QIODevice::ReadWrite)) {
        FOpenError = FPort.error();
        FPort.clearError();
        return false;
    }
    if (!FPort.setBaudRate(BaudRate) || !FPort.setDataBits(DataBits) || !FPort.setParity(Parity)
        || !FPort.setStopBits(StopBits) || !FPort.setFlowControl(FlowControl)) {
        // A pseudo-terminal may refuse some settings; the port is still usable.
        FPort.clearError();
    }
    FPort.setReadBufferSize(0);
    FOpenError = QSerialPort::NoError;
    return true;
}

void TSerialLink::Close()
{
    if (FPort.isOpen())
        FPort.close();
    FPort.clearError();
}

bool TSerialLink::Connected() const
{
    return FPort.isOpen();
}

bool TSerialLink::SetConnected(bool value)
{
    if (value)
        return Connected() || Open();
    Close();
    return true;
}

bool TSerialLink::SetPort(const QString &name)
{
    if (name == FPortName)
        return true;
    FPortName = name;
    if (!FPort.isOpen())
        return true;
    Close();
    return Open();
}

int TSerialLink::Read(char *buffer, int count)
{
    if (count <= 0 || !FPort.isOpen())
        return 0;
    QDeadlineTimer deadline(1000 + 100 * count);
    int got = 0;
    FInRead = true;
    while (got < count && FPort.isOpen()) {
        const qint64 n = FPort.read(buffer + got, count - got);
        if (n < 0)
            break;
        got += int(n);
        FBytesRead += n;
        if (got >= count)
            break;
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || !FPort.waitForReadyRead(int(left))) {
            if (FPort.isOpen() && FPort.bytesAvailable() > 0)
                continue;
            break;
        }
    }
    FInRead = false;
    return got;
}

int TSerialLink::Write(const char *buffer, int count)
{
    if (!FPort.isOpen() || count <= 0)
        return 0;
    const qint64 n = FPort.write(buffer, count);
    if (n <= 0)
        return 0;
    FPort.flush();
    if (FPort.isOpen() && FPort.bytesToWrite() > 0)
        FPort.waitForBytesWritten(1000);
    return int(n);
}

int TSerialLink::InputCount() const
{
    return FPort.isOpen() ? int(FPort.bytesAvailable()) : 0;
}

void TSerialLink::ClearBuffer(bool input, bool output)
{
    if (!FPort.isOpen())
        return;
    // Every byte written is flushed to the driver at once, so output clearing can
    // only ever drop bytes still queued inside the link, never ones already sent.
    if (output && FPort.bytesToWrite() > 0)
        FPort.clear(QSerialPort::Output);
    if (input)
        FPort.clear(QSerialPort::Input);
}

QStringList TSerialLink::PortList() const
{
    return (FPortList ? FPortList : TSystemPortList::instance())->Ports();
}

void TSerialLink::readyRead()
{
    if (FInRead)
        return;                     // a blocking Read takes the bytes itself
    if (FInNotification) {
        FNotifyAgain = true;        // handled when the running notification returns
        return;
    }
    FInNotification = true;
    do {
        FNotifyAgain = false;
        const int count = InputCount();
        const qint64 readBefore = FBytesRead;
        if (count > 0 && OnRxChar)
            OnRxChar(this, count);
        // QSerialPort does not emit readyRead again for bytes that arrive while a
        // handler runs a nested event loop: look for them here. A handler that
        // reads nothing is not called again for the same bytes.
        if (FPort.isOpen() && OnRxChar && InputCount() > 0 && FBytesRead != readBefore)
            FNotifyAgain = true;
    } while (FNotifyAgain && FPort.isOpen());
    FInNotification = false;
}

void TSerialLink::errorOccurred(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::UnknownError:
        if (FPort.isOpen()) {
            FPort.close();
            FPort.clearError();
            if (OnPortLost)
                OnPortLost();
        }
        break;
    default:
        break;
    }
}
