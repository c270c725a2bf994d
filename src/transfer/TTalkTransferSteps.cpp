#include "TTalkTransferSteps.h"
#include "phone/TPhone.h"
#include "phone/TPhoneHost.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QDir>
#include <QFileInfo>
#include <exception>

namespace TTalkTransferSteps {

namespace {
QString freeName(const QString &Stem, const QString &Suffix)
{
    QString name = Stem + Suffix;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = Stem + QStringLiteral("_%1").arg(n) + Suffix;
    return name;
}
}

QString TargetFile(const QString &Folder, TTalkKind Kind, TDateTime Time, const QString &Phone)
{
    QString name = (Kind == tkOutTalk ? QStringLiteral("Out_") : QStringLiteral("In_"))
                   + Time.toQDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss")) + QLatin1Char(' ') + Phone;
    name.replace(QLatin1Char(':'), QLatin1Char('_'));
    name.replace(QLatin1Char('?'), QLatin1Char('-'));
    // A number can hold no folder separators.
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name.replace(QLatin1Char('\\'), QLatin1Char('-'));
    QString folder = QDir::toNativeSeparators(Folder);
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return freeName(folder + QDir::separator() + name, QStringLiteral(".wav"));
}

QString PartialFile(const QString &File)
{
    const QString stem = File.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive) ? File.chopped(4) : File;
    return freeName(stem + QStringLiteral(".partial"), QStringLiteral(".wav"));
}

bool WriteTransferredFile(TPhoneHost &Host, TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls,
                          TTalkKind Kind, const QString &File)
{
    const QFileInfo info(File);
    if (!info.isFile() || info.size() == 0)
        return false;
    const int index = Host.TalkSearchIndex;
    try {
        if (Kind != tkOutTalk) {
            if (index < 0 || index >= Host.InBookMarks.size())
                return false;
            TInBookMarks &mark = Host.InBookMarks[index];
            const QVariantList row = InCalls.rowByKey(mark.Call_ID);
            if (row.isEmpty())
                return false;
            const TTableSchema &schema = InCalls.schema();
            QString talk = row.at(schema.fieldIndex(QStringLiteral("FileName"))).toString();
            QString message = row.at(schema.fieldIndex(QStringLiteral("MessageFileName"))).toString();
            (Kind == tkInMessage ? message : talk) = File;
            const qint64 id = InCalls.ReplaceFileNames(mark.Call_ID, talk, message);
            if (id)
                mark.Call_ID = int(id);
            return id != 0;
        }
        if (index < 0 || index >= Host.OutBookMarks.size())
            return false;
        TOutBookMarks &mark = Host.OutBookMarks[index];
        const qint64 id = OutCalls.ReplaceFileName(mark.Call_ID, File);
        if (id)
            mark.Call_ID = int(id);
        return id != 0;
    } catch (const std::exception &) {
        // The transfer goes on with the next talk; the row keeps its "+".
        return false;
    }
}

uint8_t IncomingCode(const QString &MessageFileName)
{
    return MessageFileName == Marker ? 0x84 : 0x83;
}

bool RequestNextTalk(TPhone &Phone, TPhoneHost &Host, TTalkKind Kind, int &TransferCell)
{
    int start = Host.TalkSearchIndex + 1;
    if (Kind != tkOutTalk) {
        for (int i = qMax(0, start); i < Host.InBookMarks.size(); ++i) {
            const TInBookMarks &mark = Host.InBookMarks.at(i);
            if (mark.CellNo < 0)
                continue;
            Host.TalkSearchIndex = i;
            TransferCell = mark.CellNo;
            Phone.RequestTalkSend(IncomingCode(mark.MessageFileName), quint16(TransferCell));
            return true;
        }
        start = 0;   // the incoming bookmarks are used up: the outgoing ones from the first
    }
    for (int i = qMax(0, start); i < Host.OutBookMarks.size(); ++i) {
        const TOutBookMarks &mark = Host.OutBookMarks.at(i);
        if (mark.CellNo < 0)
            continue;
        Host.TalkSearchIndex = i;
        TransferCell = mark.CellNo;
        Phone.RequestTalkSend(0x85, quint16(TransferCell));
        return true;
    }
    return false;
}

}
