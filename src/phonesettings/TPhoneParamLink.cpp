#include "TPhoneParamLink.h"
#include "TParamModel.h"
#include "phone/TPhone.h"
#include <QCoreApplication>
#include <QThread>

bool TPhoneParamLink::Online() const
{
    return FPhone.Online();
}

void TPhoneParamLink::RequestParameter(quint16 Address)
{
    FPhone.RequestParameter(Address);
}

bool TPhoneParamLink::SaveParamInAON(const TParam &Param)
{
    if (!FPhone.Online())
        return false;
    const QList<quint16> values = Param.SlotValues();
    const quint16 address = quint16(Param.Id);
    FPhone.WriteParameter(address, values);
    QCoreApplication::processEvents();
    QThread::msleep(WriteGap);
    QCoreApplication::processEvents();
    FPhone.WriteParameter(address, values);
    QCoreApplication::processEvents();
    return true;
}

TQtParamTimer::TQtParamTimer(std::function<void()> OnTick)
{
    QObject::connect(&FTimer, &QTimer::timeout, [f = std::move(OnTick)] { f(); });
}

void TQtParamTimer::Start(int Milliseconds)
{
    FTimer.start(Milliseconds);
}
