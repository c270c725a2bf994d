#pragma once
// What the parameter editor and the bulk transfer need of the phone link, and
// the repeat timer they run, so that a test can drive both without waiting.
#include <QList>
#include <QtGlobal>

struct TParam;

class IParamLink {
public:
    virtual ~IParamLink() = default;
    virtual bool Online() const = 0;
    virtual void RequestParameter(quint16 Address) = 0;
    // Writes the parameter's values twice, 20 ms apart, letting pending
    // messages run; false (nothing sent) while the phone is off line.
    virtual bool SaveParamInAON(const TParam &Param) = 0;
};

class IParamTimer {
public:
    virtual ~IParamTimer() = default;
    virtual void Start(int Milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};
