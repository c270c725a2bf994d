#pragma once
// The steps a transferred talk shares between the program and konvelo-cli: the
// name of its file, linking the file to its journal row, and asking the phone
// for the next talk found.
#include "common/PhoneTypes.h"
#include "common/TDateTime.h"
#include <QString>

class TIncomingCallBook;
class TOutgoingCallBook;
class TPhone;
class TPhoneHost;

namespace TTalkTransferSteps {

inline const QString Marker = QStringLiteral("+");

// <Folder>/In_|Out_<dd.MM.yyyy H:mm:ss> <Phone>.wav, ":" as "_" and "?" as "-"; a
// name already taken on disk gets "_2", "_3", ... before the extension.
QString TargetFile(const QString &Folder, TTalkKind Kind, TDateTime Time, const QString &Phone);
// Where a recording that stopped short is kept: <name>.partial.wav, not taken.
QString PartialFile(const QString &File);

// Writes File into the journal row of the bookmark at Host.TalkSearchIndex (the row
// is replaced by a copy with a new Call_ID, which the bookmark takes). False when
// the file is missing or empty, the row is gone, or the table refused the change.
bool WriteTransferredFile(TPhoneHost &Host, TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls,
                          TTalkKind Kind, const QString &File);
// Moves Host.TalkSearchIndex to the next bookmark the phone holds (the remaining
// incoming ones, then the outgoing ones from the first) and asks the phone for it.
// False when none is left.
bool RequestNextTalk(TPhone &Phone, TPhoneHost &Host, TTalkKind Kind, int &TransferCell);
// The request code for an incoming bookmark: 0x84 for the message, else 0x83.
uint8_t IncomingCode(const QString &MessageFileName);

}
