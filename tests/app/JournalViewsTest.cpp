// The journal views of the main window on a temporary base folder, the phone
// absent (offline): the grids, their drawing, the information-fields panels,
// deleting and clearing, dialling from the grids and wheel scrolling.
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "app/TCallHandler.h"
#include "phone/TPhone.h"
#include "ui/TAlert.h"
#include "ui/TFormFieldsEdit.h"
#include "ui/TAddressPage.h"
#include "ui/TBookPage.h"
#include "audio/TGsmEncoder.h"
#include "audio/TGsmWaveFile.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettings.h"
#include "config/TSettingsStore.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TDialBox.h"
#include "ui/TFieldGrid.h"
#include "ui/TFormMessage.h"
#include "ui/THotButtonsBox.h"
#include "ui/TJournalGridColumns.h"
#include "ui/TJournalGridDelegate.h"
#include "ui/TJournalSplitStrip.h"
#include <QAction>
#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {
using namespace MainTestSupport;

TDateTime at(int day, int h, int m)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(2026, 12, day), QTime(h, m)));
}

TInCall inCall(const QString &phone, TDateTime time, const QString &file = {}, const QString &message = {})
{
    TInCall c;
    c.Phone = phone;
    c.Time = time;
    c.Length = TDateTime::fromTime(QTime(0, 1, 30));
    c.Category = 1;
    c.FileName = file;
    c.MessageFileName = message;
    return c;
}

TOutCall outCall(const QString &phone, TDateTime time, uint8_t attributes, const QString &file = {})
{
    TOutCall c;
    c.Phone = phone;
    c.Time = time;
    c.Length = TDateTime::fromTime(QTime(0, 0, 40));
    c.Attributes = attributes;
    c.FileName = file;
    return c;
}

// Seconds of silence as a GSM 6.10 WAVE file.
bool writeSilence(const QString &path, double seconds)
{
    TGsmWaveFile file;
    if (!file.Create(path))
        return false;
    TGsmEncoder encoder;
    std::vector<int16_t> samples(TGsmEncoder::SamplesPerBlock, 0);
    uint8_t block[TGsmEncoder::BlockSize];
    encoder.EncodeBlock(samples.data(), block);
    QByteArray data;
    for (int b = 0; b < int(seconds * 8000 / TGsmEncoder::SamplesPerBlock); ++b)
        data.append(reinterpret_cast<const char *>(block), sizeof block);
    return file.Append(data.constData(), data.size()) && file.Finish();
}

QStringList column(QTableWidget *grid, int c)
{
    QStringList s;
    for (int r = 0; r < grid->rowCount(); ++r)
        s << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return s;
}

class JournalViews : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(FDir.isValid());
        BaseFolder::set(FDir.path());
    }
    void TearDown() override
    {
        if (FMain)
            FMain->CloseWithoutAsking();
        FMain.reset();
    }

    // Default settings with changes; no phone on the configured port.
    void configure(const std::function<void(TConfig &)> &change = {})
    {
        ASSERT_TRUE(WriteSettings(FDir.path(), QDir(FDir.path()).filePath(QStringLiteral("Records")),
                                  FDir.filePath(QStringLiteral("no-tty")), [&](TConfig &config) {
                                      config.AskForCalls = false;
                                      config.IncomingSort = QStringLiteral("Time");
                                      config.OutgoingSort = QStringLiteral("Time");
                                      if (change)
                                          change(config);
                                  }));
    }

    TMain &start()
    {
        BaseFolder::set(FDir.path());
        FMain = std::make_unique<TMain>();
        FMain->ConfirmExit = [] { return true; };
        FMain->ConfirmDeleteQuestion = [this](const QString &q) {
            FQuestions << q;
            return FAnswer;
        };
        QCoreApplication::processEvents();
        return *FMain;
    }

    // A widget or action of the current page, else of the window.
    template <class T> T *widget(const char *name) const
    {
        if (T *w = FMain->CurrentPage()->findChild<T *>(QString::fromLatin1(name)))
            return w;
        return FMain->findChild<T *>(QString::fromLatin1(name));
    }
    QTableView *grid(const char *name) const { return widget<QTableView>(name); }
    QAction *action(const char *name) const { return widget<QAction>(name); }
    void page(int index) const
    {
        widget<QTabWidget>("PageControl1")->setCurrentIndex(index);
        QCoreApplication::processEvents();
    }
    static TJournalGridColumns *columns(QTableView *g) { return static_cast<TJournalGridColumns *>(g->model()); }
    QString file(const QString &name, const QByteArray &content = "RIFF")
    {
        const QString path = FDir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }

    QTemporaryDir FDir;
    std::unique_ptr<TMain> FMain;
    QStringList FQuestions;
    bool FAnswer = true;
};

}

TEST_F(JournalViews, FieldPanelShowsTheEnabledFieldsAndFollowsTheShowKind)
{
    configure([](TConfig &c) {
        c.InFieldYes.fill(false);
        c.InFieldYes[1] = true;
        c.InFieldYes[3] = true;
        c.InField[1] = QStringLiteral("Организация");
        c.InField[3] = QStringLiteral("Тема");
        c.ShowInFieldKind = 1;
    });
    TMain &m = start();
    TIncomingCallBook *in = m.InCalls();
    TInCall filled = inCall(QStringLiteral("5551234"), at(1, 12, 0));
    filled.Field_1 = QStringLiteral("ООО Ромашка");
    filled.Field_2 = QStringLiteral("не показывается");
    filled.Field_3 = QStringLiteral("счёт");
    const qint64 withFields = in->AddCall(filled);
    const qint64 empty = in->AddCall(inCall(QStringLiteral("5550000"), at(2, 12, 0)));
    page(0);
    auto *panel = widget<QWidget>("PanelFieldsIn");
    auto *sg = widget<QTableWidget>("SGFieldsIn");
    ASSERT_NE(sg, nullptr);
    EXPECT_NE(widget<QWidget>("PanelSplittIn"), nullptr);

    // The newest (empty) row is current: kind 1 hides the panel.
    ASSERT_EQ(in->currentKey(), empty);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(sg->property("tag").toLongLong(), empty);

    ASSERT_TRUE(in->FindCall(withFields));
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(widget<QToolButton>("ShowFieldsInBtn")->isChecked());
    EXPECT_EQ(sg->property("tag").toLongLong(), withFields);
    EXPECT_EQ(column(sg, 0), (QStringList{QStringLiteral("Организация"), QStringLiteral("Тема")}));
    EXPECT_EQ(column(sg, 1), (QStringList{QStringLiteral("ООО Ромашка"), QStringLiteral("счёт")}));
    EXPECT_EQ(sg->item(1, 1)->data(FieldNumberRole).toInt(), 3);
    EXPECT_EQ(sg->height(), (17 + 1) * 2 + 4);

    // A value in a field that is not shown still makes the row non-empty, on the next row change.
    in->UpdateFields(empty, QStringLiteral("5550000"), {TFieldEntry{5, QStringLiteral("x")}}, TDateTime());
    ASSERT_TRUE(in->FindCall(empty));
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(column(sg, 1), (QStringList{QString(), QString()}));

    // The show/hide button and the pop-up item.
    widget<QToolButton>("ShowFieldsInBtn")->click();
    EXPECT_FALSE(panel->isVisible());
    QMenu *popup = widget<QMenu>("GridPopup");
    QMetaObject::invokeMethod(popup, "aboutToShow");
    EXPECT_FALSE(action("ShowFieldsItem")->isChecked());
    action("ShowFieldsItem")->trigger();
    EXPECT_TRUE(panel->isVisible());

    // Kind 0 shows the panel for an empty row too; kind 2 never.
    m.Config()->ShowInFieldKind = 0;
    const qint64 blank = in->AddCall(inCall(QStringLiteral("5559999"), at(3, 12, 0)));
    QCoreApplication::processEvents();
    ASSERT_EQ(in->currentKey(), blank);
    EXPECT_TRUE(panel->isVisible());
    m.Config()->ShowInFieldKind = 2;
    ASSERT_TRUE(in->FindCall(withFields));
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->isVisible());

    // The strip keeps the panel between 50 and 160 px.
    auto *strip = static_cast<TJournalSplitStrip *>(widget<QWidget>("PanelSplittIn"));
    for (int i = 0; i < 20; ++i)
        strip->Drag(-10);
    EXPECT_EQ(panel->height(), 160);
    for (int i = 0; i < 30; ++i)
        strip->Drag(10);
    EXPECT_EQ(panel->height(), 50);
}

TEST_F(JournalViews, FieldGridWithoutEnabledFieldsIsDisabledWithOneRow)
{
    EnsureApp();
    TConfig config(nullptr);
    config.OutFieldYes.fill(false);
    QTableWidget grid;
    grid.verticalHeader()->setMinimumSectionSize(10);
    grid.verticalHeader()->setDefaultSectionSize(17);
    FillFieldGrid(&grid, 1, false, &config);
    EXPECT_FALSE(grid.isEnabled());
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.columnWidth(0), 55);
    config.OutField[7] = QStringLiteral("Очень длинное название седьмого поля");
    FillFieldGrid(&grid, 1, true, &config);
    EXPECT_TRUE(grid.isEnabled());
    EXPECT_EQ(grid.rowCount(), 7);
    EXPECT_EQ(grid.item(6, 0)->text(), config.OutField[7]);
    EXPECT_EQ(grid.columnWidth(0), QFontMetrics(grid.font()).horizontalAdvance(config.OutField[7]) + 10);
    EXPECT_EQ(grid.currentRow(), 0);
}

TEST_F(JournalViews, NightRowsAreSkyBlueUnlessSelected)
{
    configure([](TConfig &c) {
        c.StartNight = TDateTime::fromTime(QTime(0, 0));
        c.EndNight = TDateTime::fromTime(QTime(9, 0));
    });
    TMain &m = start();
    const qint64 late = m.InCalls()->AddCall(inCall(QStringLiteral("5551111"), at(1, 23, 30)));
    const qint64 noon = m.InCalls()->AddCall(inCall(QStringLiteral("5552222"), at(2, 12, 0)));
    page(0);
    QTableView *g = grid("InGrid");
    ASSERT_TRUE(m.InCalls()->FindCall(noon));
    QCoreApplication::processEvents();
    const int autoAnswer = columns(g)->columnOf(QStringLiteral("AutoAnswer"));
    auto pixel = [&](qint64 key) {
        const QRect cell = g->visualRect(g->model()->index(m.InCalls()->positionOf(key), autoAnswer));
        return g->viewport()->grab().toImage().pixelColor(cell.center());
    };
    const QColor sky(166, 202, 240);

    EXPECT_NE(pixel(late), sky);   // 23:30 lies outside 00:00-09:00
    m.Config()->StartNight = TDateTime::fromTime(QTime(22, 0));
    m.Config()->EndNight = TDateTime::fromTime(QTime(7, 0));
    EXPECT_EQ(pixel(late), sky);   // and inside 22:00-07:00
    EXPECT_NE(pixel(noon), sky);

    ASSERT_TRUE(m.InCalls()->FindCall(late));
    QCoreApplication::processEvents();
    const QColor selected = pixel(late);
    EXPECT_NE(selected, sky);
    EXPECT_TRUE(selected == g->palette().color(QPalette::Active, QPalette::Highlight)
                || selected == g->palette().color(QPalette::Inactive, QPalette::Highlight))
        << selected.name().toStdString();
}

TEST_F(JournalViews, IconColumnsDrawTheGridIconsByValue)
{
    configure();
    TMain &m = start();
    TOutgoingCallBook *out = m.OutCalls();
    const qint64 robot = out->AddCall(outCall(QStringLiteral("5551"), at(1, 10, 0), 16));
    const qint64 vrx = out->AddCall(outCall(QStringLiteral("5552"), at(1, 11, 0), 1, QStringLiteral("+")));
    const qint64 parallel = out->AddCall(outCall(QStringLiteral("5553"), at(1, 12, 0), 2, file("t.wav")));
    QTableView *g = grid("OutGrid");
    auto *delegate = dynamic_cast<TJournalGridDelegate *>(g->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QRect cell(0, 0, 100, 20);
    auto icons = [&](QTableView *view, TRecordTable *t, qint64 key, const QString &field) {
        auto *d = dynamic_cast<TJournalGridDelegate *>(view->itemDelegate());
        const QModelIndex i = view->model()->index(t->positionOf(key), columns(view)->columnOf(field));
        QList<int> n;
        QList<QRect> r;
        for (const auto &icon : d->CellIcons(i, cell)) {
            n << icon.Index;
            r << icon.Rect;
        }
        return std::make_pair(n, r);
    };
    const QString place = QStringLiteral("Attributes");
    auto [robotIcons, robotRects] = icons(g, out, robot, place);
    ASSERT_EQ(robotIcons, (QList<int>{2, 10}));
    // The phone half an icon right of the centre, the robot half an icon left of it, the phone 2 px higher.
    EXPECT_EQ(robotRects[0].left(), robotRects[1].right() + 1);
    EXPECT_EQ(robotRects[0].center().x() + robotRects[1].center().x() + 1, 2 * cell.center().x() + 1);
    EXPECT_EQ(robotRects[0].top() + 2, robotRects[1].top());
    EXPECT_EQ(icons(g, out, vrx, place).first, QList<int>{2});
    EXPECT_EQ(icons(g, out, parallel, place).first, QList<int>{3});
    EXPECT_EQ(icons(g, out, robot, QStringLiteral("FileName")).first, QList<int>{});
    EXPECT_EQ(icons(g, out, vrx, QStringLiteral("FileName")).first, QList<int>{1});
    EXPECT_EQ(icons(g, out, parallel, QStringLiteral("FileName")).first, QList<int>{0});
    EXPECT_TRUE(icons(g, out, parallel, QStringLiteral("Phone")).first.isEmpty());

    TInCall answered = inCall(QStringLiteral("5554"), at(1, 9, 0), QString(), QStringLiteral("+"));
    answered.AutoAnswer = true;
    const qint64 a = m.InCalls()->AddCall(answered);
    EXPECT_EQ(icons(grid("InGrid"), m.InCalls(), a, QStringLiteral("AutoAnswer")).first, QList<int>{4});
    EXPECT_EQ(icons(grid("InGrid"), m.InCalls(), a, QStringLiteral("MessageFileName")).first, QList<int>{1});

    // "Параметры": alert, recording and ring slots; "always" wins for the alert and recording, "never" for the ring.
    TAddressBook *book = m.AddressBook();
    const qint64 p1 = book->AddPerson(QStringLiteral("1"), QStringLiteral("А"), 4 | 8 | 1, {}, {}, {}, -1, false);
    const qint64 p2 = book->AddPerson(QStringLiteral("2"), QStringLiteral("Б"), 2 | 16 | 32, {}, {}, {}, -1, false);
    const qint64 p3 = book->AddPerson(QStringLiteral("3"), QStringLiteral("В"), 63, {}, {}, {}, -1, false);
    const qint64 p4 = book->AddPerson(QStringLiteral("4"), QStringLiteral("Г"), 8, {}, {}, {}, -1, false);
    QTableView *ag = grid("AddressGrid");
    const int params = columns(ag)->shownCount() - 1;
    auto personIcons = [&](qint64 key) {
        auto *d = dynamic_cast<TJournalGridDelegate *>(ag->itemDelegate());
        QList<int> n;
        QList<int> left;
        for (const auto &icon : d->CellIcons(ag->model()->index(book->positionOf(key), params), cell)) {
            n << icon.Index;
            left << icon.Rect.left();
        }
        return std::make_pair(n, left);
    };
    EXPECT_EQ(personIcons(p1).first, (QList<int>{6, 0, 9}));
    EXPECT_EQ(personIcons(p1).second, (QList<int>{(100 - 3 * 16 - 3) / 2, (100 - 3 * 16 - 3) / 2 + 18,
                                                  (100 - 3 * 16 - 3) / 2 + 36}));
    EXPECT_EQ(personIcons(p2).first, (QList<int>{7, 1, 8}));
    EXPECT_EQ(personIcons(p3).first, (QList<int>{6, 0, 9}));
    EXPECT_EQ(personIcons(p4).first, QList<int>{0});
    EXPECT_EQ(personIcons(p4).second, QList<int>{(100 - 3 * 16 - 3) / 2 + 18});
    for (int i : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10})
        EXPECT_FALSE(TJournalGridDelegate::GridIcon(i).pixmap(16, 16).isNull()) << i;
}

TEST_F(JournalViews, DoubleClickAndEnterDialOnlyWhereTheRulesAllow)
{
    configure();
    TMain &m = start();
    const qint64 unknown = m.InCalls()->AddCall(inCall(QStringLiteral("?"), at(1, 10, 0)));
    const qint64 known = m.InCalls()->AddCall(inCall(QStringLiteral("5553344"), at(1, 11, 0)));
    page(0);
    QTableView *g = grid("InGrid");
    auto *box = widget<TDialBox>("phNumber");
    auto rowCentre = [&](qint64 key) {
        return g->visualRect(g->model()->index(m.InCalls()->positionOf(key), 0)).center();
    };

    int doubleClicks = 0;
    QObject::connect(g, &QAbstractItemView::doubleClicked, [&] { ++doubleClicks; });
    // A widget's double click from QTest is the second press only: the first click goes before it.
    auto doubleClick = [&](qint64 key) {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, rowCentre(key));
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, rowCentre(key));
        QCoreApplication::processEvents();
    };
    doubleClick(unknown);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(m.InCalls()->currentKey(), unknown);
    EXPECT_TRUE(box->text().isEmpty()) << box->text().toStdString();
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_TRUE(box->text().isEmpty());

    doubleClick(known);
    EXPECT_EQ(box->text(), QStringLiteral("5553344"));

    // The outgoing and address grids dial what they hold; an empty one nothing.
    box->clear();
    QTest::keyClick(grid("OutGrid"), Qt::Key_Enter);
    EXPECT_TRUE(box->text().isEmpty());
    m.AddressBook()->AddPerson(QStringLiteral("84951234567"), QStringLiteral("Иван"), 0, {}, {}, {}, -1, false);
    page(2);
    QTest::keyClick(grid("AddressGrid"), Qt::Key_Return);
    EXPECT_EQ(box->text(), QStringLiteral("84951234567"));
}

TEST_F(JournalViews, ClearingUnderAFilterKeepsTheOtherRowsAndTheFilter)
{
    configure([](TConfig &c) { c.InputFilter = QStringLiteral("Phone = '111*'"); });
    {
        BaseFolder::set(FDir.path());
        TIncomingCallBook in(BaseFolder::dataPath() + QStringLiteral("/InCalls"));
        in.AddCall(inCall(QStringLiteral("1112"), at(1, 10, 0), file("a.wav")));
        in.AddCall(inCall(QStringLiteral("2223"), at(1, 11, 0), file("b.wav")));
        in.AddCall(inCall(QStringLiteral("1114"), at(1, 12, 0), QString(), file("c.wav")));
    }
    TMain &m = start();
    TIncomingCallBook *in = m.InCalls();
    auto *filterBtn = widget<QToolButton>("InFilterBtn");
    ASSERT_TRUE(in->filtered());
    EXPECT_TRUE(filterBtn->isChecked());
    EXPECT_TRUE(filterBtn->isEnabled());
    ASSERT_EQ(in->recordCount(), 2);

    FAnswer = false;
    action("ClearInItem")->trigger();
    EXPECT_EQ(FQuestions,
              QStringList{QStringLiteral("Вы действительно хотите полностью очистить память входящих звонков?")});
    EXPECT_EQ(in->recordCount(), 2);

    const QString status = m.StatusText();
    FAnswer = true;
    action("ClearInItem")->trigger();
    EXPECT_EQ(in->recordCount(), 0);
    EXPECT_EQ(in->totalCount(), 1);
    EXPECT_TRUE(in->filtered());
    EXPECT_TRUE(filterBtn->isChecked());
    EXPECT_FALSE(QFile::exists(FDir.filePath(QStringLiteral("a.wav"))));
    EXPECT_FALSE(QFile::exists(FDir.filePath(QStringLiteral("c.wav"))));
    EXPECT_TRUE(QFile::exists(FDir.filePath(QStringLiteral("b.wav"))));
    EXPECT_EQ(m.StatusText(), status);
    EXPECT_FALSE(widget<QToolButton>("InDeleteBtn")->isEnabled());

    // Switching the filter off shows the remaining row.
    filterBtn->click();
    EXPECT_FALSE(in->filtered());
    EXPECT_EQ(in->recordCount(), 1);
    EXPECT_TRUE(widget<QToolButton>("InDeleteBtn")->isEnabled());
}

TEST_F(JournalViews, TitleClicksSortAndStoreTheFieldName)
{
    configure([](TConfig &c) { c.AddressSort = QStringLiteral("Name"); });
    TMain &m = start();
    for (const char *name : {"Яков", "Борис", "Анна"})
        m.AddressBook()->AddPerson(QStringLiteral("1"), QString::fromUtf8(name), 0, {}, {}, {}, -1, false);
    m.OutCalls()->AddCall(outCall(QStringLiteral("5"), at(1, 10, 0), 1));
    auto click = [&](QTableView *g, const QString &caption) {
        QHeaderView *h = g->horizontalHeader();
        int c = 0;
        while (g->model()->headerData(c, Qt::Horizontal).toString() != caption)
            ++c;
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2));
        QCoreApplication::processEvents();
        return c;
    };
    auto names = [&] {
        QStringList s;
        for (int i = 0; i < m.AddressBook()->recordCount(); ++i)
            s << m.AddressBook()->rowByKey(m.AddressBook()->keyAt(i)).at(2).toString();
        return s;
    };
    page(2);
    QTableView *ag = grid("AddressGrid");
    ASSERT_EQ(names(), (QStringList{"Анна", "Борис", "Яков"}));
    const int nameColumn = columns(ag)->columnOf(QStringLiteral("Name"));
    EXPECT_TRUE(ag->model()->headerData(nameColumn, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

    // "Параметры" keeps the order but stores an empty name.
    click(ag, QStringLiteral("Параметры"));
    EXPECT_EQ(names(), (QStringList{"Анна", "Борис", "Яков"}));
    EXPECT_EQ(m.Config()->AddressSort, QString());

    page(1);
    QTableView *og = grid("OutGrid");
    click(og, QStringLiteral("Разговор"));
    EXPECT_EQ(m.Config()->OutgoingSort, QStringLiteral("Time"));
    const int phone = click(og, QStringLiteral("Телефон"));
    EXPECT_EQ(m.Config()->OutgoingSort, QStringLiteral("Phone"));
    EXPECT_EQ(m.OutCalls()->sortField(), QStringLiteral("Phone"));
    EXPECT_TRUE(og->model()->headerData(phone, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(og->model()->headerData(phone + 1, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

    // After a restart the address book shows the table's own order.
    FMain->CloseWithoutAsking();
    FMain.reset();
    TMain &again = start();
    EXPECT_EQ(again.Config()->AddressSort, QString());
    QStringList order;
    for (int i = 0; i < again.AddressBook()->recordCount(); ++i)
        order << again.AddressBook()->rowByKey(again.AddressBook()->keyAt(i)).at(2).toString();
    EXPECT_EQ(order, (QStringList{"Яков", "Борис", "Анна"}));
}

TEST_F(JournalViews, RestrictionRefusesDeletingAndConfirmedDeletesGoWithTheirFiles)
{
    configure([](TConfig &c) { c.SetRestriction(QString(), true); });
    TMain &m = start();
    const QString talk = file("talk.wav");
    m.InCalls()->AddCall(inCall(QStringLiteral("5551"), at(1, 10, 0), talk));
    const qint64 person = m.AddressBook()->AddPerson(QStringLiteral("7"), QStringLiteral("Пётр"), 0, {}, {}, {}, -1, false);
    page(0);

    for (QAction *a : {action("DeleteCellItem"), action("ClearInItem"), action("ClearAddressItem")}) {
        m.FormMessage()->hide();
        a->trigger();
        EXPECT_TRUE(m.FormMessage()->isVisible()) << a->objectName().toStdString();
        EXPECT_EQ(m.FormMessage()->FirstLine(), QStringLiteral("Операция запрещена"));
    }
    QTest::keyClick(grid("InGrid"), Qt::Key_Delete);
    EXPECT_TRUE(FQuestions.isEmpty());
    EXPECT_EQ(m.InCalls()->recordCount(), 1);
    EXPECT_EQ(m.AddressBook()->recordCount(), 1);
    m.FormMessage()->hide();

    m.Config()->yrd = false;
    QTest::keyClick(grid("InGrid"), Qt::Key_Delete);
    EXPECT_EQ(FQuestions, QStringList{QStringLiteral("Вы действительно хотите удалить запись?")});
    EXPECT_EQ(m.InCalls()->recordCount(), 0);
    EXPECT_FALSE(QFile::exists(talk));
    EXPECT_FALSE(widget<QToolButton>("InDeleteBtn")->isEnabled());
    // Deleting on an empty journal does nothing after the question.
    action("DeleteCellItem")->trigger();
    EXPECT_EQ(FQuestions.size(), 2);

    // A deleted subscriber leaves his hot button.
    page(2);
    ASSERT_TRUE(m.AddressBook()->FindPerson(person));
    ASSERT_NE(m.HotButtons(), nullptr);
    m.HotButtons()->AssignHotButton(3);
    ASSERT_EQ(m.HotButtons()->HotButtonOf(person), 2);
    EXPECT_TRUE(widget<QToolButton>("DeletePersonBtn")->isEnabled());
    action("DeleteCellItem")->trigger();
    EXPECT_EQ(m.AddressBook()->recordCount(), 0);
    EXPECT_EQ(m.HotButtons()->HotButtonOf(person), -1);
    EXPECT_FALSE(widget<QToolButton>("DeletePersonBtn")->isEnabled());
    EXPECT_FALSE(action("DeletePersonItem")->isVisible());

    // "Удалить абонента" names the subscriber in its question and frees his button too.
    const qint64 named = m.AddressBook()->AddPerson(QStringLiteral("9"), QStringLiteral("Анна"), 0, {}, {}, {}, -1, false);
    ASSERT_TRUE(m.AddressBook()->FindPerson(named));
    m.HotButtons()->AssignHotButton(18);
    widget<QToolButton>("DeletePersonBtn")->click();
    EXPECT_EQ(FQuestions.last(), QStringLiteral("Вы действительно хотите удалить абонента Анна?"));
    EXPECT_EQ(m.HotButtons()->HotButtonOf(named), -1);
    EXPECT_FALSE(m.AddressBook()->hasKey(named));

    // Clearing the address book unbinds every button.
    const qint64 other = m.AddressBook()->AddPerson(QStringLiteral("8"), QString(), 0, {}, {}, {}, -1, false);
    m.HotButtons()->AssignHotButton(1);
    action("ClearAddressItem")->trigger();
    EXPECT_EQ(FQuestions.last(), QStringLiteral("Вы действительно хотите полностью очистить записную книжку?"));
    EXPECT_EQ(m.AddressBook()->recordCount(), 0);
    EXPECT_EQ(m.HotButtons()->HotButtonOf(other), -1);
}

TEST_F(JournalViews, WheelMovesOneRecordPerNotchWithinTheTable)
{
    configure();
    TMain &m = start();
    for (int i = 0; i < 3; ++i)
        m.InCalls()->AddCall(inCall(QStringLiteral("555%1").arg(i), at(1, 10 + i, 0)));
    page(0);
    QTableView *g = grid("InGrid");
    TIncomingCallBook *in = m.InCalls();
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(10, 10), g->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(g->viewport(), &e);
    };
    in->first();
    wheel(-120);   // towards the user: towards the last row
    EXPECT_EQ(in->recNo(), 1);
    wheel(-240);
    EXPECT_EQ(in->recNo(), 2);
    wheel(-120);
    EXPECT_EQ(in->recNo(), 2);
    wheel(60);
    EXPECT_EQ(in->recNo(), 2);   // half a notch is not one
    wheel(60);
    EXPECT_EQ(in->recNo(), 1);
    for (int i = 0; i < 4; ++i)
        wheel(120);
    EXPECT_EQ(in->recNo(), 0);
    EXPECT_EQ(g->currentIndex().row(), 0);
}

TEST_F(JournalViews, CurrentRowSetsThePlayChoiceAndThePopup)
{
    configure([](TConfig &c) { c.DefaultPlayMessage = false; });
    TMain &m = start();
    TIncomingCallBook *in = m.InCalls();
    const qint64 both = in->AddCall(inCall(QStringLiteral("1"), at(1, 10, 0), file("t1.wav"), file("m1.wav")));
    const qint64 messageOnly = in->AddCall(inCall(QStringLiteral("2"), at(1, 11, 0), QString(), file("m2.wav")));
    const qint64 inPhone = in->AddCall(inCall(QStringLiteral("3"), at(1, 12, 0), QStringLiteral("+")));
    page(0);
    auto *rec = widget<QToolButton>("PlayRecBtn");
    auto *mess = widget<QToolButton>("PlayMessBtn");
    auto *play = widget<QToolButton>("PlayButton");
    auto go = [&](qint64 key) {
        in->FindCall(key);
        QCoreApplication::processEvents();
    };

    go(inPhone);
    // No talk-download window yet: the "+" row does not offer its button.
    EXPECT_FALSE(widget<QToolButton>("ToolButtonGetTalk")->isEnabled());
    EXPECT_FALSE(play->isEnabled());
    EXPECT_FALSE(widget<QToolButton>("InSaveFileBtn")->isEnabled());
    go(messageOnly);
    EXPECT_TRUE(mess->isChecked());
    EXPECT_FALSE(rec->isChecked());
    EXPECT_TRUE(play->isEnabled());
    go(both);
    EXPECT_TRUE(rec->isChecked());   // the default: the talk

    // Choosing the message on a row with both makes it the default.
    mess->click();
    EXPECT_TRUE(m.Config()->DefaultPlayMessage);
    EXPECT_TRUE(mess->isChecked());
    go(inPhone);
    go(both);
    EXPECT_TRUE(mess->isChecked());

    QMenu *popup = widget<QMenu>("GridPopup");
    QMetaObject::invokeMethod(popup, "aboutToShow");
    EXPECT_TRUE(action("DeleteRecordItem")->isVisible());
    EXPECT_TRUE(action("PlayMessageItem")->isVisible());
    EXPECT_TRUE(action("CopyToBookItem")->isVisible());
    EXPECT_TRUE(action("CopyToBookItem")->isEnabled());
    go(inPhone);
    QMetaObject::invokeMethod(popup, "aboutToShow");
    EXPECT_FALSE(action("PlayMessageItem")->isVisible());
    EXPECT_TRUE(action("PlayTalkItem")->isVisible());
    page(1);
    popup = widget<QMenu>("GridPopup");   // the outgoing page's own
    QMetaObject::invokeMethod(popup, "aboutToShow");
    EXPECT_FALSE(action("DeleteRecordItem")->isVisible());
    EXPECT_FALSE(action("CopyToBookItem")->isVisible());
    EXPECT_FALSE(action("PlayMessageItem")->isVisible());
    page(2);
    EXPECT_FALSE(play->isEnabled());
    EXPECT_EQ(m.Config()->ActivePage, 2);

    // The message stays the default after a restart.
    FMain->CloseWithoutAsking();
    FMain.reset();
    TMain &again = start();
    EXPECT_TRUE(again.Config()->DefaultPlayMessage);
    page(0);
    again.InCalls()->FindCall(both);
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget<QToolButton>("PlayMessBtn")->isChecked());
    EXPECT_FALSE(widget<QToolButton>("PlayRecBtn")->isChecked());
}

TEST_F(JournalViews, AddressPageSharesItsWidthAndHeight)
{
    configure();
    TMain &m = start();
    m.AddressBook()->AddPerson(QStringLiteral("1"), QStringLiteral("А"), 0, {}, QStringLiteral("заметка"), {}, -1, false);
    page(2);
    QTableView *g = grid("AddressGrid");
    QWidget *pageWidget = widget<QTabWidget>("PageControl1")->widget(2);
    QWidget *bar = widget<QWidget>("AddressToolBar");
    QWidget *notes = widget<QWidget>("Notes");
    for (const QSize size : {QSize(1000, 700), QSize(1300, 900)}) {
        m.resize(size);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const int width = g->width() - 80;
        EXPECT_EQ(g->columnWidth(0), 80);
        EXPECT_EQ(g->columnWidth(1), qRound(width / 3.0)) << size.width();
        EXPECT_EQ(g->columnWidth(2), qRound(width / 2.0)) << size.width();
        EXPECT_NEAR(g->height(), pageWidget->contentsRect().height() * 60 / 100 - bar->height(), 2);
        EXPECT_GT(notes->y(), g->geometry().bottom());
        EXPECT_GT(notes->height(), 0);
    }
}

// Under scripts/with-pulse.sh: the player keys in a grid, and deleting the row being played.
TEST_F(JournalViews, PlayerKeysInTheGridAndDeletingThePlayedRow)
{
    if (!TPulseMixer::ServerReachable() || QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "no sound server";
    configure();
    TMain &m = start();
    const QString talk = FDir.filePath(QStringLiteral("talk.wav"));
    ASSERT_TRUE(writeSilence(talk, 5.0));
    m.InCalls()->AddCall(inCall(QStringLiteral("5551"), at(1, 10, 0), talk));
    page(0);
    QCoreApplication::processEvents();
    auto *player = m.MediaPlayer();
    ASSERT_NE(player, nullptr);
    QTableView *g = grid("InGrid");
    ASSERT_TRUE(widget<QToolButton>("PlayButton")->isEnabled());
    // A key as the keyboard gives it: the letter's code and its text.
    auto type = [g](const QString &letter) {
        QKeyEvent press(QEvent::KeyPress, int(letter.toUpper().at(0).unicode()), Qt::NoModifier, letter);
        QCoreApplication::sendEvent(g, &press);
    };

    type(QStringLiteral("ч"));   // play
    EXPECT_EQ(player->Mode(), mpPlaying);
    type(QStringLiteral("С"));   // pause, the Cyrillic letter in upper case
    EXPECT_EQ(player->Mode(), mpPaused);
    type(QStringLiteral("X"));   // play resumes
    EXPECT_EQ(player->Mode(), mpPlaying);
    type(QStringLiteral("v"));   // stop
    EXPECT_EQ(player->Mode(), mpStopped);

    // Deleting the row while it plays lets go of the recording, which goes with the row.
    type(QStringLiteral("x"));
    ASSERT_EQ(player->Mode(), mpPlaying);
    QTest::keyClick(g, Qt::Key_Delete);
    EXPECT_NE(player->Mode(), mpPlaying);
    EXPECT_EQ(m.InCalls()->recordCount(), 0);
    EXPECT_FALSE(QFile::exists(talk));
    // Without a playable row the play key does nothing.
    EXPECT_FALSE(widget<QToolButton>("PlayButton")->isEnabled());
    type(QStringLiteral("x"));
    EXPECT_NE(player->Mode(), mpPlaying);
}

// The panel holds the current row's values whether it shows or not, and is
// high enough for its rows within 50..160 px, scrolling past that.
TEST_F(JournalViews, FieldPanelNeverShowsAnotherRowsValuesAndFitsItsRows)
{
    configure([](TConfig &c) {
        for (int n = 1; n <= 7; ++n) {
            c.InFieldYes[size_t(n)] = true;
            c.InField[size_t(n)] = QStringLiteral("Поле %1").arg(n);
        }
        c.ShowInFieldKind = 1;
    });
    TMain &m = start();
    TIncomingCallBook *in = m.InCalls();
    TInCall a = inCall(QStringLiteral("5551111"), at(1, 10, 0));
    a.Field_1 = QStringLiteral("первый");
    a.Field_7 = QStringLiteral("седьмое");
    const qint64 first = in->AddCall(a);
    TInCall b = inCall(QStringLiteral("5552222"), at(2, 10, 0));
    b.Field_1 = QStringLiteral("второй");
    const qint64 second = in->AddCall(b);
    const qint64 empty = in->AddCall(inCall(QStringLiteral("5553333"), at(3, 10, 0)));
    page(0);
    auto *panel = widget<QWidget>("PanelFieldsIn");
    auto *sg = widget<QTableWidget>("SGFieldsIn");
    auto *show = widget<QToolButton>("ShowFieldsInBtn");
    auto go = [&](qint64 key) {
        ASSERT_TRUE(in->FindCall(key));
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    };
    // Every row of the grid can be seen: the grid lies inside the panel and
    // shows all its rows, or scrolls to them.
    auto reachable = [&] {
        const int gridBottom = sg->mapTo(panel, QPoint(0, sg->height())).y();
        const QRect last = sg->visualItemRect(sg->item(sg->rowCount() - 1, 1));
        const bool allShown = last.bottom() < sg->viewport()->height();
        return gridBottom <= panel->height() && (allShown || sg->verticalScrollBar()->maximum() > 0);
    };
    auto value = [&](int field) { return sg->item(field - 1, 1)->text(); };

    go(first);
    ASSERT_TRUE(panel->isVisible());
    ASSERT_EQ(sg->rowCount(), 7);
    EXPECT_EQ(value(7), QStringLiteral("седьмое"));
    EXPECT_GE(panel->height(), 50);
    EXPECT_LE(panel->height(), 160);
    EXPECT_TRUE(reachable());
    // Made as low as the strip allows, the grid scrolls.
    auto *strip = static_cast<TJournalSplitStrip *>(widget<QWidget>("PanelSplittIn"));
    for (int i = 0; i < 30; ++i)
        strip->Drag(10);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->height(), 50);
    EXPECT_TRUE(reachable());
    EXPECT_GT(sg->verticalScrollBar()->maximum(), 0);

    // An empty row hides the panel; shown by its button it holds that row's (empty) values.
    go(empty);
    EXPECT_FALSE(panel->isVisible());
    show->click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(value(1), QString());
    EXPECT_EQ(value(7), QString());

    // "Никогда": hidden on every row, and its button shows the row it is on.
    m.Config()->ShowInFieldKind = 2;
    go(first);
    go(second);
    EXPECT_FALSE(panel->isVisible());
    show->click();
    EXPECT_EQ(value(1), QStringLiteral("второй"));
    EXPECT_EQ(value(7), QString());

    // Fewer fields: the panel fits the two rows without scrolling.
    m.Config()->ShowInFieldKind = 0;
    m.Config()->InFieldYes.fill(false);
    m.Config()->InFieldYes[1] = true;
    m.Config()->InFieldYes[7] = true;
    go(first);
    ASSERT_TRUE(panel->isVisible());
    ASSERT_EQ(sg->rowCount(), 2);
    EXPECT_EQ(sg->item(1, 1)->text(), QStringLiteral("седьмое"));
    EXPECT_TRUE(reachable());
    EXPECT_EQ(sg->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(panel->height(), 50);
}

// During a talk the journal player plays nothing, whichever row is selected.
TEST_F(JournalViews, PlayButtonStaysDisabledDuringATalkOnEveryRow)
{
    configure();
    TMain &m = start();
    TIncomingCallBook *in = m.InCalls();
    const qint64 r1 = in->AddCall(inCall(QStringLiteral("5551"), at(1, 10, 0), file("t1.wav")));
    const qint64 r2 = in->AddCall(inCall(QStringLiteral("5552"), at(1, 11, 0), file("t2.wav")));
    page(0);
    auto *play = widget<QToolButton>("PlayButton");
    auto go = [&](qint64 key) {
        ASSERT_TRUE(in->FindCall(key));
        QCoreApplication::processEvents();
    };
    go(r1);
    ASSERT_TRUE(play->isEnabled());

    m.CallHandler()->RecordButtonsForTalk();
    EXPECT_FALSE(play->isEnabled());
    go(r2);
    EXPECT_FALSE(play->isEnabled());
    go(r1);
    EXPECT_FALSE(play->isEnabled());
    page(1);
    page(0);
    EXPECT_FALSE(play->isEnabled());

    m.CallHandler()->RecordButtonsIdle();
    EXPECT_TRUE(play->isEnabled());
}

// Under scripts/with-pulse.sh: Play after a pause resumes on the paused row and
// starts the selected row's recording on another one.
TEST_F(JournalViews, PlayAfterAPauseStartsTheSelectedRowsRecording)
{
    if (!TPulseMixer::ServerReachable() || QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "no sound server";
    configure();
    TMain &m = start();
    TIncomingCallBook *in = m.InCalls();
    const QString t1 = FDir.filePath(QStringLiteral("t1.wav"));
    const QString t2 = FDir.filePath(QStringLiteral("t2.wav"));
    ASSERT_TRUE(writeSilence(t1, 5.0));
    ASSERT_TRUE(writeSilence(t2, 5.0));
    const qint64 r1 = in->AddCall(inCall(QStringLiteral("5551"), at(1, 10, 0), t1));
    const qint64 r2 = in->AddCall(inCall(QStringLiteral("5552"), at(1, 11, 0), t2));
    page(0);
    TMediaPlayer *player = m.MediaPlayer();
    auto *play = widget<QToolButton>("PlayButton");
    auto *pause = widget<QToolButton>("PauseBtn");
    auto go = [&](qint64 key) {
        ASSERT_TRUE(in->FindCall(key));
        QCoreApplication::processEvents();
    };

    go(r1);
    play->click();
    ASSERT_EQ(player->Mode(), mpPlaying);
    pause->click();
    ASSERT_EQ(player->Mode(), mpPaused);
    play->click();   // the same row: resumed
    EXPECT_EQ(player->Mode(), mpPlaying);
    EXPECT_EQ(player->FileName(), t1);

    pause->click();
    ASSERT_EQ(player->Mode(), mpPaused);
    go(r2);
    play->click();
    EXPECT_EQ(player->Mode(), mpPlaying);
    EXPECT_EQ(player->FileName(), t2);
    m.StopSound();
}

// Buttons of windows the program does not have yet offer nothing.
TEST_F(JournalViews, ButtonsOfWindowsNotYetBuiltStayDisabled)
{
    configure();
    TMain &m = start();
    m.InCalls()->AddCall(inCall(QStringLiteral("5551"), at(1, 10, 0), QStringLiteral("+"), QStringLiteral("+")));
    m.OutCalls()->AddCall(outCall(QStringLiteral("5552"), at(1, 11, 0), 1, QStringLiteral("+")));
    for (int p : {0, 1}) {
        page(p);
        for (const char *name : {"ToolButtonGetTalk", "ToolButtonGetAllTalks", "ToolButtonGetOutTalk",
                                 "ToolButtonGetAllTalk"})
            if (auto *b = widget<QToolButton>(name))
                EXPECT_FALSE(b->isEnabled()) << name;
    }
    // The alert's "&Параметры" opens the information-fields editor for the caller.
    m.ShowCaller(QStringLiteral("5551"), QString(), QString(), QString());
    auto *parameters = m.Alert()->findChild<QPushButton *>(QStringLiteral("ShowInputFormBtn"));
    ASSERT_NE(parameters, nullptr);
    ASSERT_TRUE(parameters->isEnabled());
    parameters->click();
    EXPECT_TRUE(m.FieldsEditor()->isVisible());
    EXPECT_TRUE(m.FieldsEditor()->FromAlert());
    EXPECT_FALSE(m.Alert()->isVisible());
    EXPECT_EQ(m.FieldsEditor()->HistoryRowCount(), 1);
    EXPECT_TRUE(m.Phone()->OutCallInputMode());
    EXPECT_FALSE(m.isEnabled());
    m.FieldsEditor()->CancelBtnClick();
    EXPECT_FALSE(m.Phone()->OutCallInputMode());
    EXPECT_TRUE(m.isEnabled());
}

TEST_F(JournalViews, SettingsDialogFromTheMenuAppliesToTheWindow)
{
    configure([](TConfig &c) {
        c.InFieldYes.fill(false);
        c.InFieldYes[1] = true;
        c.ShowInFieldKind = 0;
    });
    TMain &m = start();
    m.InCalls()->AddCall(inCall(QStringLiteral("5551234"), at(1, 12, 0)));
    page(0);
    auto *sg = widget<QTableWidget>("SGFieldsIn");
    ASSERT_EQ(column(sg, 0), QStringList{QStringLiteral("Поле 1")});

    // The modal dialog: a shorter regional number and a renamed field, then OK.
    QAction *settingsItem = action("SettingsItem");
    ASSERT_TRUE(settingsItem->isEnabled());
    EXPECT_EQ(settingsItem->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    int page = -1;
    QTimer::singleShot(0, [&] {
        TSettings *d = m.SettingsDialog();
        ASSERT_TRUE(d->isVisible());
        page = d->PageControl1->currentIndex();
        d->NumLength->setValue(5);
        d->InFieldNameEdit[1]->setText(QStringLiteral("Заказ"));
        d->OKBtn->click();
    });
    settingsItem->trigger();
    EXPECT_EQ(page, TSettings::pgPort);
    EXPECT_EQ(m.AddressBook()->regionalNumberLength(), 5);
    EXPECT_EQ(m.Config()->RegionalNumberLength, 5);
    EXPECT_EQ(column(sg, 0), QStringList{QStringLiteral("Заказ")});

    // The "&Данные" submenu is there, hidden and disabled; its Access item opens the data page.
    auto *data = m.findChild<QMenu *>(QStringLiteral("DataMenu"));
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(data->menuAction()->isVisible());
    EXPECT_FALSE(data->menuAction()->isEnabled());
    for (QAction *a : data->actions())
        EXPECT_FALSE(a->isEnabled());
    QTimer::singleShot(0, [&] {
        page = m.SettingsDialog()->PageControl1->currentIndex();
        m.SettingsDialog()->CancelBtn->click();
    });
    m.AccessItemClick();
    EXPECT_EQ(page, TSettings::pgData);

    // The address book's pop-up offers the contacts import.
    QAction *import = m.AddressPage()->ImportItem();
    EXPECT_EQ(import->text(), QStringLiteral("Импорт контактов…"));
    EXPECT_TRUE(import->isEnabled());
}
