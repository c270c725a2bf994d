#pragma once
// Reading every parameter from the phone, or writing many to it, one exchange
// per parameter. Reads are paced by the phone's answers and a 500 ms repeat,
// each parameter asked at most 11 times; writes go from the last group to the
// first, each parameter sent twice. What was read reaches the model only at a
// successful end (ApplyReadValues).
#include "IParamLink.h"
#include "TParamModel.h"
#include <QSet>
#include <QVector>
#include <functional>

enum TTransferMode { ptmWriteKnown = 0, ptmWriteChanged = 1, ptmRead = 2 };
enum TTransferResult { tdDone = 0, tdCancelled = 1, tdNoAnswer = 2, tdNoLink = 3 };

class TParamTransfer {
public:
    static constexpr int RepeatInterval = 500;
    static constexpr int RepeatLimit = 10;   // repeats after the first request

    TParamTransfer(TParamModel &Model, IParamLink &Link, IParamTimer &Timer);

    // The position moved (done, total); the parameter now handled (may be null).
    std::function<void(int Position, int Maximum, const TParam *Current)> OnProgress;
    // Called once at the end of every transfer.
    std::function<void(TTransferResult Result)> OnDone;

    // One record per parameter to read: present modules only, Id not 0;
    // OnlyMissing leaves out what is not pvQuerying.
    void BuildReadList(bool OnlyMissing);
    // Starts a transfer; a read builds its list first (OnlyMissing as for
    // BuildReadList). A write runs to its end before this returns.
    void StartTransfer(TTransferMode Mode, bool OnlyMissing = false);
    void ParamAnswer(quint16 Address, const QList<quint16> &Values);
    void TimerTick();
    void Cancel();

    bool Running() const { return FRunning; }
    TTransferMode Mode() const { return FMode; }
    int Position() const { return FPosition; }
    int Maximum() const { return FMaximum; }
    int Tries() const { return FTag; }
    const QVector<TProfileRecord> &ReadList() const { return FReadList; }
    void ApplyReadValues();
    // Parameters the write sends in the given mode, in their order.
    static bool WriteWanted(TTransferMode Mode, const TParam &Param);

private:
    void requestCurrent();
    void advance();
    void finish(TTransferResult Result);
    void write();
    const TParam *readParam(int Index) const;

    TParamModel &FModel;
    IParamLink &FLink;
    IParamTimer &FTimer;
    TTransferMode FMode = ptmRead;
    QVector<TProfileRecord> FReadList;
    QVector<const TParam *> FReadParams;
    QSet<quint16> FTaken;   // numbers carried by the answers taken in this read
    int FPosition = 0;
    int FMaximum = 0;
    int FTag = 0;
    bool FRunning = false;
    bool FCancelRequested = false;
};
