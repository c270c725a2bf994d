// The address import: a CSV export of 10^5 contacts and a vCard file of
// 5*10^4 cards into an empty address book, the same files again (every number
// already there), and 100 MB of random bytes or of one line. A plain timing program:
// bench_import [DIR] (a temporary folder otherwise).
#include "BenchSupport.h"
#include "import/TAddressImport.h"
#include "records/TAddressBook.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

using BenchSupport::ms;

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

void timeImport(TAddressBook &book, const QString &file, const char *what, bool asVCard = false)
{
    TAddressImport import(book, TImportWords());
    QElapsedTimer t;
    t.start();
    const TImportResult r = asVCard ? import.ImportVCardFile(file) : import.ImportFile(file);
    const double took = ms(t);
    std::printf("%s: %d numbers added in %.0f ms (%.1f MB/s), book %lld rows, resident %ld MB\n", what, r.Added,
                took, took > 0 ? double(QFileInfo(file).size()) / 1e6 / (took / 1000.0) : 0.0, book.totalCount(),
                BenchSupport::residentKb() / 1024);
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IONBF, 0);
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(dir);
    QFile::remove(dir + QStringLiteral("/AddressBook.cds"));

    QByteArray csv = "Имя;Домашний телефон;Служебный телефон;Сотовый телефон\r\n";
    for (int i = 0; i < 100000; ++i)
        csv += "Контакт " + QByteArray::number(i) + ";" + QByteArray::number(4950000000LL + i) + ";;"
            + QByteArray::number(89160000000LL + i) + "\r\n";
    QByteArray vcf;
    for (int i = 0; i < 50000; ++i)
        vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card " + QByteArray::number(i) + "\r\nTEL;TYPE=WORK:"
            + QByteArray::number(84950000000LL + i) + "\r\nTEL;TYPE=CELL:" + QByteArray::number(89260000000LL + i)
            + "\r\nEMAIL:c" + QByteArray::number(i) + "@example.org\r\nEND:VCARD\r\n";
    QByteArray junk(100 << 20, Qt::Uninitialized);
    QRandomGenerator gen(13);
    gen.fillRange(reinterpret_cast<quint32 *>(junk.data()), junk.size() / 4);
    const QString csvFile = dir + QStringLiteral("/contacts.csv");
    const QString vcfFile = dir + QStringLiteral("/contacts.vcf");
    const QString junkFile = dir + QStringLiteral("/junk.bin");
    writeFile(csvFile, csv);
    writeFile(vcfFile, vcf);
    writeFile(junkFile, junk);

    TAddressBook book(dir + QStringLiteral("/AddressBook"));
    timeImport(book, csvFile, "CSV, 10^5 contacts, empty book");
    timeImport(book, vcfFile, "vCard, 5*10^4 cards");
    timeImport(book, csvFile, "CSV again, every number known");
    timeImport(book, junkFile, "100 MB of random bytes, as CSV (no name column: the header ends it)");
    timeImport(book, junkFile, "100 MB of random bytes, read through as vCards", true);
    writeFile(junkFile, QByteArray(100 << 20, 'x'));
    timeImport(book, junkFile, "100 MB without a line end, as vCards", true);
    return 0;
}
