#include "TFormFieldsEdit.h"
#include "office/TOfficeHistoryList.h"
#include "TJournalGridDelegate.h"
#include "TFieldGrid.h"
#include "audio/TQtTickTimer.h"
#include "config/TConfig.h"
#include "phone/TPhone.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TTableError.h"
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QColor SelectedColor(166, 202, 240);
const QString InText = QStringLiteral("in");
const QString OutText = QStringLiteral("out");
}

// The history rows; texts are made only for the cells drawn. An empty row
// stands first until a call fills it.
class TFormFieldsEdit::THistoryModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void reset(std::vector<TNumberHistoryRow> rows)
    {
        beginResetModel();
        FRows = std::move(rows);
        endResetModel();
    }
    std::vector<TNumberHistoryRow> &rows() { return FRows; }
    const TNumberHistoryRow *row(int r) const { return r >= 0 && r < int(FRows.size()) ? &FRows[size_t(r)] : nullptr; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : std::max(1, int(FRows.size()));
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 7; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles = {QString(), QStringLiteral("Время"), QStringLiteral("Продолжительность"),
                                           QStringLiteral("Направление"), QStringLiteral("Место звонка"),
                                           QStringLiteral("Разговор"), QStringLiteral("Автоответ")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return titles.value(section);
        return {};
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const TNumberHistoryRow *r = row(index.row());
        if (!r)
            return {};
        if (role == ValueRole) {
            switch (index.column()) {
            case hcIndex: return r->CallId;
            case hcTime: return r->Days;
            case hcLength: return r->Micro;
            case hcAttributes: return r->Value;
            default: return {};
            }
        }
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case hcIndex: return QString::number(index.row() + 1);
        case hcTime: return r->Time.toShortDateString() + QLatin1Char(' ') + r->Time.toLongTimeString();
        case hcLength: return r->Length.toLongTimeString();
        case hcDirection: return r->Incoming ? InText : OutText;
        case hcFileName: return r->FileName;
        case hcMessageFileName: return r->Incoming ? r->MessageFileName : QString();
        default: return {};
        }
    }

private:
    std::vector<TNumberHistoryRow> FRows;
};

// Selected rows light blue, the others in the button face colour, black text
// 2 px from the corner; the history's direction, attribute and file columns as pictures.
class TFormFieldsEdit::THistoryDelegate : public QStyledItemDelegate {
public:
    THistoryDelegate(bool History, const TFormFieldsEdit *Owner, QObject *parent)
        : QStyledItemDelegate(parent), FHistory(History), FOwner(Owner) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, selected ? SelectedColor : option.palette.color(QPalette::Button));
        const int s = qMin(16, option.rect.height() - 2);
        const int y = option.rect.top() + (option.rect.height() - s) / 2;
        const int x = option.rect.left() + 2;
        if (FHistory) {
            const QString text = index.data().toString();
            const QList<QIcon> &grid = FOwner->FGridImages;
            switch (index.column()) {
            case hcDirection: {
                const QIcon &icon = text == InText ? FOwner->FInPage : FOwner->FOutPage;
                if (!text.isEmpty() && !icon.isNull()) {
                    icon.paint(p, QRect(x, y, s, s));
                    return;
                }
                break;
            }
            case hcAttributes: {
                const QVariant v = index.data(ValueRole);
                if (v.isValid())
                    TJournalGridDelegate::PaintCallPlace(p, QRect(x, y, s, s), v.toInt(), grid);
                return;
            }
            case hcFileName:
            case hcMessageFileName:
                if (!text.isEmpty() && !grid.isEmpty()) {
                    grid[0].paint(p, QRect(x, y, s, s));
                    return;
                }
                break;
            default:
                break;
            }
        }
        p->setPen(Qt::black);
        p->drawText(option.rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }

private:
    bool FHistory;
    const TFormFieldsEdit *FOwner;
};

TFormFieldsEdit::TFormFieldsEdit(TIncomingCallBook *In, TOutgoingCallBook *Out, TAddressBook *Book,
                                 const TConfig *Config, TPhone *Phone, std::unique_ptr<TTickTimer> CloseTimer,
                                 QWidget *parent)
    : QWidget(parent, Qt::Window), FIn(In), FOut(Out), FBook(Book), FConfig(Config), FPhone(Phone),
      FCloseTimer(CloseTimer ? std::move(CloseTimer) : std::make_unique<TQtTickTimer>())
{
    setObjectName(QStringLiteral("FormFieldsEdit"));
    setWindowTitle(QStringLiteral("Редактор информационных полей"));
    resize(800, 480);
    setMinimumSize(640, 480);
    FCloseTimer->OnTimer = [this] { TimerWaitBeforClose(); };
    buildLayout();
    fillFieldGrid({});
    DatePicker->hide();
    NumberLabel->hide();
    ImageOut->hide();
    PanelReminder->hide();
}

TFormFieldsEdit::~TFormFieldsEdit()
{
    FCloseTimer->OnTimer = {};
}

void TFormFieldsEdit::buildLayout()
{
    auto *root = new QVBoxLayout(this);

    auto *top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("Номер:"), this), 0, 0);
    EditNumberBox = new QLineEdit(this);
    EditNumberBox->setObjectName(QStringLiteral("EditNumber"));
    NumberLabel = new QLabel(this);
    NumberLabel->setObjectName(QStringLiteral("NumberLabel"));
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(EditNumberBox);
    numberRow->addWidget(NumberLabel);
    numberRow->addStretch(1);
    top->addLayout(numberRow, 0, 1);
    top->addWidget(new QLabel(QStringLiteral("Имя:"), this), 1, 0);
    NameLabel = new QLabel(this);
    NameLabel->setObjectName(QStringLiteral("NameLabel"));
    top->addWidget(NameLabel, 1, 1);
    top->addWidget(new QLabel(QStringLiteral("Адрес:"), this), 2, 0);
    AddressLabel = new QLabel(this);
    AddressLabel->setObjectName(QStringLiteral("AddressLabel"));
    top->addWidget(AddressLabel, 2, 1);
    top->setColumnStretch(1, 1);
    root->addLayout(top);

    auto *body = new QHBoxLayout;
    root->addLayout(body, 1);

    // Left: the fields of this call.
    auto *left = new QGroupBox(QStringLiteral("Информационные поля"), this);
    left->setObjectName(QStringLiteral("PanelFields"));
    auto *leftBox = new QVBoxLayout(left);
    auto *images = new QHBoxLayout;
    ImageIn = new QLabel(left);
    ImageIn->setObjectName(QStringLiteral("ImageIn"));
    ImageIn->setText(QStringLiteral("in"));
    ImageOut = new QLabel(left);
    ImageOut->setObjectName(QStringLiteral("ImageOut"));
    ImageOut->setText(QStringLiteral("out"));
    images->addWidget(ImageIn);
    images->addWidget(ImageOut);
    images->addStretch(1);
    leftBox->addLayout(images);
    StringGridFields = new QTableWidget(1, 2, left);
    StringGridFields->setObjectName(QStringLiteral("StringGridFields"));
    StringGridFields->horizontalHeader()->hide();
    StringGridFields->verticalHeader()->hide();
    StringGridFields->verticalHeader()->setMinimumSectionSize(10);
    StringGridFields->verticalHeader()->setDefaultSectionSize(18);
    StringGridFields->horizontalHeader()->setStretchLastSection(true);
    StringGridFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridFields->setItemDelegate(new THistoryDelegate(false, this, StringGridFields));
    StringGridFields->viewport()->installEventFilter(this);
    leftBox->addWidget(StringGridFields);
    auto *reminderRow = new QHBoxLayout;
    CheckBoxReminder = new QCheckBox(QStringLiteral("Напомнить о звонке"), left);
    CheckBoxReminder->setObjectName(QStringLiteral("CheckBoxReminder"));
    DatePicker = new QDateEdit(left);
    DatePicker->setObjectName(QStringLiteral("DatePicker"));
    DatePicker->setDisplayFormat(QLocale(QLocale::Russian).dateFormat(QLocale::LongFormat));
    DatePicker->setDateRange(QDate(2006, 11, 1), QDate(2100, 12, 31));
    DatePicker->setCalendarPopup(true);
    reminderRow->addWidget(CheckBoxReminder);
    reminderRow->addWidget(DatePicker, 1);
    leftBox->addLayout(reminderRow);
    auto *notes = new QGroupBox(QStringLiteral(" Заметки "), left);
    auto *notesBox = new QVBoxLayout(notes);
    NotesMemo = new QPlainTextEdit(notes);
    NotesMemo->setObjectName(QStringLiteral("NotesMemo"));
    NotesMemo->setReadOnly(true);
    notesBox->addWidget(NotesMemo);
    leftBox->addWidget(notes, 1);
    auto *buttons = new QHBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("OK"), left);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), left);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    leftBox->addLayout(buttons);
    body->addWidget(left, 2);

    // Right: the history of the number and the fields of the row selected.
    auto *right = new QVBoxLayout;
    SGNumbersInfo = new QTableView(this);
    SGNumbersInfo->setObjectName(QStringLiteral("SGNumbersInfo"));
    FHistory = new THistoryModel(SGNumbersInfo);
    SGNumbersInfo->setModel(FHistory);
    // The design's widths, widened where this font needs more for the title or the time.
    const int widths[] = {15, 107, 105, 38, 37, 37, 35};
    const QFontMetrics fm(SGNumbersInfo->font());
    for (int c = 0; c < 7; ++c) {
        int w = std::max(widths[c], fm.horizontalAdvance(FHistory->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + 12);
        if (c == hcIndex)
            w = std::max(w, fm.horizontalAdvance(QStringLiteral("000")) + 6);
        else if (c == hcTime)
            w = std::max(w, fm.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 8);
        SGNumbersInfo->setColumnWidth(c, w);
    }
    SGNumbersInfo->verticalHeader()->hide();
    SGNumbersInfo->verticalHeader()->setDefaultSectionSize(18);
    SGNumbersInfo->horizontalHeader()->setSectionsClickable(false);
    SGNumbersInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGNumbersInfo->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGNumbersInfo->setSelectionMode(QAbstractItemView::SingleSelection);
    SGNumbersInfo->setItemDelegate(new THistoryDelegate(true, this, SGNumbersInfo));
    connect(SGNumbersInfo->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    SGNumbersInfoSelectCell(current.row());
            });
    right->addWidget(SGNumbersInfo, 1);
    SGFields = new QTableWidget(7, 2, this);
    SGFields->setObjectName(QStringLiteral("SGFields"));
    SGFields->horizontalHeader()->hide();
    SGFields->verticalHeader()->hide();
    SGFields->verticalHeader()->setDefaultSectionSize(18);
    SGFields->horizontalHeader()->setStretchLastSection(true);
    SGFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGFields->setItemDelegate(new THistoryDelegate(false, this, SGFields));
    right->addWidget(SGFields);
    PanelReminder = new QGroupBox(QStringLiteral("    Намомнить  о  звонке    "), this);
    PanelReminder->setObjectName(QStringLiteral("PanelReminder"));
    auto *reminderBox = new QHBoxLayout(PanelReminder);
    LabelDate = new QLabel(PanelReminder);
    LabelDate->setObjectName(QStringLiteral("LabelDate"));
    reminderBox->addWidget(LabelDate);
    right->addWidget(PanelReminder);
    body->addLayout(right, 3);

    connect(OKBtn, &QPushButton::clicked, this, &TFormFieldsEdit::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormFieldsEdit::CancelBtnClick);
    connect(CheckBoxReminder, &QCheckBox::clicked, this, [this] { markEdited(); });
    connect(CheckBoxReminder, &QCheckBox::toggled, this, &TFormFieldsEdit::reminderToggled);
    connect(DatePicker, &QDateEdit::dateChanged, this, [this] {
        if (!FLoading)
            markEdited();
    });
    connect(EditNumberBox, &QLineEdit::textChanged, this, [this] {
        if (!FLoading)
            markEdited();
    });
    EditNumberBox->installEventFilter(this);
}

void TFormFieldsEdit::SetImages(const QList<QIcon> &GridImages, const QIcon &InPage, const QIcon &OutPage)
{
    FGridImages = GridImages;
    FInPage = InPage;
    FOutPage = OutPage;
    if (!InPage.isNull())
        ImageIn->setPixmap(InPage.pixmap(24, 24));
    if (!OutPage.isNull())
        ImageOut->setPixmap(OutPage.pixmap(24, 24));
    SGNumbersInfo->viewport()->update();
}

QList<QLineEdit *> TFormFieldsEdit::fieldEditors() const
{
    QList<QLineEdit *> list;
    for (int r = 0; r < StringGridFields->rowCount(); ++r)
        if (auto *e = qobject_cast<QLineEdit *>(StringGridFields->cellWidget(r, 1)))
            list << e;
    return list;
}

void TFormFieldsEdit::fillFieldGrid(const QList<TFieldEntry> &Keep)
{
    // The old editors are deleted later: until then they are nameless and mute.
    for (QLineEdit *e : fieldEditors()) {
        e->setObjectName(QString());
        e->removeEventFilter(this);
    }
    FillFieldGrid(StringGridFields, FCallKind == ckIncoming ? 0 : 1, false, FConfig);
    StringGridFields->setColumnWidth(0, std::max(150, StringGridFields->columnWidth(0)));
    if (!StringGridFields->isEnabled())
        return;
    // The value cells are always in edit mode: a line editor on each.
    for (int r = 0; r < StringGridFields->rowCount(); ++r) {
        QTableWidgetItem *item = StringGridFields->item(r, 1);
        const int n = item ? item->data(FieldNumberRole).toInt() : 0;
        auto *edit = new QLineEdit(StringGridFields);
        edit->setObjectName(QStringLiteral("Field%1Edit").arg(n));
        edit->setFrame(false);
        edit->setMaxLength(127);
        edit->setProperty("FieldNumber", n);
        for (const TFieldEntry &e : Keep)
            if (e.Tag == n)
                edit->setText(e.Text);
        edit->installEventFilter(this);
        StringGridFields->setCellWidget(r, 1, edit);
    }
}

void TFormFieldsEdit::LoadCall(const QString &NumberText, TCallKind Kind)
{
    FLoading = true;
    const QString number = NumberText.isEmpty() ? QStringLiteral("?") : NumberText;
    // Values entered for this call while its editor was hidden (OK before the
    // call had a row) are still pending: preparing the window again keeps them.
    FKeepEdited = FEdited && !isVisible() && Kind == FCallKind;
    QList<TFieldEntry> keep;
    QString keepNumber;
    const bool keepReminder = FKeepEdited && CheckBoxReminder->isChecked();
    const QDate keepDate = DatePicker->date();
    if (FKeepEdited) {
        keep = FieldValues();
        keepNumber = EditNumberBox->text();
    }

    NumberLabel->setText(number);
    EditNumberBox->setText(FKeepEdited && !IsUndeterminedNumber(keepNumber) ? keepNumber : number);
    NotesMemo->clear();
    CheckBoxReminder->setChecked(keepReminder);
    if (keepReminder)
        DatePicker->setDate(keepDate);
    DatePicker->setVisible(keepReminder);
    FCallKind = Kind;
    fillFieldGrid(keep);
    const bool incoming = Kind == ckIncoming;
    ImageIn->setVisible(incoming);
    ImageOut->setVisible(!incoming);
    setWindowTitle(incoming ? QStringLiteral("Редактор информационных полей входящего звонка")
                            : QStringLiteral("Редактор информационных полей исходящего звонка"));
    EditNumberBox->setVisible(incoming);
    NumberLabel->setVisible(!incoming);

    NameLabel->clear();
    AddressLabel->clear();
    if (FBook) {
        try {
            if (FBook->FindPhone(number) && FBook->fieldValue(QStringLiteral("Phone")).toString() == number) {
                NameLabel->setText(FBook->fieldValue(QStringLiteral("Name")).toString());
                AddressLabel->setText(FBook->fieldValue(QStringLiteral("Address")).toString());
                NotesMemo->setPlainText(FBook->fieldValue(QStringLiteral("Notes")).toString());
            }
        } catch (const TTableError &) {
        }
    }

    FHistory->reset({});
    for (const TNumberHistoryRow &r : TNumberHistory::Load(FIn, FOut, number))
        AddHistoryRow(r);
    if (OfficeHistory)
        OfficeHistory->ShowNumber(number);
    SortHistory();
    {
        const QSignalBlocker block(SGNumbersInfo->selectionModel());
        SGNumbersInfo->setCurrentIndex(FHistory->index(0, hcTime));
    }
    SGNumbersInfoSelectCell(0);
    FLoading = false;
}

void TFormFieldsEdit::AddHistoryRow(const TNumberHistoryRow &Row)
{
    FHistory->rows().push_back(Row);
}

void TFormFieldsEdit::SortHistory()
{
    std::vector<TNumberHistoryRow> rows = std::move(FHistory->rows());
    std::stable_sort(rows.begin(), rows.end(), [](const TNumberHistoryRow &a, const TNumberHistoryRow &b) {
        return a.Days != b.Days ? a.Days > b.Days : a.Micro > b.Micro;
    });
    FHistory->reset(std::move(rows));
}

int TFormFieldsEdit::HistoryRowCount() const
{
    return FHistory->rowCount();
}

void TFormFieldsEdit::SGNumbersInfoSelectCell(int Row)
{
    const TNumberHistoryRow *row = FHistory->row(Row);
    const bool incoming = !row || row->Incoming;
    FillFieldGrid(SGFields, incoming ? 0 : 1, true, FConfig);
    SGFields->setColumnWidth(0, 150);
    for (int r = 0; r < SGFields->rowCount(); ++r)
        for (int c = 0; c < 2; ++c)
            if (QTableWidgetItem *item = SGFields->item(r, c))
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    PanelReminder->hide();
    if (!row)
        return;
    TCallBook *book = incoming ? static_cast<TCallBook *>(FIn) : static_cast<TCallBook *>(FOut);
    const TCallFields fields = TNumberHistory::Fields(book, row->CallId);
    if (!fields.Found)
        return;
    for (int n = 0; n < 7 && n < SGFields->rowCount(); ++n)
        if (QTableWidgetItem *item = SGFields->item(n, 1))
            item->setText(fields.Field[n]);
    if (fields.Reminder.value() > 0) {
        LabelDate->setText(fields.Reminder.toShortDateString());
        PanelReminder->show();
    }
}

void TFormFieldsEdit::reminderToggled(bool On)
{
    if (On && !FLoading)
        DatePicker->setDate(QDate::currentDate().addDays(1));
    DatePicker->setVisible(On);
}

void TFormFieldsEdit::ShowInFront()
{
    show();
    raise();
    activateWindow();
}

void TFormFieldsEdit::SetOwnerCall(quint64 Call)
{
    if (Call == FOwnerCall)
        return;
    // Values left pending for one call never go into another's row.
    if (!isVisible())
        dropValues();
    FOwnerCall = Call;
}

void TFormFieldsEdit::dropValues()
{
    for (QLineEdit *e : fieldEditors())
        e->clear();
    {
        const QSignalBlocker block(CheckBoxReminder);
        CheckBoxReminder->setChecked(false);
    }
    DatePicker->hide();
    FEdited = false;
}

void TFormFieldsEdit::OpenFromAlert(const QString &Number, quint64 Call)
{
    if (isVisible())
        CancelBtnClick();
    QCoreApplication::processEvents();
    SetOwnerCall(Call);
    LoadCall(Number, ckIncoming);
    FFromAlert = true;
    ShowInFront();
}

void TFormFieldsEdit::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (FAlertWindow && FAlertWindow->isVisible())
        FAlertWindow->hide();
    resize(width(), std::max(minimumHeight(), StringGridFields->height() + 260));
    const QList<QLineEdit *> edits = fieldEditors();
    if (!edits.isEmpty())
        edits.first()->setFocus();
    else
        StringGridFields->setFocus();
    FEdited = FKeepEdited;
    FKeepEdited = false;
    FCallId = -1;
    FPendingStore = {};
    if (FRobotWindow && FRobotWindow->isVisible()) {
        FRobotWindow->setEnabled(false);
        return;
    }
    if (FMainWindow)
        FMainWindow->setEnabled(false);
    if (FPhone)
        FPhone->SetOutCallInputMode(true);
    emit PhoneStateChangeWanted();
}

void TFormFieldsEdit::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    // A timer left from this call must not close the window of the next one.
    FCloseTimer->Stop();
    if (FPhone)
        FPhone->SetOutCallInputMode(false);
    if (FRobotWindow)
        FRobotWindow->setEnabled(true);
    if (FMainWindow)
        FMainWindow->setEnabled(true);
    if (!FRobotWindow || !FRobotWindow->isVisible()) {
        FFromAlert = false;
        if (FMainWindow)
            FMainWindow->activateWindow();
    } else {
        FRobotWindow->activateWindow();
    }
}

void TFormFieldsEdit::closeEvent(QCloseEvent *event)
{
    if (!FOwnClose)
        dropValues();
    QWidget::closeEvent(event);
}

void TFormFieldsEdit::closeWindow()
{
    FOwnClose = true;
    close();
    FOwnClose = false;
}

bool TFormFieldsEdit::closingKey(const QKeyEvent *event)
{
    // Esc is "Отмена"; Alt+F4 closes as the title-bar button does where no
    // window manager takes the key first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtnClick();
        return true;
    }
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) {
        close();
        return true;
    }
    return false;
}

void TFormFieldsEdit::keyPressEvent(QKeyEvent *event)
{
    if (!closingKey(event))
        QWidget::keyPressEvent(event);
}

bool TFormFieldsEdit::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (closingKey(static_cast<QKeyEvent *>(event)))
            return true;
        if (watched != StringGridFields->viewport()) {
            markEdited();
            restartRunningTimer();
        }
        break;
    case QEvent::KeyRelease:
        if (watched != StringGridFields->viewport())
            restartRunningTimer();
        break;
    case QEvent::MouseButtonPress:
        markEdited();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TFormFieldsEdit::restartRunningTimer()
{
    if (FCloseTimer->Active())
        FCloseTimer->Start(CloseDelayMs);
}

void TFormFieldsEdit::RestartCloseTimer()
{
    if (isVisible() && !FEdited)
        FCloseTimer->Start(CloseDelayMs);
}

bool TFormFieldsEdit::CloseTimerActive() const
{
    return FCloseTimer->Active();
}

void TFormFieldsEdit::TimerWaitBeforClose()
{
    FCloseTimer->Stop();
    if (isVisible() && !FEdited)
        closeWindow();
}

QString TFormFieldsEdit::EditNumber() const
{
    return FCallKind == ckIncoming ? EditNumberBox->text().trimmed() : QString();
}

QList<TFieldEntry> TFormFieldsEdit::FieldValues() const
{
    QList<TFieldEntry> values;
    for (QLineEdit *e : fieldEditors())
        values << TFieldEntry{e->property("FieldNumber").toInt(), e->text()};
    return values;
}

bool TFormFieldsEdit::ReminderChecked() const
{
    return CheckBoxReminder->isChecked();
}

TDateTime TFormFieldsEdit::ReminderDate() const
{
    return TDateTime::fromDate(DatePicker->date());
}

void TFormFieldsEdit::OKBtnClick()
{
    if (FCallId == -1) {
        // The call has no row yet: the values wait for the end of the call.
        FEdited = true;
        closeWindow();
        return;
    }
    const TDateTime reminder = ReminderChecked() ? ReminderDate() : TDateTime();
    const QList<TFieldEntry> values = FieldValues();
    // The window closes only once the values are kept: a row gone from the
    // journal or a backlog that no longer has it keeps them on screen.
    bool kept;
    try {
        if (FCallId == 0) {
            // The row waits in the journal's backlog: the values wait with it.
            kept = FPendingStore && FPendingStore(EditNumber(), values, reminder);
        } else if (FCallKind == ckIncoming) {
            // An emptied box or the "?" of a number not yet known keeps the row's number.
            QString phone = EditNumber();
            if (IsUndeterminedNumber(phone))
                phone = FIn->rowByKey(FCallId).value(FIn->schema().fieldIndex(QStringLiteral("Phone"))).toString();
            kept = FIn->UpdateFields(FCallId, phone, values, reminder);
        } else {
            kept = FOut->UpdateFields(FCallId, values, reminder);
        }
        // Without an enabled field the fields write no reminder: it goes on its own.
        if (kept && values.isEmpty() && FCallId != 0)
            (FCallKind == ckIncoming ? static_cast<TCallBook *>(FIn) : static_cast<TCallBook *>(FOut))
                ->SetReminder(FCallId, reminder);
    } catch (const TTableError &e) {
        // The window stays open with the values, so that nothing typed is lost.
        QMessageBox::warning(this, QApplication::applicationName(), e.message());
        return;
    }
    if (!kept) {
        QMessageBox::warning(this, QApplication::applicationName(), NotWrittenText);
        return;
    }
    emit RowUpdated();
    FEdited = false;
    closeWindow();
}

void TFormFieldsEdit::CancelBtnClick()
{
    dropValues();
    closeWindow();
}

void TFormFieldsEdit::SetOfficeHistory(TOfficeHistory *History)
{
    delete OfficeHistory;
    OfficeHistory = History ? TOfficeHistoryList::InsertBelow(History, SGNumbersInfo) : nullptr;
}
