// The address import from CSV and vCard files into a real address book file.
#include "import/TAddressImport.h"
#include "import/TOutlookPump.h"
#include "common/Cp1251.h"
#include "common/TTextLineReader.h"
#include "records/TAddressBook.h"
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {
struct Row {
    QString Phone, Name, Address, Notes;
    bool operator==(const Row &o) const
    {
        return Phone == o.Phone && Name == o.Name && Address == o.Address && Notes == o.Notes;
    }
};

void PrintTo(const Row &r, std::ostream *os)
{
    *os << "{" << r.Phone.toStdString() << " | " << r.Name.toStdString() << " | " << r.Address.toStdString()
        << " | " << r.Notes.toStdString() << "}";
}

struct AddressImport : ::testing::Test {
    QTemporaryDir Dir;
    std::unique_ptr<TAddressBook> Book;
    TImportWords Words;

    void SetUp() override { Book = std::make_unique<TAddressBook>(Dir.filePath(QStringLiteral("AddressBook"))); }

    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = Dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QString WriteText(const QString &name, const QString &text) { return Write(name, text.toUtf8()); }
    TImportResult Import(const QString &file)
    {
        TAddressImport import(*Book, Words);
        return import.ImportFile(file);
    }
    // Every row in the order of its key.
    QList<Row> Rows() const
    {
        QList<Row> rows;
        Book->SortBy(QStringLiteral("Person_ID"));
        for (int i = 0; i < Book->recordCount(); ++i) {
            const QVariantList r = Book->rowByKey(Book->keyAt(i));
            rows << Row{r.value(1).toString(), r.value(2).toString(), r.value(4).toString(), r.value(5).toString()};
        }
        return rows;
    }
};

const QString OutlookHeader = QStringLiteral("Имя;Домашний телефон;Служебный телефон;Сотовый телефон\r\n");
const QString NotFound = QStringLiteral("В списке контактов Outlook не найдены новые телефонные номера");
}

TEST_F(AddressImport, CsvNamesEachNumberByItsKind)
{
    const QString file = WriteText(QStringLiteral("a.csv"), OutlookHeader
                                       + QStringLiteral("Иванов Иван;111;;222\r\n"
                                                        ";333;;\r\n"
                                                        "Петров;;444;\r\n"
                                                        "Сидоров;;;555;лишняя ячейка\r\n"
                                                        "Короткий;666\r\n"));
    const TImportResult r = Import(file);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Added, 6);
    EXPECT_EQ(r.Caption, QStringLiteral("Успешно"));
    EXPECT_EQ(r.Message, QStringLiteral("Всего внесено номеров: 6"));
    const QList<Row> expected{{"111", "Иванов Иван - Домашний", "", ""}, {"222", "Иванов Иван - Мобильный", "", ""},
                              {"333", "Домашний", "", ""},               {"444", "Петров - Рабочий", "", ""},
                              {"555", "Сидоров - Мобильный", "", ""},    {"666", "Короткий - Домашний", "", ""}};
    EXPECT_EQ(Rows(), expected);
    // The new rows are stored with the defaults of a subscriber.
    ASSERT_TRUE(Book->FindPhone(QStringLiteral("111")));
    EXPECT_EQ(Book->fieldValue(QStringLiteral("Attributes")).toInt(), 0);
    EXPECT_EQ(Book->fieldValue(QStringLiteral("Volume")).toInt(), 100);
    EXPECT_FALSE(Book->fieldValue(QStringLiteral("Creschendo")).toBool());
}

TEST_F(AddressImport, WithoutKindWordsTheNameIsTheContactsOwn)
{
    Words.AddPostfix = false;
    const QString file = WriteText(QStringLiteral("a.csv"), QStringLiteral("name;home phone;mobile phone\n"
                                                                           ";101;\n"
                                                                           "Anna;;102\n"));
    EXPECT_EQ(Import(file).Added, 2);
    EXPECT_EQ(Rows(), (QList<Row>{{"101", "", "", ""}, {"102", "Anna", "", ""}}));
}

TEST_F(AddressImport, HeaderRules)
{
    // Without a name column nothing is imported.
    TImportResult r = Import(WriteText(QStringLiteral("noname.csv"),
                                       QStringLiteral("Фамилия;Домашний телефон\nИванов;123\n")));
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Added, 0);
    EXPECT_EQ(r.Message, NotFound);
    EXPECT_TRUE(Rows().isEmpty());

    // Headings are trimmed and compared in lower case; the last repeated one counts.
    r = Import(WriteText(QStringLiteral("repeat.csv"),
                         QStringLiteral("  ИМЯ ;Home Phone;Сотовый телефон;SOTOVIY;Mobile Phone\n"
                                        "Анна;;900;;901\n")));
    EXPECT_EQ(Rows(), (QList<Row>{{"901", "Анна - Мобильный", "", ""}}));
}

TEST_F(AddressImport, NumbersAreComparedAsTextAndRepeatsSkipped)
{
    const QString file = WriteText(QStringLiteral("a.csv"), OutlookHeader
                                       + QStringLiteral("Один;1234567;;+1234567\n"
                                                        "Два;123 4567;1234567;\n"));
    EXPECT_EQ(Import(file).Added, 3);
    EXPECT_EQ(Rows(), (QList<Row>{{"1234567", "Один - Домашний", "", ""},
                                  {"+1234567", "Один - Мобильный", "", ""},
                                  {"123 4567", "Два - Домашний", "", ""}}));

    // The same file again adds nothing.
    const TImportResult again = Import(file);
    EXPECT_TRUE(again.Ok);
    EXPECT_EQ(again.Added, 0);
    EXPECT_EQ(again.Message, NotFound);
    EXPECT_EQ(Rows().size(), 3);
}

TEST_F(AddressImport, Windows1251AndUtf8FilesReadAlike)
{
    QStringEncoder cp1251("windows-1251");
    ASSERT_TRUE(cp1251.isValid());
    const QString text = OutlookHeader + QStringLiteral("Жуков Ёжик;;;8 916 000\r\n");
    Import(Write(QStringLiteral("cp.csv"), cp1251.encode(text)));
    EXPECT_EQ(Rows(), (QList<Row>{{"8 916 000", "Жуков Ёжик - Мобильный", "", ""}}));
    // UTF-8 with a byte-order mark, and UTF-16 with its mark.
    Import(Write(QStringLiteral("bom.csv"), "\xEF\xBB\xBF" + (OutlookHeader + QStringLiteral("Юля;1;;\n")).toUtf8()));
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    Import(Write(QStringLiteral("u16.csv"), "\xFF\xFE" + QByteArray(utf16.encode(OutlookHeader + QStringLiteral("Яна;2;;\n")))));
    EXPECT_EQ(Rows().mid(1), (QList<Row>{{"1", "Юля - Домашний", "", ""}, {"2", "Яна - Домашний", "", ""}}));
}

TEST_F(AddressImport, EncodingIsDecidedOncePerFileAndEveryLineEndReads)
{
    // "ПЁ" in Windows-1251 is CF A8, a valid UTF-8 pair on its own.
    const QString csv = OutlookHeader + QStringLiteral("ПЁ;1;;\r\nЖуков;2;;\r\n");
    const QString vcf = QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:ПЁ\r\nTEL;HOME:3\r\nEND:VCARD\r\n"
                                       "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Жуков\r\nTEL;CELL:4\r\nEND:VCARD\r\n");
    int n = 0;
    for (const char *end : {"\r\n", "\n", "\r"})
        for (bool torn : {false, true}) {
            Book = std::make_unique<TAddressBook>(Dir.filePath(QStringLiteral("AddressBook%1").arg(++n)));
            for (const QString &text : {csv, vcf}) {
                QByteArray bytes = Cp1251::Encode(text).replace("\r\n", end);
                if (torn)
                    bytes.chop(qstrlen(end));
                const TImportResult r = Import(Write(QStringLiteral("f%1.txt").arg(n), bytes));
                EXPECT_TRUE(r.Ok) << r.Message.toStdString();
            }
            const QList<Row> rows = Rows();
            ASSERT_EQ(rows.size(), 4) << n;
            EXPECT_EQ(rows[0].Name, QStringLiteral("ПЁ - Домашний")) << n;
            EXPECT_EQ(rows[1].Name, QStringLiteral("Жуков - Домашний")) << n;
            EXPECT_EQ(rows[2].Name, QStringLiteral("ПЁ - Домашний")) << n;
            EXPECT_EQ(rows[3], (Row{"4", "Жуков - Мобильный", "", ""})) << n;
        }
}

TEST_F(AddressImport, ANumberLongerThanThePhoneFieldIsRefusedWithItsLine)
{
    Import(Write(QStringLiteral("one.csv"), (OutlookHeader + QStringLiteral("Есть;100;;\r\n")).toUtf8()));
    ASSERT_EQ(Rows().size(), 1);
    const QByteArray huge(3000000, '7');
    TImportResult r = Import(Write(QStringLiteral("long.csv"), (OutlookHeader + QStringLiteral("А;1;;\r\n")).toUtf8()
                                                                  + "\xD0\x91;;" + huge + ";\r\n"));
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Message.startsWith(QStringLiteral("Строка 3: номер длиннее 200 знаков."))) << r.Message.toStdString();
    EXPECT_EQ(Rows().size(), 1);   // nothing of the file stored

    r = Import(Write(QStringLiteral("long.vcf"), "BEGIN:VCARD\nFN:x\nTEL:1\nEND:VCARD\n\nBEGIN:VCARD\nFN:y\nTEL:"
                                                     + QByteArray(201, '5') + "\nEND:VCARD\n"));
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Message.startsWith(QStringLiteral("Строка 6:"))) << r.Message.toStdString();
    EXPECT_EQ(Rows().size(), 1);
    // 200 characters fit.
    r = Import(Write(QStringLiteral("fits.vcf"), "BEGIN:VCARD\nFN:y\nTEL:" + QByteArray(200, '5') + "\nEND:VCARD\n"));
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(Rows().size(), 2);
}

TEST_F(AddressImport, MissingOrEmptyFilesChangeNothing)
{
    TImportResult r = Import(Dir.filePath(QStringLiteral("none.csv")));
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(r.Message, QStringLiteral("Неверно указано имя файла."));
    r = Import(Dir.path());
    EXPECT_EQ(r.Message, QStringLiteral("Неверно указано имя файла."));
    r = Import(Write(QStringLiteral("empty.csv"), QByteArray()));
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Message, QStringLiteral("Файл не содержит данных."));
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(AddressImport, VCard30ExportWithTwoContactsAndFourNumbers)
{
    const QString file = WriteText(
        QStringLiteral("contacts.vcf"),
        QStringLiteral("BEGIN:VCARD\r\n"
                       "VERSION:3.0\r\n"
                       "PRODID:-//Example//Export//EN\r\n"
                       "N:Смирнова;Анна;;;\r\n"
                       "FN:Анна Смирнова\r\n"
                       "EMAIL;TYPE=INTERNET,HOME:anna@example.org\r\n"
                       "EMAIL;TYPE=INTERNET,WORK:a.smirnova@example.com\r\n"
                       "TEL;TYPE=HOME,VOICE:+7 495 100-00-01\r\n"
                       "TEL;TYPE=CELL:+7 916 100-00-02\r\n"
                       "ADR;TYPE=HOME:;;ул. Ленина\\, д. 1;Москва;;101000;Россия\r\n"
                       "ADR;TYPE=WORK:;;Тверская 7;Москва;;;\r\n"
                       "END:VCARD\r\n"
                       "BEGIN:VCARD\r\n"
                       "VERSION:3.0\r\n"
                       "FN:Olga Petrova-\r\n"
                       " Long\r\n"
                       "item1.TEL;TYPE=WORK,VOICE:8 800 200-00-03\r\n"
                       "TEL;TYPE=FAX:8 800 200-00-04\r\n"
                       "END:VCARD\r\n"));
    const TImportResult r = Import(file);
    EXPECT_EQ(r.Added, 4);
    EXPECT_EQ(r.Message, QStringLiteral("Всего внесено номеров: 4"));
    const QString notes = QStringLiteral("Электронная почта: anna@example.org, a.smirnova@example.com");
    const QString home = QStringLiteral("ул. Ленина, д. 1, Москва, 101000, Россия");
    EXPECT_EQ(Rows(), (QList<Row>{{"+7 495 100-00-01", "Анна Смирнова - Домашний", home, notes},
                                  {"+7 916 100-00-02", "Анна Смирнова - Мобильный", home, notes},
                                  {"8 800 200-00-03", "Olga Petrova-Long - Рабочий", "", ""},
                                  {"8 800 200-00-04", "Olga Petrova-Long - Другой", "", ""}}));
    EXPECT_EQ(Import(file).Added, 0);
}

TEST_F(AddressImport, VCard21QuotedPrintableAnd40Uris)
{
    QStringEncoder cp1251("windows-1251");
    QByteArray v21 = "BEGIN:VCARD\nVERSION:2.1\n"
                     "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F=D0=B5=D1=82=D1=80=D0=BE=D0=B2;=D0=98=D0=B2=D0=B0=\n"
                     "=D0=BD;;;\n"
                     "TEL;HOME;VOICE:111\n"
                     "TEL;CELL;PREF:222\n"
                     "END:VCARD\n"
                     "BEGIN:VCARD\nVERSION:2.1\n"
                     "FN;CHARSET=WINDOWS-1251:";
    v21 += cp1251.encode(QStringLiteral("Борис")) + "\nTEL;WORK:333\nEND:VCARD\n";
    v21 += "BEGIN:VCARD\nVERSION:4.0\nFN:Zoe\nTEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+1-555-0104\n"
           "EMAIL:z@example.net\nEND:VCARD\n";
    EXPECT_EQ(Import(Write(QStringLiteral("mixed.vcf"), v21)).Added, 4);
    EXPECT_EQ(Rows(), (QList<Row>{{"111", "Иван Петров - Домашний", "", ""},
                                  {"222", "Иван Петров - Мобильный", "", ""},
                                  {"333", "Борис - Рабочий", "", ""},
                                  {"+1-555-0104", "Zoe - Мобильный", "", "Электронная почта: z@example.net"}}));
}

TEST_F(AddressImport, BrokenVCardsImportWhatTheyCan)
{
    // A card without END, then one cut by the end of the file; lines without
    // a colon, binary junk and properties outside any card are passed over.
    static const char raw[] = "\r\n\r\nbegin:vcard\nFN:First\nTEL:101\nno colon here\n\x01\xFF\xFE:\x00junk\n"
                              "BEGIN:VCARD\nFN:Second\nTEL;TYPE=HOME:102\nEND:VCARD\nTEL:999\nBEGIN:VCARD\nFN:Third\nTEL:103";
    QByteArray bytes(raw, sizeof raw - 1);
    bytes.append(QByteArray(3000, '\0'));
    const TImportResult r = Import(Write(QStringLiteral("broken.vcf"), bytes));
    EXPECT_TRUE(r.Ok);
    QStringList phones;
    for (const Row &row : Rows())
        phones << row.Phone;
    EXPECT_EQ(phones, (QStringList{QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("103")}));
}

TEST_F(AddressImport, CancelledImportLeavesTheBookAsItWas)
{
    Book->AddPerson(QStringLiteral("000"), QStringLiteral("Был"), 0, {}, {}, {}, 100, false);
    QByteArray csv = OutlookHeader.toUtf8();
    for (int i = 0; i < 40000; ++i)
        csv += "Контакт " + QByteArray::number(i) + ";" + QByteArray::number(1000000 + i) + ";;\n";
    const QString file = Write(QStringLiteral("big.csv"), csv);
    TAddressImport import(*Book, Words);
    int calls = 0;
    import.Progress = [&calls](qint64 done, qint64 total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    };
    const TImportResult r = import.ImportFile(file);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Added, 0);
    EXPECT_EQ(Rows().size(), 1);
    // The same file imported whole: one change notice for the lot.
    int changes = 0;
    QObject::connect(Book.get(), &TRecordTable::changed, [&changes] { ++changes; });
    TAddressImport whole(*Book, Words);
    EXPECT_EQ(whole.ImportFile(file).Added, 40000);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(TAddressBook(Dir.filePath(QStringLiteral("AddressBook"))).totalCount(), 40001);
}

TEST(TextLineReader, LineEndsAndOverlongLines)
{
    QByteArray data = "one\r\ntwo\n\nthree\r";
    data += "\n" + QByteArray(TTextLineReader::MaxLine + 10, 'x') + "\nlast";
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    TTextLineReader reader(buf);
    QByteArray line;
    QList<QByteArray> lines;
    while (reader.ReadLine(line))
        lines << line;
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines.mid(0, 4), (QList<QByteArray>{"one", "two", "", "three"}));
    EXPECT_EQ(lines.at(4).size(), TTextLineReader::MaxLine);
    EXPECT_EQ(lines.at(5), QByteArray("last"));
    EXPECT_EQ(reader.Position(), data.size());
}

TEST(TextLineReader, CrAloneEndsALineAndAReaderGoesBackToAMark)
{
    // A CR LF split over the reader's 64 KB chunks is one line end.
    QByteArray data = QByteArray(64 * 1024 - 1, 'a') + "\r\nb\rc\r\rd";
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    TTextLineReader reader(buf);
    QByteArray line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line.size(), 64 * 1024 - 1);
    const qint64 mark = reader.LineStart();
    QList<QByteArray> rest;
    while (reader.ReadLine(line))
        rest << line;
    EXPECT_EQ(rest, (QList<QByteArray>{"b", "c", "", "d"}));
    ASSERT_TRUE(reader.CanSeek());
    ASSERT_TRUE(reader.Seek(mark));
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, QByteArray("b"));
}

TEST(TextLineReader, Utf8OnlyWhenTheWholeFileIs)
{
    const auto encoding = [](QByteArray data) {
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        TTextLineReader reader(buf);
        QByteArray line;
        reader.ReadLine(line);   // the decision sees the whole file, not what was read
        return reader.Encoding();
    };
    const QByteArray pe = "\xCF\xA8";   // "ПЁ" in Windows-1251, valid as UTF-8
    EXPECT_EQ(encoding(pe + "\n"), TTextEncoding::Utf8);
    EXPECT_EQ(encoding(pe + "\n" + QByteArray(200000, 'x') + "\n\xC6\xF3\xEA\xEE\xE2\n"), TTextEncoding::Cp1251);
    // A UTF-8 sequence over a chunk border, a byte-order mark, overlong forms.
    EXPECT_EQ(encoding(QByteArray(64 * 1024 - 1, 'x') + QStringLiteral("Ж").toUtf8()), TTextEncoding::Utf8);
    EXPECT_EQ(encoding("\xEF\xBB\xBF" + pe.left(1)), TTextEncoding::Utf8);
    EXPECT_EQ(encoding("\xC0\xAF"), TTextEncoding::Cp1251);
    EXPECT_EQ(encoding("abc\xD0"), TTextEncoding::Cp1251);   // torn at the end
}

namespace {
struct FakeOutlook : IOutlookContacts {
    QList<TItem> Items;
    bool Opens = true;
    int FailAt = 0;   // Item(FailAt) throws
    bool Open() override { return Opens; }
    void Close() override {}
    int Count() override { return int(Items.size()); }
    TItem Item(int i) override
    {
        if (i == FailAt)
            throw std::runtime_error("Outlook went away");
        return Items.at(i - 1);
    }
};
}

TEST_F(AddressImport, OutlookContactsWithTheirAddressesAndMail)
{
    auto outlook = std::make_unique<FakeOutlook>();
    IOutlookContacts::TItem a;
    a.FullName = QStringLiteral("Анна");
    a.Email2Address = QStringLiteral("a@example.org");
    a.HomeTelephoneNumber = QStringLiteral("101");
    a.HomeAddress = QStringLiteral("Дом");
    a.MobileTelephoneNumber = QStringLiteral("102");
    a.OtherTelephoneNumber = QStringLiteral("103");
    a.OtherAddress = QStringLiteral("Дача");
    IOutlookContacts::TItem b;
    b.BusinessTelephoneNumber = QStringLiteral("201");
    b.BusinessAddress = QStringLiteral("Офис");
    b.Email1Address = QStringLiteral("x@example.com");
    b.Email3Address = QStringLiteral("z@example.com");
    IOutlookContacts::TItem c;
    c.HomeTelephoneNumber = QStringLiteral("301");
    outlook->Items = {a, b, c};
    outlook->FailAt = 3;
    FakeOutlook *source = outlook.get();
    TOutlookPump pump(std::move(outlook));
    pump.OpenOutlook();
    ASSERT_TRUE(pump.Connected());
    // An error on the third contact: the rows of the first two stay.
    EXPECT_THROW(pump.ImportContacts(*Book, Words), std::exception);
    const QString mailA = QStringLiteral("Электронная почта: , a@example.org");
    const QString mailB = QStringLiteral("Электронная почта: x@example.com, z@example.com");
    EXPECT_EQ(Rows(), (QList<Row>{{"101", "Анна - Домашний", "Дом", mailA},
                                  {"103", "Анна - Другой", "Дача", mailA},
                                  {"102", "Анна - Мобильный", "", mailA},
                                  {"201", "Рабочий", "Офис", mailB}}));
    source->FailAt = 0;
    EXPECT_EQ(pump.ImportContacts(*Book, Words), 1);
    EXPECT_EQ(pump.ImportContacts(*Book, Words), 0);

    // Without Outlook the pump stays unconnected and adds nothing.
    auto absent = std::make_unique<FakeOutlook>();
    absent->Opens = false;
    TOutlookPump none(std::move(absent));
    none.OpenOutlook();
    EXPECT_FALSE(none.Connected());
    EXPECT_EQ(none.ImportContacts(*Book, Words), 0);
#ifndef Q_OS_WIN
    TOutlookPump platform;
    platform.OpenOutlook();
    EXPECT_FALSE(platform.Connected());
#endif
}

TEST_F(AddressImport, CliImportsByContentAndPrintsTheCount)
{
    const QString cli = QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");
    if (!QFile::exists(cli))
        GTEST_SKIP() << "konvelo-cli is not built";
    const QString home = Dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    const auto run = [&](const QString &file, QByteArray *err = nullptr) {
        QProcess p;
        p.start(cli, {QStringLiteral("book"), QStringLiteral("import"), file, QStringLiteral("--home"), home});
        p.waitForFinished(60000);
        if (err)
            *err = p.readAllStandardError();
        const QByteArray out = p.readAllStandardOutput().trimmed();
        return qMakePair(p.exitCode(), out.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(out).object());
    };
    // A vCard named .csv is read as a vCard.
    const QString vcf = WriteText(QStringLiteral("cards.csv"),
                                  QStringLiteral("BEGIN:VCARD\nFN:A\nTEL:1\nTEL:2\nEND:VCARD\n"));
    QByteArray err;
    auto r = run(vcf, &err);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.second.value(QStringLiteral("added")).toInt(), 2);
    EXPECT_TRUE(err.contains("import: 100%"));
    r = run(vcf);
    EXPECT_EQ(r.second.value(QStringLiteral("added")).toInt(), 0);
    r = run(Dir.filePath(QStringLiteral("missing.vcf")), &err);
    EXPECT_NE(r.first, 0);
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("Неверно указано имя файла.")));
    EXPECT_FALSE(QFile::exists(QDir(home).filePath(QStringLiteral("Konvelo.ini"))));
}
