#pragma once
// One monitored line for the call-handling tests: konvelo-phonesim on a
// pseudo-terminal, a TPhone on it with its session, the settings and the
// three tables in a temporary base folder, a real recorder, the sound control
// over a recording sound layer, and the call handling over a recording window
// layer.
#include "CallTestView.h"
#include "app/TCallHandler.h"
#include "app/TConfigVolumeSettings.h"
#include "app/TPhoneSession.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "audio/TGSMRecorder.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "tools/PhoneSimProcess.h"
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class CallTestLine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the simulator (its scenario on standard input) and connects the
    // phone to it; the phone is online when this returns true.
    bool startLine(const QStringList &simArgs = {});
    // Feeds scenario lines and runs the event loop until done() (false after timeoutMs).
    bool play(const QString &lines, const std::function<bool()> &done, int timeoutMs = 10000);
    // Runs the event loop until done() or timeoutMs.
    static bool spinUntil(const std::function<bool()> &done, int timeoutMs);
    static void spin(int ms);

    // The journals' rows, oldest first, as name -> value maps.
    QList<QVariantMap> inRows() const;
    QList<QVariantMap> outRows() const;
    // Why no recording can be made here (empty when the sound server answers).
    static QString noSoundServer();
    // RIFF/WAVE with GSM 6.10, 8000 Hz mono, at least one block of data.
    static bool isGsmWave(const QString &path, QString *why = nullptr);
    QString path(const QString &name) const { return FDir.filePath(name); }
    int lineFrees() const { return FLineFrees; }
    int endCalls() const { return FEndCalls; }

    // The files of the ring sounds: the global one and a subscriber's own.
    QString ringFile() const { return path(QStringLiteral("ring.wav")); }
    QString personalFile() const { return path(QStringLiteral("personal.wav")); }

    QTemporaryDir FDir;
    TPhoneSession FSession;
    const TPhoneHost &FHost = FSession.Flags();
    std::unique_ptr<TPhone> FPhone;
    std::unique_ptr<TConfig> FConfig;
    std::unique_ptr<TAddressBook> FBook;
    std::unique_ptr<TIncomingCallBook> FIn;
    std::unique_ptr<TOutgoingCallBook> FOut;
    std::unique_ptr<TGSMRecorder> FRecorder;
    CallTestView FView;
    CallTestMixer FMixer{FView};
    CallTestPlayer FPlayer{FView};
    std::unique_ptr<TConfigVolumeSettings> FVolumeSettings;
    TQtTickTimer FCreschendoTimer;
    std::unique_ptr<TSoundControl> FSound;
    std::unique_ptr<TCallHandler> FHandler;
    std::unique_ptr<PhoneSimProcess> FSim;
    // The attributes of the last OnEndCall.
    TCallAttributes FLastAttributes;

private:
    int FLineFrees = 0;
    int FEndCalls = 0;
};
