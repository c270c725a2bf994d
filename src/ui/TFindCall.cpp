#include "TFindCall.h"
#include "TFormDateInterval.h"
#include "records/TAddressBook.h"
#include "records/TCallBook.h"
#include "search/TFoundRowsModel.h"
#include "search/TSearchHits.h"
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QListView>
#include <QProgressBar>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
const QString AllowedNumberChars = QStringLiteral("0123456789#()*EFGJLPП");
}

TFindCall::TFindCall(TRecordTable *InCalls, TRecordTable *OutCalls, TAddressBook *Book, TFormDateInterval *Chooser,
                     QWidget *parent)
    : QDialog(parent), FInCalls(InCalls), FOutCalls(OutCalls), FBook(Book), FChooser(Chooser)
{
    setObjectName(QStringLiteral("FindCall"));
    setWindowTitle(QStringLiteral("Поиск"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    FPages = new QTabWidget(this);
    FPages->setObjectName(QStringLiteral("PageControl1"));
    auto *calls = new QWidget;
    calls->setObjectName(QStringLiteral("TabSheetCalls"));
    buildCallsPage(calls);
    FPages->addTab(calls, QStringLiteral("&Звонки"));
    auto *book = new QWidget;
    book->setObjectName(QStringLiteral("TabSheetAddress"));
    buildAddressPage(book);
    FPages->addTab(book, QStringLiteral("А&боненты"));
    layout->addWidget(FPages);

    FModel = new TFoundRowsModel(this);
    FResult = new QListView(this);
    FResult->setObjectName(QStringLiteral("ResultView"));
    FResult->setModel(FModel);
    FResult->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row the same height: the list never measures the rows it does not show.
    FResult->setUniformItemSizes(true);
    FResult->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(FResult, 1);
    auto *progress = new QHBoxLayout;
    FProgress = new QProgressBar(this);
    FProgress->setObjectName(QStringLiteral("SearchProgress"));
    FProgress->setRange(0, 0);
    FProgress->setVisible(false);
    FStopBtn = new QPushButton(QStringLiteral("Остановить"), this);
    FStopBtn->setObjectName(QStringLiteral("StopBtn"));
    FStopBtn->setAutoDefault(false);
    FStopBtn->setVisible(false);
    progress->addWidget(FProgress, 1);
    progress->addWidget(FStopBtn);
    layout->addLayout(progress);
    connect(FStopBtn, &QPushButton::clicked, this, &TFindCall::StopSearch);
    FPopup = new QMenu(this);
    FSelectAll = FPopup->addAction(QStringLiteral("&Выделить все"));
    FSelectAll->setObjectName(QStringLiteral("SelectAllItem"));
    FCopy = FPopup->addAction(QStringLiteral("&Копировать в буфер обмена"));
    FCopy->setObjectName(QStringLiteral("CopyItem"));
    connect(FSelectAll, &QAction::triggered, FResult, &QListView::selectAll);
    connect(FCopy, &QAction::triggered, this, &TFindCall::CopyToClipboard);
    connect(FResult, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        FCopy->setEnabled(FResult->selectionModel()->hasSelection());
        FPopup->popup(FResult->viewport()->mapToGlobal(p));
    });
    connect(FResult, &QListView::doubleClicked, this, [this] { JumpToSelected(); });

    auto *buttons = new QHBoxLayout;
    FSearchBtn = new QPushButton(QStringLiteral("&Искать"), this);
    FSearchBtn->setObjectName(QStringLiteral("SearchBtn"));
    FSearchBtn->setDefault(true);
    FFeedBtn = new QPushButton(QStringLiteral("Поставить фильтр"), this);
    FFeedBtn->setObjectName(QStringLiteral("FeedBtn"));
    FFeedBtn->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("&Закрыть"), this);
    close->setObjectName(QStringLiteral("Button1"));
    close->setAutoDefault(false);
    FFeedBtn->setAutoDefault(false);
    buttons->addWidget(FSearchBtn);
    buttons->addWidget(FFeedBtn);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(FSearchBtn, &QPushButton::clicked, this, &TFindCall::SearchBtnClick);
    connect(FFeedBtn, &QPushButton::clicked, this, &TFindCall::FeedBtnClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(FPages, &QTabWidget::currentChanged, this, &TFindCall::pageChanged);
    resize(520, 560);
    callKindChanged();
    LabelInterval->setText(DescribePeriod(FPeriod));
}

void TFindCall::buildCallsPage(QWidget *page)
{
    auto *l = new QVBoxLayout(page);
    auto *kind = new QGroupBox(QStringLiteral("Звонок"), page);
    kind->setObjectName(QStringLiteral("CallRadioGroup"));
    auto *kl = new QHBoxLayout(kind);
    FIncoming = new QRadioButton(QStringLiteral("Входящий"), kind);
    FIncoming->setObjectName(QStringLiteral("CallIncoming"));
    FOutgoing = new QRadioButton(QStringLiteral("Исходящий"), kind);
    FOutgoing->setObjectName(QStringLiteral("CallOutgoing"));
    FIncoming->setChecked(true);
    kl->addWidget(FIncoming);
    kl->addWidget(FOutgoing);
    kl->addStretch(1);
    l->addWidget(kind);
    connect(FIncoming, &QRadioButton::toggled, this, &TFindCall::callKindChanged);

    auto *g = new QGridLayout;
    NumSearchCheck = new QCheckBox(QStringLiteral("&Номер"), page);
    NumSearchCheck->setObjectName(QStringLiteral("NumSearchCheck"));
    NumSearchCheck->setChecked(true);
    FNumEdit = new QLineEdit(page);
    FNumEdit->setObjectName(QStringLiteral("NumEdit"));
    FNumEdit->installEventFilter(this);
    connect(FNumEdit, &QLineEdit::textEdited, this, [this] { numberEdited(FNumEdit); });
    g->addWidget(NumSearchCheck, 0, 0);
    g->addWidget(FNumEdit, 0, 1, 1, 2);

    CatSearchCheck = new QCheckBox(QStringLiteral("&Категория"), page);
    CatSearchCheck->setObjectName(QStringLiteral("CatSearchCheck"));
    CatCombo = new QComboBox(page);
    CatCombo->setObjectName(QStringLiteral("CatCombo"));
    for (int i = 0; i <= 9; ++i)
        CatCombo->addItem(QString::number(i));
    CatCombo->setCurrentIndex(1);
    g->addWidget(CatSearchCheck, 1, 0);
    g->addWidget(CatCombo, 1, 1);

    LengthCheck = new QCheckBox(QStringLiteral("Продолжительностью"), page);
    LengthCheck->setObjectName(QStringLiteral("LengthCheck"));
    MoreLessCombo = new QComboBox(page);
    MoreLessCombo->setObjectName(QStringLiteral("MoreLessCombo"));
    MoreLessCombo->addItems({QStringLiteral("Более"), QStringLiteral("Менее")});
    LengthEdit = new QTimeEdit(QTime(0, 5, 0), page);
    LengthEdit->setObjectName(QStringLiteral("LengthEdit"));
    LengthEdit->setDisplayFormat(QStringLiteral("H:mm:ss"));
    g->addWidget(LengthCheck, 2, 0);
    g->addWidget(MoreLessCombo, 2, 1);
    g->addWidget(LengthEdit, 2, 2);
    g->setColumnStretch(2, 1);
    l->addLayout(g);

    auto check = [page, l](const QString &name, const QString &text) {
        auto *c = new QCheckBox(text, page);
        c->setObjectName(name);
        l->addWidget(c);
        return c;
    };
    GotRecord = check(QStringLiteral("GotRecord"), QStringLiteral("Наличие &записи"));
    GotMessage = check(QStringLiteral("GotMessage"), QStringLiteral("Наличие &сообщения"));
    GotAutoAnswer = check(QStringLiteral("GotAutoAnswer"), QStringLiteral("&Автоответ"));
    auto *place = new QHBoxLayout;
    GotCallPlace = new QCheckBox(QStringLiteral("&Место звонка"), page);
    GotCallPlace->setObjectName(QStringLiteral("GotCallPlace"));
    CallFromVrx = new QRadioButton(QStringLiteral("Звонок с &VRXа"), page);
    CallFromVrx->setObjectName(QStringLiteral("CallFromVrx"));
    CallFromVrx->setChecked(true);
    CallFromPar = new QRadioButton(QStringLiteral("Звонок с &параллельного"), page);
    CallFromPar->setObjectName(QStringLiteral("CallFromPar"));
    place->addWidget(GotCallPlace);
    place->addWidget(CallFromVrx);
    place->addWidget(CallFromPar);
    place->addStretch(1);
    l->addLayout(place);

    auto *interval = new QHBoxLayout;
    auto *intervalBtn = new QPushButton(QStringLiteral("Определить интервал"), page);
    intervalBtn->setObjectName(QStringLiteral("BitBtnInterval"));
    intervalBtn->setAutoDefault(false);
    LabelInterval = new QLabel(page);
    LabelInterval->setObjectName(QStringLiteral("LabelInterval"));
    interval->addWidget(intervalBtn);
    interval->addWidget(LabelInterval, 1);
    l->addLayout(interval);
    l->addStretch(1);
    connect(intervalBtn, &QPushButton::clicked, this, &TFindCall::intervalClick);
    for (QCheckBox *c : {NumSearchCheck, CatSearchCheck, LengthCheck, GotCallPlace})
        connect(c, &QCheckBox::toggled, this, &TFindCall::updateEnables);
}

void TFindCall::buildAddressPage(QWidget *page)
{
    auto *g = new QGridLayout(page);
    auto edit = [&](int row, const QString &name, const QString &text) {
        auto *label = new QLabel(text, page);
        auto *e = new QLineEdit(page);
        e->setObjectName(name);
        label->setBuddy(e);
        g->addWidget(label, row, 0);
        g->addWidget(e, row, 1);
        return e;
    };
    PhoneEdit = edit(0, QStringLiteral("PhoneEdit"), QStringLiteral("Номер"));
    NameEdit = edit(1, QStringLiteral("NameEdit"), QStringLiteral("Имя"));
    AddressEdit = edit(2, QStringLiteral("AddressEdit"), QStringLiteral("Адрес"));
    NotesEdit = edit(3, QStringLiteral("NotesEdit"), QStringLiteral("Заметки"));
    connect(PhoneEdit, &QLineEdit::textEdited, this, [this] { numberEdited(PhoneEdit); });
    auto *note = new QLabel(QStringLiteral("В поля Имя, Адрес и Заметки можно вводить несколько ключевых слов, \n"
                                           "разделенных пробелами"),
                            page);
    note->setObjectName(QStringLiteral("NoteLabel"));
    note->setEnabled(false);
    g->addWidget(note, 4, 0, 1, 2);
    g->setRowStretch(5, 1);
}

// Upper case with the caret kept; a character after "*" goes at once.
void TFindCall::numberEdited(QLineEdit *Edit)
{
    const int caret = Edit->cursorPosition();
    QString text = Edit->text().toUpper();
    if (text.size() >= 2 && text.at(text.size() - 2) == QLatin1Char('*'))
        text.chop(1);
    if (text != Edit->text()) {
        Edit->setText(text);
        Edit->setCursorPosition(std::min(caret, int(text.size())));
    }
}

bool TFindCall::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FNumEdit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            SearchBtnClick();
            return true;
        }
        const QString text = key->text().toUpper();
        // Keys without text (caret movement, Delete) pass; typed characters only from the list.
        if (!text.isEmpty() && key->key() != Qt::Key_Backspace && text.at(0).isPrint()
            && !AllowedNumberChars.contains(text.at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFindCall::callKindChanged()
{
    const bool in = FIncoming->isChecked();
    if (!in)
        CatSearchCheck->setChecked(false);
    else
        GotCallPlace->setChecked(false);
    CatSearchCheck->setEnabled(in);
    GotAutoAnswer->setEnabled(in);
    GotMessage->setEnabled(in);
    GotCallPlace->setEnabled(!in);
    updateEnables();
}

void TFindCall::updateEnables()
{
    FNumEdit->setEnabled(NumSearchCheck->isChecked());
    CatCombo->setEnabled(CatSearchCheck->isEnabled() && CatSearchCheck->isChecked());
    MoreLessCombo->setEnabled(LengthCheck->isChecked());
    LengthEdit->setEnabled(LengthCheck->isChecked());
    const bool place = GotCallPlace->isEnabled() && GotCallPlace->isChecked();
    CallFromVrx->setEnabled(place);
    CallFromPar->setEnabled(place);
}

TCallCriteria TFindCall::Criteria() const
{
    TCallCriteria c;
    c.Kind = FIncoming->isChecked() ? ckIncoming : ckOutgoing;
    c.NumberOn = NumSearchCheck->isChecked();
    c.Number = FNumEdit->text();
    c.CategoryOn = CatSearchCheck->isEnabled() && CatSearchCheck->isChecked();
    c.Category = CatCombo->currentIndex();
    c.LengthOn = LengthCheck->isChecked();
    c.LengthLess = MoreLessCombo->currentIndex() == 1;
    c.LengthSeconds = LengthEdit->time().msecsSinceStartOfDay() / 1000;
    c.Record = GotRecord->isChecked();
    c.Message = GotMessage->isEnabled() && GotMessage->isChecked();
    c.AutoAnswer = GotAutoAnswer->isEnabled() && GotAutoAnswer->isChecked();
    c.PlaceOn = GotCallPlace->isEnabled() && GotCallPlace->isChecked();
    c.PlaceParallel = CallFromPar->isChecked();
    c.Period = FPeriod;
    return c;
}

TAddressCriteria TFindCall::AddressCriteria() const
{
    return {PhoneEdit->text(), NameEdit->text(), AddressEdit->text(), NotesEdit->text()};
}

void TFindCall::SetPeriod(const TPeriod &Period)
{
    FPeriod = Period;
    LabelInterval->setText(DescribePeriod(FPeriod));
}

void TFindCall::Prepare(TBookKind Shown)
{
    FFeedBtn->setEnabled(false);
    clearResult();
    if (Shown == bkAddress) {
        FPages->setCurrentIndex(1);
    } else {
        FPages->setCurrentIndex(0);
        (Shown == bkOutgoing ? FOutgoing : FIncoming)->setChecked(true);
    }
    clearResult();
    LabelInterval->setText(DescribePeriod(FPeriod));
}

bool TFindCall::addressPage() const
{
    return FPages->currentIndex() == 1;
}

TRecordTable *TFindCall::journal() const
{
    return FIncoming->isChecked() ? FInCalls : FOutCalls;
}

void TFindCall::clearResult()
{
    ++FListGeneration;
    FStop = true;
    FSearchedTable = nullptr;
    FModel->Clear();
}

// Reads the hits' keys into the list: the first rows show at once; a long search
// shows its progress, lets the window's events run every few tens of
// milliseconds and stops on "Остановить", on closing and on clearing the list.
void TFindCall::runSearch(TSearchHits &Hits)
{
    FSearching = true;
    FStop = false;
    const int generation = FListGeneration;
    std::vector<qint64> batch;
    batch.reserve(4096);
    QElapsedTimer clock;
    clock.start();
    qint64 lastPump = 0;
    const auto pump = [&] {
        FModel->Append(batch.data(), int(batch.size()));
        batch.clear();
        if (!FProgress->isVisible() && clock.elapsed() > 100) {
            FProgress->setVisible(true);
            FStopBtn->setVisible(true);
        }
        FProgress->setFormat(QStringLiteral("Найдено: %1").arg(FModel->Count()));
        FProgress->setTextVisible(true);
        QCoreApplication::processEvents();
        lastPump = clock.elapsed();
    };
    try {
        while (!FStop && Hits.next()) {
            batch.push_back(Hits.id());
            if ((FModel->Count() == 0 && batch.size() == 64)
                || (batch.size() % 1024 == 0 && clock.elapsed() - lastPump >= 40))
                pump();
        }
    } catch (...) {
        FSearching = false;
        FProgress->setVisible(false);
        FStopBtn->setVisible(false);
        throw;
    }
    if (generation == FListGeneration)
        FModel->Append(batch.data(), int(batch.size()));
    FSearching = false;
    FProgress->setVisible(false);
    FStopBtn->setVisible(false);
}

void TFindCall::SearchBtnClick()
{
    if (FSearching)
        return;
    if (addressPage()) {
        searchAddressBook();
        return;
    }
    clearResult();
    TRecordTable *table = journal();
    FSearchedPage = 0;
    FSearchedKind = FIncoming->isChecked() ? ckIncoming : ckOutgoing;
    TSearchHits hits(*table, Criteria(), true);
    FSearchedTable = table;
    FModel->Reset([table](const qint64 *Ids, int Count) { return TSearchHits::CallTexts(*table, Ids, Count); });
    runSearch(hits);
    FFeedBtn->setEnabled(FSearchedTable && FModel->Count() > 0);
}

void TFindCall::searchAddressBook()
{
    clearResult();
    FSearchedPage = 1;
    TSearchHits hits(*FBook, AddressCriteria(), true);
    FSearchedTable = FBook;
    TAddressBook *book = FBook;
    FModel->Reset([book](const qint64 *Ids, int Count) { return TSearchHits::AddressTexts(*book, Ids, Count); });
    runSearch(hits);
}

// "Поставить фильтр" sets the journal the listed rows came from, whatever "Звонок" shows now.
void TFindCall::FeedBtnClick()
{
    TRecordTable *table = FSearchedTable;
    if (FSearching || FSearchedPage != 0 || !table)
        return;
    const TBookKind kind = table == FInCalls ? bkIncoming : bkOutgoing;
    // Without a filter text there is nothing to filter by: the button stays up.
    if (table->filter().isEmpty())
        return;
    table->setFiltered(true);
    accept();
    emit FilterSet(kind);
}

QList<qint64> TFindCall::ResultIds() const
{
    const std::vector<qint64> &ids = FModel->Ids();
    return QList<qint64>(ids.begin(), ids.end());
}

int TFindCall::firstSelectedRow() const
{
    int first = -1;
    for (const QItemSelectionRange &r : FResult->selectionModel()->selection())
        if (first < 0 || r.top() < first)
            first = r.top();
    return first;
}

// The selected items in list order (a selection with gaps copies what is selected).
void TFindCall::CopyToClipboard()
{
    QList<QPair<int, int>> ranges;
    for (const QItemSelectionRange &r : FResult->selectionModel()->selection())
        ranges.append({r.top(), r.bottom()});
    std::sort(ranges.begin(), ranges.end());
    QString text;
    int next = 0;
    for (const auto &[top, bottom] : ranges)
        for (int row = std::max(top, next); row <= bottom; ++row) {
            text += FModel->Text(row);
            text += QStringLiteral("\r\n");
            next = row + 1;
        }
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

// Goes to the first selected row in the table it was found in.
bool TFindCall::JumpToSelected()
{
    const int row = firstSelectedRow();
    if (row < 0 || !FSearchedTable || FSearching)
        return false;
    const qint64 id = FModel->Id(row);
    bool found = false;
    if (FSearchedTable == FBook)
        found = FBook->FindPerson(id);
    else
        found = static_cast<TCallBook *>(FSearchedTable)->FindCall(id);
    if (found)
        accept();
    return found;
}

void TFindCall::done(int r)
{
    FStop = true;
    if (FModel->Count() > 0)
        emit PageWanted(FSearchedPage == 1 ? bkAddress : FSearchedKind == ckIncoming ? bkIncoming : bkOutgoing);
    QDialog::done(r);
}

void TFindCall::pageChanged(int Index)
{
    if (Index == 1)
        FFeedBtn->setEnabled(false);
    clearResult();
}

void TFindCall::intervalClick()
{
    if (FChooser) {
        FChooser->LoadPeriod(FPeriod);
        if (FChooser->exec() == QDialog::Accepted)
            FPeriod = FChooser->Period();
    }
    LabelInterval->setText(DescribePeriod(FPeriod));
}
