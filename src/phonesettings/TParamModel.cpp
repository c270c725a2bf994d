#include "TParamModel.h"
#include "common/Cp1251.h"
#include "common/TTextLineReader.h"
#include "phone/TPhoneIdentity.h"
#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

const QString TParamModel::ProfileFilter = QStringLiteral("Профили телефонов VRX (*.AON)|*.AON");
const QString TParamModel::ProfileExtension = QStringLiteral("AON");
const QStringList TParamModel::StateTexts = {
    QStringLiteral("значение параметра определяется"), QStringLiteral("значение параметра определено"),
    QStringLiteral("параметр изменен"),                QStringLiteral("изменение запрещено"),
    QStringLiteral("выберете параметр"),               QStringLiteral("модуль отсутствует в конфигурации")};

namespace {

bool blank(QChar c)
{
    return c.unicode() <= 32;
}

// Trimmed of characters with codes up to 32 at both ends.
QString trim32(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && blank(s.at(b)))
        ++b;
    while (e > b && blank(s.at(e - 1)))
        --e;
    return (b == 0 && e == s.size()) ? s : s.mid(b, e - b);
}

QString leftTrim(const QString &s)
{
    qsizetype b = 0;
    while (b < s.size() && blank(s.at(b)))
        ++b;
    return s.mid(b);
}

// "KEYWORD", blanks, "=": the text after the "=" in Rest.
bool keyword(const QString &t, QLatin1StringView kw, QString &Rest)
{
    if (!t.startsWith(kw))
        return false;
    qsizetype i = kw.size();
    while (i < t.size() && blank(t.at(i)))
        ++i;
    if (i >= t.size() || t.at(i) != QLatin1Char('='))
        return false;
    Rest = t.mid(i + 1);
    return true;
}

// A decimal number, or Def.
qint64 number(const QString &text, qint64 Def)
{
    bool ok = false;
    const qint64 v = trim32(text).toLongLong(&ok);
    return ok ? v : Def;
}

// Block reader states; the negative results end the block.
enum {
    S1, S2, S3a, S3b, S4, S5, S6a, S6b, S7, StateCount,
    CompleteHere = -1,    // the line completes the block
    CompleteBefore = -2,  // the line ends a complete block and is read again by the main pass
    DropBefore = -3,
};

int step(int st, const QString &raw, const QString &t, TParam *P)
{
    if (st == S7) {
        const qsizetype q = raw.indexOf(QLatin1Char('\''));
        if (P)
            P->Description << (q >= 0 ? raw.left(q) : raw);
        return q >= 0 ? CompleteHere : S7;
    }
    if (t.isEmpty())
        return st;
    const QChar c = t.at(0);
    if (c == QLatin1Char('<') || c == QLatin1Char('['))
        return (st == S3b || st == S5) ? CompleteBefore : DropBefore;
    QString rest;
    switch (st) {
    case S1:
        if (!keyword(t, QLatin1StringView("ID"), rest))
            return S1;
        {
            const qint64 n = number(rest, -1);
            const qint32 id = (n < INT32_MIN || n > INT32_MAX) ? -1 : qint32(n);
            if (P)
                P->Id = id;
            return id == 0 ? S3a : S2;
        }
    case S2:
        if (!keyword(t, QLatin1StringView("NAME"), rest))
            return S2;
        if (P)
            P->Name = leftTrim(rest);
        return S3a;
    case S3a:
    case S3b:
        if (c == QLatin1Char('{')) {
            if (P)
                P->Values.append(TParamValue());
            return S4;
        }
        if (c == QLatin1Char('\'')) {
            const QString text = t.mid(1);
            const qsizetype q = text.indexOf(QLatin1Char('\''));
            if (q >= 0) {
                if (P)
                    P->Description << text.left(q);
                return CompleteHere;
            }
            if (P && !text.isEmpty())
                P->Description << text;
            return S7;
        }
        return st;
    case S4: {
        if (!keyword(t, QLatin1StringView("TYPE"), rest))
            return S4;
        const QString word = trim32(rest);
        const TParamKind kind = word == QLatin1String("GROUP") ? skGroup
            : word == QLatin1String("SET")                     ? skSet
            : word == QLatin1String("FLAG")                    ? skFlag
                                                               : skNone;
        if (kind == skNone)
            return S4;
        if (P)
            P->Values.last().Kind = kind;
        return kind == skSet ? S6a : S5;
    }
    case S5: {
        QString line = t;
        const qsizetype b = line.indexOf(QLatin1Char('}'));
        const bool close = b >= 0 && b == line.size() - 1;
        if (close)
            line.chop(1);
        if (P && line.startsWith(QLatin1Char('*')))
            P->Values.last().Labels << trim32(line.mid(1));
        return close ? S3b : S5;
    }
    case S6a:
        if (c != QLatin1Char('*'))
            return S6a;
        if (P)
            P->Values.last().Labels << leftTrim(t.mid(1));
        return S6b;
    case S6b:
        if (!keyword(t, QLatin1StringView("RANGE"), rest))
            return S6b;
        if (P)
            P->Values.last().Allowed = TParamModel::ParseRange(rest);
        return S3b;
    }
    return st;
}

} // namespace

QList<quint16> TParam::SlotValues() const
{
    QList<quint16> v;
    for (const TParamValue &s : Values)
        v << s.Value;
    return v;
}

QByteArray TProfileRecord::ToBytes() const
{
    QByteArray b(Size, '\0');
    char *p = b.data();
    qToLittleEndian<qint32>(ParamId, p);
    p[4] = char(Count);
    qToLittleEndian<quint16>(Value1, p + 6);
    qToLittleEndian<quint16>(Value2, p + 8);
    return b;
}

TProfileRecord TProfileRecord::FromBytes(const char *Data)
{
    TProfileRecord r;
    r.ParamId = qFromLittleEndian<qint32>(Data);
    r.Count = uint8_t(Data[4]);
    r.Value1 = qFromLittleEndian<quint16>(Data + 6);
    r.Value2 = qFromLittleEndian<quint16>(Data + 8);
    return r;
}

void TParamModel::Clear()
{
    Groups.clear();
    TabCaptions.clear();
    SelectedTab = -1;
}

namespace {

// Lines to read once and, for a parameter block, again: from a list or from
// a file through the shared line reader.
class TLineSource {
public:
    virtual ~TLineSource() = default;
    virtual bool Next(QString &Raw) = 0;
    // Where the next line starts, and going back there.
    virtual qint64 Mark() const = 0;
    virtual void Rewind(qint64 Mark) = 0;
};

class TListSource : public TLineSource {
public:
    explicit TListSource(const QStringList &Lines) : FLines(Lines) {}
    bool Next(QString &Raw) override
    {
        if (FNext >= FLines.size())
            return false;
        Raw = FLines.at(FNext++);
        return true;
    }
    qint64 Mark() const override { return FNext; }
    void Rewind(qint64 Mark) override { FNext = qsizetype(Mark); }

private:
    const QStringList &FLines;
    qsizetype FNext = 0;
};

class TReaderSource : public TLineSource {
public:
    explicit TReaderSource(TTextLineReader &Reader) : FReader(Reader), FUtf8(Reader.Encoding() == TTextEncoding::Utf8) {}
    bool Next(QString &Raw) override
    {
        if (!FReader.ReadLine(FBytes))
            return false;
        Raw = FUtf8 ? QString::fromUtf8(FBytes) : Cp1251::Decode(FBytes);
        return true;
    }
    qint64 Mark() const override { return FReader.LineStart(); }
    void Rewind(qint64 Mark) override { FReader.Seek(Mark); }

private:
    TTextLineReader &FReader;
    const bool FUtf8;
    QByteArray FBytes;
};

// The main pass over the description and the parameter blocks it starts.
class TDescriptionReader {
public:
    TDescriptionReader(TParamModel &Model, TLineSource &Source, quint16 Firmware)
        : FModel(Model), FSource(Source), FFirmware(Firmware)
    {
    }
    void Run();

private:
    struct TPos {
        qint64 Mark;
        qsizetype Line;
    };
    TPos pos() const { return {FSource.Mark(), FLine}; }
    void seek(TPos p)
    {
        FSource.Rewind(p.Mark);
        FLine = p.Line;
    }
    bool next(QString &Raw, QString &Trimmed)
    {
        if (!FSource.Next(Raw))
            return false;
        Trimmed = trim32(Raw);
        ++FLine;
        return true;
    }
    void block(TParamGroup &Group, const QString &Raw, const QString &Trimmed, TPos Before);
    bool visited(int State, qsizetype Line);

    TParamModel &FModel;
    TLineSource &FSource;
    const quint16 FFirmware;
    qsizetype FLine = 0;   // index of the next line
    // States in which each line from FVisitedBase on was met by blocks that were
    // dropped: from there every block is dropped again, so no content makes the
    // reading quadratic. Emptied when a block is complete.
    std::vector<uint16_t> FVisited;
    qsizetype FVisitedBase = 0;
};

bool TDescriptionReader::visited(int State, qsizetype Line)
{
    if (FVisited.empty())
        FVisitedBase = Line;
    const size_t i = size_t(Line - FVisitedBase);
    if (i >= FVisited.size())
        FVisited.resize(i + 1, 0);
    const uint16_t bit = uint16_t(1u << State);
    if (FVisited[i] & bit)
        return true;
    FVisited[i] |= bit;
    return false;
}

void TDescriptionReader::Run()
{
    FModel.Clear();
    bool active = true;
    TParamGroup *group = nullptr;
    QString raw, t;
    for (;;) {
        const TPos before = pos();
        if (!next(raw, t))
            break;
        if (t.isEmpty() || t.at(0) == QLatin1Char(';'))
            continue;
        if (t.startsWith(QLatin1String("VER"))) {
            QString rest;
            if (keyword(t, QLatin1StringView("VER"), rest)) {
                const qsizetype dash = rest.indexOf(QLatin1Char('-'));
                const quint16 a = dash < 0 ? 0 : quint16(number(rest.left(dash), 0));
                quint16 b = quint16(number(dash < 0 ? rest : rest.mid(dash + 1), 0));
                if (b == 0)
                    b = 65535;
                active = a <= FFirmware && FFirmware <= b;
            }
            continue;
        }
        if (!active)
            continue;
        if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            FModel.TabCaptions << t.mid(1, t.size() - 2);
            FModel.SelectedTab = int(FModel.TabCaptions.size()) - 1;
            auto g = std::make_unique<TParamGroup>();
            g->TabIndex = FModel.SelectedTab;
            // The module from the first line after the tab that is no comment.
            const TPos after = pos();
            QString uRaw, u;
            while (next(uRaw, u)) {
                if (u.isEmpty() || u.at(0) == QLatin1Char(';'))
                    continue;
                QString rest;
                if (u.startsWith(QLatin1String("MODULE")) && keyword(u, QLatin1StringView("MODULE"), rest))
                    g->Module = uint8_t(number(rest, 0) & 0xFF);
                break;
            }
            seek(after);
            group = g.get();
            FModel.Groups.push_back(std::move(g));
            continue;
        }
        if (!group)
            continue;
        if (t.at(0) == QLatin1Char('<')) {
            qsizetype k = 1;
            while (k < t.size() && blank(t.at(k)))
                ++k;
            if (k < t.size() && t.at(k) >= QLatin1Char('0') && t.at(k) <= QLatin1Char('9')) {
                auto node = std::make_unique<TNode>();
                node->Name = t.mid(k + 1);
                const int level = t.at(k).unicode() - '0';
                TNode *parent = nullptr;
                if (level > 0)
                    for (TNode *x = group->CurrentNode; x; x = x->Parent)
                        if (x->Level == level - 1) {
                            parent = x;
                            break;
                        }
                node->Parent = parent;
                node->Level = parent ? level : 0;
                group->CurrentNode = node.get();
                group->Nodes.push_back(std::move(node));
            }
            continue;
        }
        if (!group->CurrentNode)
            continue;
        block(*group, raw, t, before);
    }
    for (auto &g : FModel.Groups)
        g->CurrentNode = nullptr;
}

// The parameter block that starts at the line just read (Before: where it
// starts). First only where it ends is found, then a complete block is read
// again into a parameter, so a dropped one never holds its lines.
void TDescriptionReader::block(TParamGroup &Group, const QString &Raw, const QString &Trimmed, TPos Before)
{
    const TPos afterStart = pos();
    const qsizetype start = FLine - 1;
    enum { Dropped, EndsHere, EndsBefore } outcome = Dropped;
    int st = S1;
    QString raw = Raw, t = Trimmed;
    qsizetype j = start;
    TPos beforeJ = Before;
    for (;;) {
        if (visited(st, j))
            break;
        const int r = step(st, raw, t, nullptr);
        if (r == CompleteHere || r == CompleteBefore || r == DropBefore) {
            outcome = r == CompleteHere ? EndsHere : r == CompleteBefore ? EndsBefore : Dropped;
            break;
        }
        st = r;
        beforeJ = pos();
        if (!next(raw, t))
            break;
        j = FLine - 1;
    }
    if (outcome == Dropped) {
        // The main pass goes on with the line after the block's first.
        seek(afterStart);
        return;
    }
    FVisited.clear();
    const TPos resume = outcome == EndsHere ? pos() : beforeJ;
    const qsizetype last = outcome == EndsHere ? j : j - 1;
    seek(Before);
    auto param = std::make_unique<TParam>();
    st = S1;
    for (qsizetype k = start; k <= last && st >= 0 && next(raw, t); ++k)
        st = step(st, raw, t, param.get());
    seek(resume);
    param->State = param->Id == 0 ? pvNoValue : pvQuerying;
    param->Node = Group.CurrentNode;
    Group.CurrentNode->Param = param.get();
    Group.Params.push_back(std::move(param));
}

} // namespace

bool TParamModel::ReadDescriptionFile(const QString &FileName, QStringList &Lines, QString &Error)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly)) {
        Error = f.errorString();
        return false;
    }
    Lines.clear();
    TTextLineReader reader(f);
    const bool utf8 = reader.Encoding() == TTextEncoding::Utf8;
    QByteArray line;
    while (reader.ReadLine(line))
        Lines << (utf8 ? QString::fromUtf8(line) : Cp1251::Decode(line));
    if (reader.Failed()) {
        Error = f.errorString();
        return false;
    }
    return true;
}

QStringList TParamModel::DescriptionLines(const QByteArray &Bytes)
{
    QBuffer buffer;
    buffer.setData(Bytes);
    buffer.open(QIODevice::ReadOnly);
    TTextLineReader reader(buffer);
    const bool utf8 = reader.Encoding() == TTextEncoding::Utf8;
    QStringList lines;
    QByteArray line;
    while (reader.ReadLine(line))
        lines << (utf8 ? QString::fromUtf8(line) : Cp1251::Decode(line));
    return lines;
}

void TParamModel::LoadDescription(const QStringList &Lines, quint16 FirmwareVersion)
{
    TListSource source(Lines);
    TDescriptionReader(*this, source, FirmwareVersion).Run();
}

void TParamModel::LoadDescription(QIODevice &Device, quint16 FirmwareVersion)
{
    TTextLineReader reader(Device);
    reader.Encoding();
    if (reader.CanSeek()) {
        TReaderSource source(reader);
        TDescriptionReader(*this, source, FirmwareVersion).Run();
        return;
    }
    // UTF-16 or a stream: its lines are kept to be read again.
    const bool utf8 = reader.Encoding() == TTextEncoding::Utf8;
    QStringList lines;
    QByteArray line;
    while (reader.ReadLine(line))
        lines << (utf8 ? QString::fromUtf8(line) : Cp1251::Decode(line));
    LoadDescription(lines, FirmwareVersion);
}

bool TParamModel::LoadDescriptionFile(const QString &FileName, quint16 FirmwareVersion, QString &Error)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly)) {
        Error = f.errorString();
        return false;
    }
    LoadDescription(f, FirmwareVersion);
    if (f.error() != QFileDevice::NoError) {
        Error = f.errorString();
        return false;
    }
    return true;
}

void TParamModel::RefreshModules(const TPhoneIdentity &Identity)
{
    for (auto &g : Groups) {
        for (auto &p : g->Params)
            if (p->State != pvNoValue)
                p->State = pvQuerying;
        if (g->Module == 1)
            g->ModulePresent = Identity.PhoneVariant;
        else if (g->Module >= 2 && g->Module <= 9)
            g->ModulePresent = Identity.PhoneOption(g->Module - 1);
        else
            g->ModulePresent = true;
    }
}

std::vector<TTreeItem> TParamModel::BuildTree(const TParamGroup &Group)
{
    std::vector<TTreeItem> items;
    int prev = -1;
    for (const auto &node : Group.Nodes) {
        int parent = -2;   // -2: no place
        if (!node->Parent || node->Level == 0)
            parent = -1;
        else if (prev >= 0 && node->Level == items[size_t(prev)].Depth + 1)
            parent = prev;
        else
            for (int x = prev; x >= 0; x = items[size_t(x)].Parent) {
                const int p = items[size_t(x)].Parent;
                if (p >= 0 && items[size_t(p)].Depth + 1 == node->Level) {
                    parent = p;
                    break;
                }
            }
        if (parent == -2)
            continue;
        TTreeItem item;
        item.Caption = node->Name;
        item.Parent = parent;
        item.Depth = parent < 0 ? 0 : items[size_t(parent)].Depth + 1;
        item.Node = node.get();
        item.Param = node->Param;
        items.push_back(item);
        prev = int(items.size()) - 1;
    }
    return items;
}

void TParamModel::ApplyProfileRecord(const TProfileRecord &Record)
{
    // Id 0 marks the description-only entries, which never take values.
    if (Record.Count == 0 || Record.ParamId == 0)
        return;
    bool found = false;
    for (auto &g : Groups)
        for (auto &p : g->Params)
            if (p->Id == Record.ParamId) {
                p->Values.resize(Record.Count);
                p->Values[0].Value = Record.Value1;
                if (Record.Count > 1)
                    p->Values[1].Value = Record.Value2;
                p->State = pvDefined;
                found = true;
                break;
            }
    if (found)
        ++MatchedRecords;
}

QByteArray TParamModel::ProfileBytes(bool MarkSaved)
{
    QByteArray out;
    for (auto &g : Groups)
        for (auto &p : g->Params) {
            if (p->Id == 0)
                continue;
            TProfileRecord r;
            r.ParamId = p->Id;
            if (p->Known()) {
                r.Count = uint8_t(qMin<qsizetype>(p->Values.size(), 255));
                if (p->Values.size() > 0)
                    r.Value1 = p->Values[0].Value;
                if (p->Values.size() > 1)
                    r.Value2 = p->Values[1].Value;
                if (MarkSaved)
                    p->State = pvDefined;
            }
            out += r.ToBytes();
        }
    return out;
}

int TParamModel::ApplyProfileBytes(const QByteArray &Bytes)
{
    // Each record is looked up by number, not by walking every parameter.
    QHash<qint32, QVector<TParam *>> index;
    for (auto &g : Groups) {
        QSet<qint32> seen;
        for (auto &p : g->Params)
            if (p->Id != 0 && !seen.contains(p->Id)) {
                seen.insert(p->Id);
                index[p->Id].append(p.get());
            }
    }
    const int records = int(Bytes.size() / TProfileRecord::Size);
    for (int i = 0; i < records; ++i) {
        const TProfileRecord r = TProfileRecord::FromBytes(Bytes.constData() + qsizetype(i) * TProfileRecord::Size);
        if (r.Count == 0)
            continue;
        const QVector<TParam *> params = index.value(r.ParamId);
        if (!params.isEmpty())
            ++MatchedRecords;
        for (TParam *p : params) {
            p->Values.resize(r.Count);
            p->Values[0].Value = r.Value1;
            if (r.Count > 1)
                p->Values[1].Value = r.Value2;
            p->State = pvDefined;
        }
    }
    return records;
}

bool TParamModel::SaveProfile(const QString &FileName, QString &Error)
{
    const QByteArray bytes = ProfileBytes(false);
    QSaveFile f(FileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        Error = f.errorString();
        return false;
    }
    ProfileBytes(true);
    return true;
}

bool TParamModel::LoadProfile(const QString &FileName, QString &Error, QString *Warning)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly)) {
        Error = f.errorString();
        return false;
    }
    // In pieces, so that a huge file never sits in memory whole.
    constexpr qint64 Chunk = TProfileRecord::Size * 65536;
    qint64 total = 0;
    for (;;) {
        const QByteArray part = f.read(Chunk);
        if (part.isEmpty())
            break;
        total += part.size();
        ApplyProfileBytes(part);
        if (part.size() < Chunk)
            break;
    }
    if (f.error() != QFileDevice::NoError) {
        Error = f.errorString();
        return false;
    }
    if (Warning && total % TProfileRecord::Size)
        *Warning = QStringLiteral("the last %1 bytes form no whole record and were ignored")
                       .arg(total % TProfileRecord::Size);
    return true;
}

TOptionLabel TParamModel::ParseOptionLabel(const QString &Label)
{
    const qsizetype gt = Label.indexOf(QLatin1Char('>'));
    if (gt < 0)
        return {0, Label};
    return {int(number(Label.left(gt), 0) & 0x7FFFFFFF), Label.mid(gt + 1)};
}

TAllowedSet TParamModel::ParseRange(const QString &List)
{
    TAllowedSet set;
    const QString text = List.left(255);
    int cur = 0, from = 0;
    bool dash = false;
    auto close = [&] {
        if (dash) {
            for (int v = from; v <= cur; ++v)
                set.set(size_t(v));
        } else
            set.set(size_t(cur));
        cur = 0;
        dash = false;
    };
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            cur = (cur * 10 + (c.unicode() - '0')) % 256;
        else if (c == QLatin1Char('-')) {
            from = cur;
            cur = 0;
            dash = true;
        } else if (c == QLatin1Char(','))
            close();
    }
    close();
    if (set.none() || (set.count() == 1 && set.test(0)))
        set.set();
    return set;
}

bool TParamModel::Accepts(const TParamValue &Slot, int Value)
{
    return Value >= 0 && Value <= 255 && Slot.Allowed.test(size_t(Value));
}

int TParamModel::AllowedMin(const TAllowedSet &Allowed)
{
    for (int v = 0; v < 256; ++v)
        if (Allowed.test(size_t(v)))
            return v;
    return 0;
}

int TParamModel::AllowedMax(const TAllowedSet &Allowed)
{
    for (int v = 255; v >= 0; --v)
        if (Allowed.test(size_t(v)))
            return v;
    return 0;
}

int TParamModel::ParamCount() const
{
    int n = 0;
    for (const auto &g : Groups)
        n += int(g->Params.size());
    return n;
}

TParamGroup *TParamModel::GroupOf(const TParam *Param) const
{
    for (const auto &g : Groups)
        for (const auto &p : g->Params)
            if (p.get() == Param)
                return g.get();
    return nullptr;
}
