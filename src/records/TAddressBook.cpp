#include "TAddressBook.h"
#include "TTableError.h"
#include "TXmlDataPacket.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {
const TRecordTable::TBookmark NoKey = 0;

QVariant optionalText(const QString &s)
{
    return s.isEmpty() ? QVariant() : QVariant(s);
}

const char *const InvalidText = "Неверный формат файла адресной книги: ";
const char *const RecreateText = "Файл адресной книги будет создан автоматически";
}

TAddressBook::TAddressBook(const QString &basePath, QObject *owner)
    : TRecordTable(TTableSchema::addressBook(), basePath, owner)
{
    const QString xml = basePath + QStringLiteral(".xml");
    if (!QFileInfo::exists(fileName()) && QFileInfo::exists(xml))
        convertXml(xml);
    openTable({QString::fromUtf8(InvalidText), QString::fromUtf8(RecreateText)});
}

// One-time conversion of the old text form. The rows keep their keys (hot buttons
// refer to them); the file is deleted only once the new table is safely written, and
// a file that cannot be read is kept as it is.
void TAddressBook::convertXml(const QString &xmlFile)
{
    const TTableSchema &s = schema();
    QFile in(xmlFile);
    TXmlDataPacket packet;
    const bool parsed = in.open(QIODevice::ReadOnly) && packet.parse(in.readAll());
    in.close();
    if (!parsed) {
        appendOpenMessage(QString::fromUtf8(InvalidText) + QDir::toNativeSeparators(xmlFile) + QStringLiteral("\n\r")
                          + QString::fromUtf8(RecreateText) + QStringLiteral("\n\r")
                          + QStringLiteral("Файл %1 оставлен без изменений").arg(QDir::toNativeSeparators(xmlFile)));
        return;
    }
    const QString tmp = fileName() + QStringLiteral(".tmp");
    QFile::remove(tmp);
    QFile::remove(tmp + QStringLiteral("-journal"));
    try {
        TSqliteDatabase db;
        db.open(tmp, true);
        createFile(db, s);
        TSqliteDatabase::Transaction tr(db);
        QStringList cols, marks;
        for (const QString &n : s.fieldNames()) {
            cols << TTableSchema::quoted(n);
            marks << QStringLiteral("?");
        }
        TSqliteStatement ins = db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                              .arg(TTableSchema::quoted(s.TableName), cols.join(QLatin1Char(',')),
                                                   marks.join(QLatin1Char(','))));
        // Rows with a usable key first, then the rest get keys above every kept one.
        QSet<qint64> used;
        QList<QVariantList> later;
        qint64 maxKey = 0;
        for (int r = 0; r < packet.rowCount(); ++r) {
            QVariantList values = packet.typedRow(r, s);
            const qint64 key = values.at(0).isNull() ? 0 : values.at(0).toLongLong();
            if (key <= 0 || key > 0x7FFFFFFF || used.contains(key)) {
                values[0] = QVariant();
                later << values;
                continue;
            }
            used.insert(key);
            maxKey = std::max(maxKey, key);
            ins.reset();
            ins.bindAll(values);
            ins.exec();
        }
        // The next key is above every converted one and at least the stored next value.
        const qint64 next = std::min<qint64>(packet.autoIncValue(), 0x7FFFFFFF);
        if (next - 1 > maxKey) {
            TSqliteStatement put = db.prepare(QStringLiteral(
                "INSERT INTO sqlite_sequence (name, seq) SELECT ?1, 0 WHERE NOT EXISTS "
                "(SELECT 1 FROM sqlite_sequence WHERE name = ?1)"));
            put.bind(1, s.TableName).exec();
            TSqliteStatement up = db.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"));
            up.bindInt64(1, next - 1).bind(2, s.TableName).exec();
        }
        for (const QVariantList &values : later) {
            ins.reset();
            ins.bindAll(values);
            ins.exec();
        }
        tr.commit();
        db.close();
    } catch (const TTableError &e) {
        QFile::remove(tmp);
        appendOpenMessage(QString::fromUtf8(InvalidText) + QDir::toNativeSeparators(xmlFile) + QStringLiteral("\n\r")
                          + e.message());
        return;
    }
    if (!QFile::rename(tmp, fileName())) {
        QFile::remove(tmp);
        return;
    }
    QFile::remove(xmlFile);
}

QVariantList TAddressBook::personValues(const QString &Phone, const QString &Name, uint8_t Attributes,
                                        const QString &Address, const QString &Notes, const QString &SoundFile,
                                        int Volume, bool Creschendo) const
{
    return {QVariant(Phone.isNull() ? QString(QLatin1String("")) : Phone), optionalText(Name),
            QVariant(qint64(Attributes)), optionalText(Address), optionalText(Notes), optionalText(SoundFile),
            QVariant(qint64(Volume)), QVariant(qint64(Creschendo ? 1 : 0))};
}

qint64 TAddressBook::AddPerson(const QString &Phone, const QString &Name, uint8_t Attributes, const QString &Address,
                               const QString &Notes, const QString &SoundFile, int Volume, bool Creschendo)
{
    return insertRow(personValues(Phone, Name, Attributes, Address, Notes, SoundFile, Volume, Creschendo));
}

QString TAddressBook::lookupNumber(const QString &Phone) const
{
    for (QChar c : Phone)
        if (c != QLatin1Char('?'))
            return Phone;
    return QString(std::max(0, FRegionalNumberLength), QLatin1Char('?'));
}

bool TAddressBook::FindPhone(const QString &Phone)
{
    // The first matching row of the current order, through the Phone index.
    TSqliteStatement st = FDb.prepare(QStringLiteral("SELECT \"Person_ID\" FROM \"AddressBook\" WHERE \"Phone\" = ? ORDER BY \"Person_ID\""));
    st.bind(1, lookupNumber(Phone));
    qint64 best = NoKey;
    int bestPos = -1;
    while (st.step()) {
        const qint64 key = st.int64(0);
        const int pos = positionOf(key);
        if (pos >= 0 && (bestPos < 0 || pos < bestPos)) {
            best = key;
            bestPos = pos;
        }
    }
    return best != NoKey && locate(best);
}

QString TAddressBook::NameOfPhone(const QString &Phone) const
{
    TSqliteStatement st = FDb.prepare(QStringLiteral(
        "SELECT \"Person_ID\", \"Name\" FROM \"AddressBook\" WHERE \"Phone\" = ? ORDER BY \"Person_ID\""));
    st.bind(1, lookupNumber(Phone));
    QString name;
    bool any = false;
    int bestPos = -1;
    while (st.step()) {
        const int pos = positionOf(st.int64(0));
        if (!any || (pos >= 0 && (bestPos < 0 || pos < bestPos))) {
            name = st.isNull(1) ? QString() : st.value(1).toString();
            any = true;
            if (pos >= 0)
                bestPos = pos;
        }
    }
    return name;
}

bool TAddressBook::FindPerson(qint64 Person_ID)
{
    return locate(Person_ID);
}

int TAddressBook::CurrentAttributes() const
{
    return fieldValue(QStringLiteral("Attributes")).toInt();
}

bool TAddressBook::UpdatePerson(qint64 Person_ID, const QString &Phone, const QString &Name, uint8_t Attributes,
                                const QString &Address, const QString &Notes, const QString &SoundFile, int Volume,
                                bool Creschendo)
{
    const QVariantList values = personValues(Phone, Name, Attributes, Address, Notes, SoundFile, Volume, Creschendo);
    QList<QPair<int, QVariant>> cols;
    for (int i = 0; i < values.size(); ++i)
        cols << qMakePair(i + 1, values.at(i));
    return updateRow(Person_ID, cols);
}

void TAddressBook::DeleteCurrent()
{
    if (currentKey() != NoKey)
        deleteRow(currentKey());
}

TAddressBook::TBatch::TBatch(TAddressBook &Book) : FBook(Book), FTransaction(Book.FDb)
{
    const TTableSchema &s = Book.schema();
    QStringList cols, marks;
    for (int i = 1; i < s.Fields.size(); ++i) {
        cols << TTableSchema::quoted(s.Fields.at(i).Name);
        marks << QStringLiteral("?");
    }
    FFind = Book.FDb.prepare(QStringLiteral("SELECT 1 FROM \"AddressBook\" WHERE \"Phone\" = ? LIMIT 1"));
    FInsert = Book.FDb.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(TTableSchema::quoted(s.TableName), cols.join(QLatin1Char(',')),
                                        marks.join(QLatin1Char(','))));
}

TAddressBook::TBatch::~TBatch()
{
    // The statements go before the transaction rolls back.
    FFind = TSqliteStatement();
    FInsert = TSqliteStatement();
}

bool TAddressBook::TBatch::HasPhone(const QString &Phone)
{
    FFind.reset();
    FFind.bind(1, Phone);
    const bool found = FFind.step();
    FFind.reset();
    return found;
}

void TAddressBook::TBatch::AddPerson(const QString &Phone, const QString &Name, uint8_t Attributes,
                                     const QString &Address, const QString &Notes, const QString &SoundFile,
                                     int Volume, bool Creschendo)
{
    FInsert.reset();
    FInsert.bindAll(FBook.personValues(Phone, Name, Attributes, Address, Notes, SoundFile, Volume, Creschendo));
    FInsert.exec();
}

void TAddressBook::TBatch::Commit()
{
    if (FDone)
        return;
    FFind = TSqliteStatement();
    FInsert = TSqliteStatement();
    FTransaction.commit();
    FDone = true;
    FBook.reloadView();
}
