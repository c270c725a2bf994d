#pragma once
// Helpers of the phone-settings tests: descriptions from UTF-8 text and a
// link that records what would go to the phone.
#include "phonesettings/IParamLink.h"
#include "phonesettings/TParamModel.h"
#include <QList>
#include <QPair>
#include <QStringList>

inline QStringList vrx(const char *utf8)
{
    return QString::fromUtf8(utf8).split(QLatin1Char('\n'));
}

inline TParamModel model(const char *utf8, quint16 firmware = 112)
{
    TParamModel m;
    m.LoadDescription(vrx(utf8), firmware);
    return m;
}

inline TParam *findParam(const TParamModel &m, qint32 id)
{
    for (const auto &g : m.Groups)
        for (const auto &p : g->Params)
            if (p->Id == id)
                return p.get();
    return nullptr;
}

// The phone's side as seen through IParamLink: requests and writes are kept.
class TRecordingLink : public IParamLink {
public:
    bool online = true;
    QList<quint16> requests;
    QList<QPair<qint32, QList<quint16>>> writes;

    bool Online() const override { return online; }
    void RequestParameter(quint16 Address) override { requests << Address; }
    bool SaveParamInAON(const TParam &Param) override
    {
        if (!online)
            return false;
        writes.append({Param.Id, Param.SlotValues()});
        return true;
    }
};

class TManualTimer : public IParamTimer {
public:
    bool active = false;
    int interval = 0;
    void Start(int ms) override
    {
        active = true;
        interval = ms;
    }
    void Stop() override { active = false; }
    bool Active() const override { return active; }
};
