#include "TFindCall.h"
#include "TFormDateInterval.h"
#include "records/TAddressBook.h"
#include "records/TCallBook.h"
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
#include <QListWidget>
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

    FResult = new QListWidget(this);
    FResult->setObjectName(QStringLiteral("ResultView"));
    FResult->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FResult->setUniformItemSizes(true);
    FResult->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(FResult, 1);
    FPopup = new QMenu(this);
    FSelectAll = FPopup->addAction(QStringLiteral("&Выделить все"));
    FSelectAll->setObjectName(QStringLiteral("SelectAllItem"));
    FCopy = FPopup->addAction(QStringLiteral("&Копировать в буфер обмена"));
    FCopy->setObjectName(QStringLiteral("CopyItem"));
    connect(FSelectAll, &QAction::triggered, FResult, &QListWidget::selectAll);
    connect(FCopy, &QAction::triggered, this, &TFindCall::CopyToClipboard);
    connect(FResult, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        FCopy->setEnabled(!FResult->selectedItems().isEmpty());
        FPopup->popup(FResult->viewport()->mapToGlobal(p));
    });
    connect(FResult, &QListWidget::itemDoubleClicked, this, [this] { JumpToSelected(); });

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
    FResult->clear();
}

void TFindCall::fillResult(const QList<TFoundRow> &Rows)
{
    FResult->setUpdatesEnabled(false);
    for (const TFoundRow &r : Rows) {
        auto *item = new QListWidgetItem(r.Text);
        item->setData(Qt::UserRole, r.Id);
        FResult->addItem(item);
    }
    FResult->setUpdatesEnabled(true);
}

void TFindCall::SearchBtnClick()
{
    if (addressPage()) {
        searchAddressBook();
        return;
    }
    clearResult();
    TRecordTable *table = journal();
    FSearchedPage = 0;
    FSearchedKind = FIncoming->isChecked() ? ckIncoming : ckOutgoing;
    fillResult(TCallSearch::SearchCalls(*table, Criteria()));
    FFeedBtn->setEnabled(FResult->count() > 0);
}

void TFindCall::searchAddressBook()
{
    clearResult();
    FSearchedPage = 1;
    fillResult(TCallSearch::SearchAddressBook(*FBook, AddressCriteria()));
}

void TFindCall::FeedBtnClick()
{
    TRecordTable *table = journal();
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
    QList<qint64> ids;
    for (int i = 0; i < FResult->count(); ++i)
        ids << FResult->item(i)->data(Qt::UserRole).toLongLong();
    return ids;
}

// The selected items in list order (a selection with gaps copies what is selected).
void TFindCall::CopyToClipboard()
{
    QStringList lines;
    for (int i = 0; i < FResult->count(); ++i)
        if (FResult->item(i)->isSelected())
            lines << FResult->item(i)->text();
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(TCallSearch::ClipboardText(lines));
}

bool TFindCall::JumpToSelected()
{
    QListWidgetItem *first = nullptr;
    for (int i = 0; i < FResult->count() && !first; ++i)
        if (FResult->item(i)->isSelected())
            first = FResult->item(i);
    if (!first)
        return false;
    const qint64 id = first->data(Qt::UserRole).toLongLong();
    bool found = false;
    if (addressPage()) {
        found = FBook->FindPerson(id);
    } else {
        found = static_cast<TCallBook *>(journal())->FindCall(id);
    }
    if (found)
        accept();
    return found;
}

void TFindCall::done(int r)
{
    if (FResult->count() > 0)
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
