#include "TRobotList.h"
#include "common/Cp1251.h"
#include "common/TTextLineReader.h"
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <numeric>

namespace {

// Leading decimal integer after leading blanks, 0 when the text is not one.
int decimal(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

// Integers by value, but 0 after every non-zero value.
int compareInts(qint64 a, qint64 b)
{
    if (a == b)
        return 0;
    if (a == 0)
        return 1;
    if (b == 0)
        return -1;
    return a < b ? -1 : 1;
}

// Upper-case texts by character code; an empty text after every non-empty one.
int compareTexts(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? 1 : -1);
    return QString::compare(a.toUpper(), b.toUpper(), Qt::CaseSensitive);
}

qint64 numberKey(const QString &number)
{
    bool ok = false;
    const qint64 v = number.trimmed().toLongLong(&ok);
    return ok ? v : 0;
}

QString markText(const TRobotRow &r)
{
    return r.Mark.isNull() ? QString() : QString(r.Mark);
}

} // namespace

TRobotRow TRobotList::ParseLine(const QString &Line, bool *Ok)
{
    TRobotRow row;
    *Ok = false;
    int sep = Line.indexOf(u'=');
    if (sep < 0)
        sep = Line.indexOf(u'+');
    if (sep < 0)
        return row;
    row.Number = Line.left(sep).trimmed();
    if (row.Number.isEmpty())
        return row;
    // The bar after the separator: a bar inside the number cuts nothing off.
    int bar = Line.indexOf(u'|', sep + 1);
    const bool hasBar = bar > sep;
    if (!hasBar)
        bar = int(Line.size());
    row.Name = Line.mid(sep + 1, bar - sep - 1).trimmed();
    row.Mark = Line.at(sep);
    row.Count = hasBar && bar < Line.size() - 1 ? std::max(0, decimal(Line.mid(bar + 1))) : 0;
    *Ok = true;
    return row;
}

namespace {

QList<TRobotRow> readRows(QIODevice &Device, QList<QByteArray> *Tail)
{
    QList<TRobotRow> rows;
    QList<QByteArray> kept;
    TTextLineReader reader(Device);
    QByteArray line;
    while (reader.ReadLine(line)) {
        if (line.isEmpty())
            continue;
        bool ok = false;
        // The list file is Windows-1251 by its format, whatever bytes it holds.
        TRobotRow row = TRobotList::ParseLine(Cp1251::Decode(line), &ok);
        if (!ok) {
            kept.append(line);
            continue;
        }
        row.Kept = std::move(kept);
        kept.clear();
        rows.append(std::move(row));
    }
    if (Tail)
        *Tail = std::move(kept);
    return rows;
}

} // namespace

QList<TRobotRow> TRobotList::ParseList(const QByteArray &Content, QList<QByteArray> *Tail)
{
    QBuffer buffer;
    buffer.setData(Content);
    buffer.open(QIODevice::ReadOnly);
    return readRows(buffer, Tail);
}

QByteArray TRobotList::FormatList(const QList<TRobotRow> &Rows, const QList<QByteArray> &Tail)
{
    QByteArray out;
    for (const TRobotRow &r : Rows) {
        for (const QByteArray &k : r.Kept)
            out += k + "\r\n";
        // Names and numbers are one line each: a line break would split the row.
        QString number = r.Number, name = r.Name;
        number.replace(u'\r', u' ').replace(u'\n', u' ');
        name.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'|', u'/');
        // A "+" in the number or an "=" in the name would be read as the separator
        // of a reached row: such a row keeps its number, name and count, not its mark.
        const bool reached = r.Reached() && !number.contains(u'+') && !name.contains(u'=');
        out += Cp1251::Encode(number + (reached ? QStringLiteral(" + ") : QStringLiteral(" = ")) + name
                        + QStringLiteral(" |") + QString::number(r.Count));
        out += "\r\n";
    }
    for (const QByteArray &k : Tail)
        out += k + "\r\n";
    // A kept line that looks like a byte-order mark must not open the file,
    // or the next read would take it for one.
    if (out.startsWith("\xEF\xBB\xBF") || out.startsWith("\xFF\xFE") || out.startsWith("\xFE\xFF"))
        out.prepend("\r\n");
    return out;
}

bool TRobotList::LoadList(const QString &FileName)
{
    QFile f(FileName);
    if (!f.exists() || !f.open(QIODevice::ReadOnly))
        return false;
    FRows = readRows(f, &FTail);
    FFileName = QFileInfo(FileName).absoluteFilePath();
    FState = FRows.isEmpty() ? rlsNone : rlsSaved;
    if (!FRows.isEmpty() && FSortColumn > 0)
        SortBy(FSortColumn);
    FLastFolder = QFileInfo(FileName).absolutePath();
    return true;
}

bool TRobotList::SaveList(const QString &FileName, QString *Error)
{
    QSaveFile f(FileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(FormatList(FRows, FTail)) < 0 || !f.commit()) {
        if (Error)
            *Error = f.errorString();
        return false;
    }
    FFileName = QFileInfo(FileName).absoluteFilePath();
    FLastFolder = QFileInfo(FileName).absolutePath();
    FState = rlsSaved;
    return true;
}

void TRobotList::SetFromEditor(const QList<TRobotEditorRow> &Rows, bool New)
{
    // The editor shows no kept lines: they go to the end, and a new list has none.
    if (New)
        FTail.clear();
    else {
        QList<QByteArray> kept;
        for (const TRobotRow &r : FRows)
            kept += r.Kept;
        FTail = kept + FTail;
    }
    FRows.clear();
    for (const TRobotEditorRow &e : Rows) {
        const QString number = e.Number.trimmed();
        if (!number.isEmpty())
            FRows.append(TRobotRow{number, e.Name, QChar(), e.Count});
    }
    if (FRows.isEmpty())
        FState = rlsNone;
    else if (New || FState == rlsNew || FState == rlsNone)
        FState = rlsNew;
    else
        FState = rlsModified;
    if (New)
        FFileName.clear();
}

QList<TRobotEditorRow> TRobotList::EditorRows() const
{
    QList<TRobotEditorRow> rows;
    for (const TRobotRow &r : FRows)
        rows.append(TRobotEditorRow{r.Number, r.Name, r.Count});
    rows.append(TRobotEditorRow{});
    return rows;
}

void TRobotList::markChanged()
{
    if (FState == rlsSaved)
        FState = rlsModified;
}

void TRobotList::ResetMark(int Row)
{
    if (Row < 0 || Row >= FRows.size())
        return;
    FRows[Row].Mark = u'=';
    markChanged();
}

void TRobotList::ResetAllMarks()
{
    for (TRobotRow &r : FRows)
        r.Mark = u'=';
    if (!FRows.isEmpty())
        markChanged();
}

void TRobotList::Clear()
{
    FRows.clear();
    FTail.clear();
    FState = rlsNone;
    FFileName.clear();
}

bool TRobotList::Less(const TRobotRow &a, const TRobotRow &b, int Column)
{
    int c = 0;
    switch (Column) {
    case colNumber:
        c = compareInts(numberKey(a.Number), numberKey(b.Number));
        if (!c)
            c = compareTexts(a.Name, b.Name);
        break;
    case colCount:
        c = compareInts(a.Count, b.Count);
        if (!c)
            c = compareTexts(a.Name, b.Name);
        break;
    case colName:
    case colMark:
        c = Column == colName ? compareTexts(a.Name, b.Name) : compareTexts(markText(a), markText(b));
        if (!c)
            c = compareInts(numberKey(a.Number), numberKey(b.Number));
        break;
    default:
        break;
    }
    return c < 0;
}

QList<int> TRobotList::SortBy(int Column)
{
    if (Column < colNumber || Column > colCount)
        return {};
    FSortColumn = Column;
    QList<int> order(FRows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this, Column](int a, int b) { return Less(FRows[a], FRows[b], Column); });
    QList<TRobotRow> sorted;
    sorted.reserve(FRows.size());
    QList<int> moved(FRows.size());
    for (int i = 0; i < order.size(); ++i) {
        moved[order[i]] = i;
        sorted.append(std::move(FRows[order[i]]));
    }
    FRows = std::move(sorted);
    return moved;
}
