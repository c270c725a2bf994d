// The import commands with their progress window and result box, offscreen.
#include "WidgetTestApp.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "import/TImportCommands.h"
#include "records/TAddressBook.h"
#include <QApplication>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>


TEST(ImportCommands, ContactsItemImportsTheChosenFileWithTheSettingsWords)
{
    EnsureWidgetApp();
    QTemporaryDir dir;
    BaseFolder::set(dir.path());
    TConfig config(nullptr);
    config.OutlMobileName = QStringLiteral("Сотовый");
    TAddressBook book(dir.filePath(QStringLiteral("AddressBook")));
    QWidget window;
    TImportCommands commands(book, config, &window);

    const QString file = dir.filePath(QStringLiteral("a.vcf"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BEGIN:VCARD\nVERSION:3.0\nFN:Ира\nTEL;TYPE=CELL:89001234567\nEND:VCARD\n");
    f.close();

    QString filter;
    commands.ChooseFile = [&](const QString &f) {
        filter = f;
        return file;
    };
    QList<TImportResult> shown;
    commands.ShowResult = [&](const TImportResult &r) { shown << r; };
    int imported = 0;
    QObject::connect(&commands, &TImportCommands::Imported, [&](int n) { imported += n; });

    commands.ImportContactsClick();
    EXPECT_TRUE(filter.contains(QStringLiteral("*.vcf")));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().Caption, QStringLiteral("Успешно"));
    EXPECT_EQ(shown.first().Message, QStringLiteral("Всего внесено номеров: 1"));
    EXPECT_EQ(imported, 1);
    ASSERT_TRUE(book.FindPhone(QStringLiteral("89001234567")));
    EXPECT_EQ(book.fieldValue(QStringLiteral("Name")).toString(), QStringLiteral("Ира - Сотовый"));
    EXPECT_EQ(window.findChildren<QProgressDialog *>().size(), 0);

    // The Outlook Express command reads only the semicolon form: the vCard
    // has no name column there.
    commands.ImportCsvFileClick();
    EXPECT_EQ(shown.last().Message, QStringLiteral("В списке контактов Outlook не найдены новые телефонные номера"));

    // Without Outlook the command does nothing at all.
    commands.ImportOutlookClick();
    EXPECT_EQ(shown.size(), 2);
}
