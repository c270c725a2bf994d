#include "TParamTransfer.h"

TParamTransfer::TParamTransfer(TParamModel &Model, IParamLink &Link, IParamTimer &Timer)
    : FModel(Model), FLink(Link), FTimer(Timer)
{
}

void TParamTransfer::BuildReadList(bool OnlyMissing)
{
    FReadList.clear();
    FReadParams.clear();
    for (const auto &g : FModel.Groups) {
        if (!g->ModulePresent)
            continue;
        for (const auto &p : g->Params) {
            if (p->Id == 0 || (OnlyMissing && p->State != pvQuerying))
                continue;
            TProfileRecord r;
            r.ParamId = p->Id;
            FReadList.append(r);
            FReadParams.append(p.get());
        }
    }
}

bool TParamTransfer::WriteWanted(TTransferMode Mode, const TParam &Param)
{
    return Mode == ptmWriteChanged ? Param.State == pvChanged : Param.Known();
}

void TParamTransfer::StartTransfer(TTransferMode Mode, bool OnlyMissing)
{
    if (FRunning)
        return;
    FMode = Mode;
    FRunning = true;
    FCancelRequested = false;
    FPosition = 0;
    FTag = 0;
    FTaken.clear();
    if (Mode == ptmRead) {
        BuildReadList(OnlyMissing);
        FMaximum = int(FReadList.size());
        if (OnProgress)
            OnProgress(0, FMaximum, readParam(0));
        if (FReadList.isEmpty()) {
            finish(tdDone);
            return;
        }
        requestCurrent();
        return;
    }
    FMaximum = FModel.ParamCount();
    if (OnProgress)
        OnProgress(0, FMaximum, nullptr);
    write();
}

const TParam *TParamTransfer::readParam(int Index) const
{
    return Index >= 0 && Index < FReadParams.size() ? FReadParams.at(Index) : nullptr;
}

void TParamTransfer::requestCurrent()
{
    FTag = 0;
    FLink.RequestParameter(quint16(FReadList.at(FPosition).ParamId));
    FTimer.Start(RepeatInterval);
}

void TParamTransfer::ParamAnswer(quint16 Address, const QList<quint16> &Values)
{
    if (!FRunning || FMode != ptmRead || FPosition >= FReadList.size() || Values.isEmpty())
        return;
    // An answer is the current parameter's whatever number it carries, but a
    // late duplicate of one already taken (the phone answered a repeat too)
    // must not become this one's value.
    TProfileRecord &r = FReadList[FPosition];
    if (quint16(r.ParamId) != Address && FTaken.contains(Address))
        return;
    FTaken.insert(Address);
    FTimer.Stop();
    r.Count = uint8_t(qMin<qsizetype>(Values.size(), 255));
    r.Value1 = Values.at(0);
    r.Value2 = Values.size() > 1 ? Values.at(1) : 0;
    advance();
    if (FPosition < FReadList.size())
        requestCurrent();
    else
        finish(tdDone);
}

void TParamTransfer::TimerTick()
{
    if (!FRunning || FMode != ptmRead || FPosition >= FReadList.size()) {
        FTimer.Stop();
        return;
    }
    if (FTag < RepeatLimit && FLink.Online()) {
        FLink.RequestParameter(quint16(FReadList.at(FPosition).ParamId));
        ++FTag;
        return;
    }
    FTimer.Stop();
    advance();
    if (FPosition < FReadList.size())
        requestCurrent();
    else
        finish(FLink.Online() ? tdNoAnswer : tdNoLink);
}

void TParamTransfer::advance()
{
    ++FPosition;
    if (OnProgress)
        OnProgress(FPosition, FMaximum, FMode == ptmRead ? readParam(FPosition) : nullptr);
}

void TParamTransfer::write()
{
    for (auto g = FModel.Groups.rbegin(); g != FModel.Groups.rend(); ++g) {
        auto &params = (*g)->Params;
        for (auto it = params.rbegin(); it != params.rend(); ++it) {
            TParam &p = **it;
            if (OnProgress)
                OnProgress(FPosition, FMaximum, &p);
            if (WriteWanted(FMode, p)) {
                if (!FLink.SaveParamInAON(p)) {
                    finish(tdNoLink);
                    return;
                }
                p.State = pvDefined;
            }
            ++FPosition;
            if (OnProgress)
                OnProgress(FPosition, FMaximum, nullptr);
            // Cancel, clicked while the write let messages run.
            if (FCancelRequested) {
                finish(tdCancelled);
                return;
            }
        }
    }
    finish(tdDone);
}

void TParamTransfer::Cancel()
{
    if (!FRunning)
        return;
    if (FMode != ptmRead) {
        FCancelRequested = true;
        return;
    }
    finish(tdCancelled);
}

void TParamTransfer::finish(TTransferResult Result)
{
    FTimer.Stop();
    FRunning = false;
    if (OnDone)
        OnDone(Result);
}

void TParamTransfer::ApplyReadValues()
{
    for (const TProfileRecord &r : FReadList)
        FModel.ApplyProfileRecord(r);
}
