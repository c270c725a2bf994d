#include "TFormNumberInfo.h"
#include "office/TOfficeHistoryList.h"
#include "TJournalGridDelegate.h"
#include "TFieldGrid.h"
#include "TJournalRules.h"
#include "TToolButton.h"
#include "audio/TMediaPlayer.h"
#include "audio/TSoundControl.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TSqliteStatement.h"
#include "records/TTableError.h"
#include <QAbstractTableModel>
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QColor Current(166, 202, 240);
constexpr int IconRole = Qt::UserRole + 2;

bool fileExists(const QString &name)
{
    return name.size() > 1 && QFileInfo(name).isFile();
}
}

// The calls of the number; one empty row when there are none.
class TFormNumberInfo::THistoryModel : public QAbstractTableModel {
public:
    THistoryModel(const QList<TNumberHistoryRow> &Calls, QObject *parent) : QAbstractTableModel(parent), FCalls(Calls) {}

    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : std::max(1, int(FCalls.size()));
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }
    Qt::ItemFlags flags(const QModelIndex &) const override { return Qt::ItemIsEnabled | Qt::ItemIsSelectable; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles{QString(),
                                        QStringLiteral("Время"),
                                        QStringLiteral("Продолжительность"),
                                        QStringLiteral("Направление"),
                                        QStringLiteral("Место звонка"),
                                        QStringLiteral("Разговор"),
                                        QStringLiteral("Автоответ")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return titles.at(section);
        return QVariant();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const int column = index.column();
        if (column == hcIndex && role == Qt::DisplayRole)
            return QString::number(index.row() + 1);
        if (index.row() >= int(FCalls.size()))
            return QVariant();
        const TNumberHistoryRow &c = FCalls.at(index.row());
        if (role == Qt::UserRole) {
            if (column == hcIndex)
                return c.CallId;
            if (column == hcTime)
                return c.Time.days();
            if (column == hcLength)
                return qint64(std::llround(c.Time.timeOfDay() * 1e6));
            if (column == hcPlace)
                return c.Value;
            return QVariant();
        }
        if (role == IconRole) {
            if (column == hcDirection)
                return c.Incoming ? 1 : 2;
            if (column == hcTalk)
                return !c.FileName.isEmpty();
            if (column == hcMessage)
                return !c.MessageFileName.isEmpty();
            return QVariant();
        }
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return QVariant();
        switch (column) {
        case hcTime:
            return c.Time.toShortDateString() + QLatin1Char(' ') + c.Time.toLongTimeString();
        case hcLength:
            return c.Length.toLongTimeString();
        case hcDirection:
            return c.Incoming ? QStringLiteral("in") : QStringLiteral("out");
        case hcTalk:
            return role == Qt::ToolTipRole ? c.FileName : QVariant();
        case hcMessage:
            return role == Qt::ToolTipRole ? c.MessageFileName : QVariant();
        default:
            return QVariant();
        }
    }

private:
    const QList<TNumberHistoryRow> &FCalls;
};

// The current row light blue, the others white; the direction as the page
// pictures, the call place and the files as the journal grid's pictures.
class TFormNumberInfo::THistoryDelegate : public QStyledItemDelegate {
public:
    THistoryDelegate(const TFormNumberInfo &Form, QObject *parent) : QStyledItemDelegate(parent), FForm(Form) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool current = index.row() == FForm.FRow;
        p->fillRect(option.rect, current ? Current : QColor(Qt::white));
        const int s = qMin(16, option.rect.height() - 2);
        const int y = option.rect.top() + (option.rect.height() - s) / 2;
        const int x = option.rect.left() + 2;
        const QList<QIcon> &grid = FForm.FGridImages;
        switch (index.column()) {
        case hcDirection: {
            const int kind = index.data(IconRole).toInt();
            const QIcon &icon = kind == 1 ? FForm.FInPage : FForm.FOutPage;
            if (kind != 0 && !icon.isNull()) {
                icon.paint(p, QRect(x, y, s, s));
                return;
            }
            break;
        }
        case hcPlace: {
            const QVariant v = index.data(Qt::UserRole);
            if (v.isValid())
                TJournalGridDelegate::PaintCallPlace(p, QRect(x, y, s, s), v.toInt(), grid);
            return;
        }
        case hcTalk:
        case hcMessage:
            if (index.data(IconRole).toBool()) {
                if (!grid.isEmpty())
                    grid[0].paint(p, QRect(x, y, s, s));
                else
                    p->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignVCenter, QStringLiteral("*"));
            }
            return;
        default:
            break;
        }
        p->setPen(Qt::black);
        p->drawText(option.rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }

private:
    const TFormNumberInfo &FForm;
};

TFormNumberInfo::TFormNumberInfo(TIncomingCallBook *In, TOutgoingCallBook *Out, TAddressBook *Book,
                                 const TConfig *Config, TMediaPlayer &Player, TSoundControl &Sound, QWidget *parent)
    : QWidget(parent, Qt::Window), FIn(In), FOut(Out), FBook(Book), FConfig(Config), FPlayer(Player), FSound(Sound)
{
    setObjectName(QStringLiteral("FormNumberInfo"));
    setWindowTitle(QStringLiteral("Информация о номере"));
    buildLayout();
    ApplyBtn->setEnabled(false);
}

TFormNumberInfo::~TFormNumberInfo()
{
    if (FHoldsPlayer)
        FSound.HoldPlayer(false);
}

void TFormNumberInfo::buildLayout()
{
    auto *root = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    auto *labels = new QGridLayout;
    const auto caption = [&](int row, const QString &text, QLabel *&value, const QString &name) {
        labels->addWidget(new QLabel(text, this), row, 0);
        value = new QLabel(this);
        value->setObjectName(name);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels->addWidget(value, row, 1);
    };
    caption(0, QStringLiteral("Телефон:"), LabelPhoneNumber, QStringLiteral("LabelPhoneNumber"));
    caption(1, QStringLiteral("Имя:"), LabelName, QStringLiteral("LabelName"));
    caption(2, QStringLiteral("Адрес:"), LabelAddress, QStringLiteral("LabelAddress"));
    QFont big = LabelPhoneNumber->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    LabelPhoneNumber->setFont(big);
    labels->setColumnStretch(1, 1);
    top->addLayout(labels, 1);
    auto *notesBox = new QGroupBox(QStringLiteral(" Заметки "), this);
    auto *notesLayout = new QVBoxLayout(notesBox);
    NotesEdit = new QPlainTextEdit(notesBox);
    NotesEdit->setObjectName(QStringLiteral("NotesEdit"));
    NotesEdit->setReadOnly(true);
    NotesEdit->setMaximumHeight(60);
    notesLayout->addWidget(NotesEdit);
    top->addWidget(notesBox, 1);
    root->addLayout(top);

    SGNumbersInfo = new QTableView(this);
    SGNumbersInfo->setObjectName(QStringLiteral("SGNumbersInfo"));
    FHistory = new THistoryModel(FCalls, this);
    FDelegate = new THistoryDelegate(*this, this);
    SGNumbersInfo->setModel(FHistory);
    SGNumbersInfo->setItemDelegate(FDelegate);
    SGNumbersInfo->verticalHeader()->hide();
    SGNumbersInfo->verticalHeader()->setDefaultSectionSize(18);
    SGNumbersInfo->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SGNumbersInfo->setSelectionMode(QAbstractItemView::NoSelection);
    SGNumbersInfo->setContextMenuPolicy(Qt::CustomContextMenu);
    const int widths[ColumnCount] = {25, 136, 131, 103, 87, 68, 67};
    for (int c = 0; c < ColumnCount; ++c)
        SGNumbersInfo->setColumnWidth(c, widths[c]);
    SGNumbersInfo->viewport()->installEventFilter(this);
    SGNumbersInfo->installEventFilter(this);
    root->addWidget(SGNumbersInfo, 1);

    auto *bar = new QHBoxLayout;
    PlayButton = new TToolButton(this, QStringLiteral("PlayButton"), QStringLiteral("►"),
                                 QStringLiteral("Воспроизвести запись"));
    PauseBtn = new TToolButton(this, QStringLiteral("PauseBtn"), QStringLiteral("❚❚"), QStringLiteral("Пауза"));
    StopBtn = new TToolButton(this, QStringLiteral("StopBtn"), QStringLiteral("■"), QStringLiteral("Стоп"));
    PlayButton->setEnabled(false);
    LabelRestTime = new QLabel(QStringLiteral("00:00:00"), this);
    LabelRestTime->setObjectName(QStringLiteral("LabelRestTime"));
    LabelRestTime->setMinimumWidth(LabelRestTime->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 8);
    TrackBar = new QSlider(Qt::Horizontal, this);
    TrackBar->setObjectName(QStringLiteral("TrackBar"));
    TrackBar->setRange(0, 100);
    TrackBar->setMaximumWidth(120);
    SpeedButtonDial = new TToolButton(this, QStringLiteral("SpeedButtonDial"), QStringLiteral("звонить"),
                                      QStringLiteral("звонить"));
    SpeedButtonGotoCell = new TToolButton(this, QStringLiteral("SpeedButtonGotoCell"),
                                          QStringLiteral("Перейти в ячейку памяти"),
                                          QStringLiteral("Перейти в ячейку памяти"));
    bar->addWidget(PlayButton);
    bar->addWidget(PauseBtn);
    bar->addWidget(StopBtn);
    bar->addWidget(LabelRestTime);
    bar->addWidget(new QLabel(QStringLiteral(" громкость:"), this));
    bar->addWidget(TrackBar);
    bar->addStretch(1);
    bar->addWidget(SpeedButtonDial);
    bar->addWidget(SpeedButtonGotoCell);
    root->addLayout(bar);

    auto *fieldsBox = new QGroupBox(QStringLiteral("Информационные  поля"), this);
    auto *fieldsLayout = new QVBoxLayout(fieldsBox);
    SGFields = new QTableWidget(7, 2, fieldsBox);
    SGFields->setObjectName(QStringLiteral("SGFields"));
    SGFields->horizontalHeader()->hide();
    SGFields->verticalHeader()->hide();
    SGFields->horizontalHeader()->setStretchLastSection(true);
    SGFields->verticalHeader()->setDefaultSectionSize(18);
    fieldsLayout->addWidget(SGFields);
    root->addWidget(fieldsBox);

    auto *bottom = new QHBoxLayout;
    CheckBoxReminder = new QCheckBox(QStringLiteral("Напомнить о звонке"), this);
    CheckBoxReminder->setObjectName(QStringLiteral("CheckBoxReminder"));
    DatePicker = new QDateEdit(this);
    DatePicker->setObjectName(QStringLiteral("DatePicker"));
    DatePicker->setLocale(QLocale(QLocale::Russian, QLocale::Russia));   // the long date in Russian
    DatePicker->setDisplayFormat(QStringLiteral("d MMMM yyyy 'г.'"));
    DatePicker->setDateRange(QDate(2006, 11, 1), QDate(2100, 12, 31));
    DatePicker->setCalendarPopup(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
    OKBtn = new QPushButton(QStringLiteral("&OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    BitBtnCancel = new QPushButton(QStringLiteral("О&тмена"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    ApplyBtn = new QPushButton(QStringLiteral("&Применить"), this);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));
    bottom->addWidget(CheckBoxReminder);
    bottom->addWidget(DatePicker);
    bottom->addWidget(Image1);
    bottom->addStretch(1);
    bottom->addWidget(OKBtn);
    bottom->addWidget(BitBtnCancel);
    bottom->addWidget(ApplyBtn);
    root->addLayout(bottom);

    FPopup = new QMenu(this);
    FPopup->setObjectName(QStringLiteral("NumberInfoPopup"));
    miDial = FPopup->addAction(QStringLiteral("Звонить"));
    miDial->setObjectName(QStringLiteral("miDial"));
    miGotoCell = FPopup->addAction(QStringLiteral("Перейти в ячейку памяти"));
    miGotoCell->setObjectName(QStringLiteral("miGotoCell"));

    TimerPlayer = new QTimer(this);
    TimerPlayer->setObjectName(QStringLiteral("TimerPlayer"));
    TimerPlayer->setInterval(500);

    connect(SGNumbersInfo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { FPopup->popup(SGNumbersInfo->viewport()->mapToGlobal(p)); });
    connect(SGNumbersInfo->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && current.row() != FRow && !SGNumbersInfoSelectCell(current.row())) {
                    const QSignalBlocker block(SGNumbersInfo->selectionModel());
                    SGNumbersInfo->setCurrentIndex(FHistory->index(FRow, current.column()));
                }
                SGNumbersInfo->viewport()->update();
            });
    connect(SGFields, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == 1)
            edited();
    });
    connect(CheckBoxReminder, &QCheckBox::clicked, this, &TFormNumberInfo::reminderClicked);
    connect(DatePicker, &QDateEdit::dateChanged, this, [this] { edited(); });
    connect(ApplyBtn, &QPushButton::clicked, this, &TFormNumberInfo::ApplyBtnClick);
    connect(OKBtn, &QPushButton::clicked, this, &TFormNumberInfo::OKBtnClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormNumberInfo::BitBtnCancelClick);
    connect(SpeedButtonDial, &QToolButton::clicked, this, &TFormNumberInfo::SpeedButtonDialClick);
    connect(miDial, &QAction::triggered, this, &TFormNumberInfo::SpeedButtonDialClick);
    connect(SpeedButtonGotoCell, &QToolButton::clicked, this, &TFormNumberInfo::SpeedButtonGotoCellClick);
    connect(miGotoCell, &QAction::triggered, this, &TFormNumberInfo::SpeedButtonGotoCellClick);
    connect(PlayButton, &QToolButton::clicked, this, &TFormNumberInfo::PlayButtonClick);
    connect(PauseBtn, &QToolButton::clicked, this, &TFormNumberInfo::PauseBtnClick);
    connect(StopBtn, &QToolButton::clicked, this, &TFormNumberInfo::StopBtnClick);
    connect(TimerPlayer, &QTimer::timeout, this, &TFormNumberInfo::TimerPlayerTimer);
    connect(TrackBar, &QSlider::valueChanged, this, [this](int p) {
        if (isVisible())
            FSound.SetTrackBarPosition(p);
    });
    resize(720, 520);
}

void TFormNumberInfo::SetImages(const QList<QIcon> &GridImages, const QIcon &InPage, const QIcon &OutPage)
{
    FGridImages = GridImages;
    FInPage = InPage;
    FOutPage = OutPage;
}

int TFormNumberInfo::HistoryRowCount() const
{
    return int(FCalls.size());
}

const TNumberHistoryRow *TFormNumberInfo::CurrentCall() const
{
    return FRow >= 0 && FRow < int(FCalls.size()) ? &FCalls.at(FRow) : nullptr;
}

TCallBook *TFormNumberInfo::bookOf(const TNumberHistoryRow &Call) const
{
    return Call.Incoming ? static_cast<TCallBook *>(FIn) : static_cast<TCallBook *>(FOut);
}

bool TFormNumberInfo::locked() const
{
    return ApplyBtn->isEnabled();
}

// ---------------------------------------------------------------- showing

void TFormNumberInfo::ShowNumber(const QString &Number, qint64 CallId, QWidget *ReturnForm, int Direction)
{
    ApplyBtn->setEnabled(false);   // a new number drops what was not applied
    FNumber = Number;
    LabelPhoneNumber->setText(Number.isEmpty() ? QStringLiteral("?") : Number);
    LabelName->clear();
    LabelAddress->clear();
    NotesEdit->clear();
    // The subscriber whose number is exactly this one; the book's current row stays.
    if (FBook && !Number.isEmpty()) {
        try {
            TSqliteStatement q(FBook->connection(),
                               QStringLiteral("SELECT \"Name\", \"Address\", \"Notes\" FROM \"AddressBook\" "
                                              "WHERE \"Phone\" = ?1 ORDER BY \"Person_ID\" LIMIT 1"));
            q.bind(1, Number);
            if (q.step()) {
                LabelName->setText(q.value(0).toString());
                LabelAddress->setText(q.value(1).toString());
                NotesEdit->setPlainText(q.value(2).toString());
            }
        } catch (const TTableError &) {
        }
    }
    FCalls = TNumberHistory::Load(FIn, FOut, Number);   // a journal that cannot be read adds nothing
    if (OfficeHistory)
        OfficeHistory->ShowNumber(Number);
    FHistory->reset();
    // Both journals count their keys from 1: the direction tells equal Call_IDs apart.
    int found = -1;
    for (int i = 0; CallId >= 0 && i < FCalls.size() && found < 0; ++i)
        if (FCalls.at(i).CallId == CallId && FCalls.at(i).Incoming == (Direction == 0))
            found = i;
    FRow = -1;
    SGNumbersInfoSelectCell(found >= 0 ? found : 0);
    SGNumbersInfo->scrollTo(FHistory->index(FRow, hcTime));
    FReturnForm = ReturnForm;
    {
        const QSignalBlocker block(TrackBar);
        TrackBar->setValue(FSound.TrackBarPosition());
    }
    show();
    raise();
    activateWindow();
    SGNumbersInfo->setFocus();
}

// ---------------------------------------------------------------- selecting and editing

bool TFormNumberInfo::SGNumbersInfoSelectCell(int Row)
{
    if (locked())
        return false;
    if (Row < 0 || Row >= FHistory->rowCount())
        return false;
    FRow = Row;
    {
        const QSignalBlocker block(SGNumbersInfo->selectionModel());
        const int column = SGNumbersInfo->currentIndex().isValid() ? SGNumbersInfo->currentIndex().column() : hcTime;
        SGNumbersInfo->setCurrentIndex(FHistory->index(Row, column));
    }
    SGNumbersInfo->viewport()->update();

    const TNumberHistoryRow *call = CurrentCall();
    PlayButton->setEnabled(call && (!call->FileName.isEmpty() || !call->MessageFileName.isEmpty()));
    FLoaded = false;
    const QSignalBlocker blockFields(SGFields);
    const QSignalBlocker blockDate(DatePicker);
    FillFieldGrid(SGFields, !call || call->Incoming ? 0 : 1, true, FConfig);
    SGFields->horizontalHeader()->setStretchLastSection(true);
    QVariantList row;
    TCallBook *book = call ? bookOf(*call) : nullptr;
    if (book) {
        try {
            row = book->rowByKey(call->CallId);   // whatever the journal's filter
        } catch (const TTableError &) {
        }
    }
    for (int r = 0; r < SGFields->rowCount(); ++r) {
        QTableWidgetItem *caption = SGFields->item(r, 0);
        if (caption)
            caption->setBackground(palette().button());
        QTableWidgetItem *value = SGFields->item(r, 1);
        if (!value)
            continue;
        if (!row.isEmpty()) {
            const int field = book->schema().fieldIndex(QStringLiteral("Field_%1").arg(value->data(FieldNumberRole).toInt()));
            value->setText(field >= 0 ? row.at(field).toString() : QString());
            value->setFlags(value->flags() | Qt::ItemIsEditable);
        }
    }
    SGFields->setEnabled(!row.isEmpty());
    if (row.isEmpty()) {
        CheckBoxReminder->setChecked(false);
        CheckBoxReminder->hide();
        showReminder(false);
    } else {
        CheckBoxReminder->show();
        const double reminder = row.at(book->schema().fieldIndex(QStringLiteral("Field_8"))).toDouble();
        const bool set = reminder > 0;
        CheckBoxReminder->setChecked(set);
        DatePicker->setDate(set ? TDateTime(reminder).date() : (TDateTime::now() + 1).date());
        showReminder(set);
    }
    FLoaded = !row.isEmpty();
    return true;
}

void TFormNumberInfo::showReminder(bool Visible)
{
    DatePicker->setVisible(Visible);
    Image1->setVisible(Visible);
}

void TFormNumberInfo::reminderClicked(bool On)
{
    showReminder(On);
    edited();
}

void TFormNumberInfo::edited()
{
    if (FLoaded)
        ApplyBtn->setEnabled(true);
}

void TFormNumberInfo::ApplyBtnClick()
{
    const TNumberHistoryRow *call = CurrentCall();
    TCallBook *book = call ? bookOf(*call) : nullptr;
    {
        // Leaving the current cell commits an open editor's text into its cell.
        const int r = SGFields->currentRow(), c = SGFields->currentColumn();
        SGFields->setCurrentCell(-1, -1);
        SGFields->setCurrentCell(r, c);
    }
    if (book) {
        QList<TFieldEntry> entries;
        for (int r = 0; r < SGFields->rowCount(); ++r)
            if (const QTableWidgetItem *value = SGFields->item(r, 1))
                entries << TFieldEntry{value->data(FieldNumberRole).toInt(), value->text()};
        const TDateTime reminder =
            CheckBoxReminder->isChecked() ? TDateTime::fromDate(DatePicker->date()) : TDateTime();
        // By key, whatever the journal's filter: a listed call is always saved.
        try {
            if (call->Incoming) {
                const QVariantList row = FIn->rowByKey(call->CallId);
                if (!row.isEmpty())
                    FIn->UpdateFields(call->CallId, row.at(FIn->schema().fieldIndex(QStringLiteral("Phone"))).toString(),
                                      entries, reminder);
            } else {
                FOut->UpdateFields(call->CallId, entries, reminder);
            }
        } catch (const TTableError &e) {
            QMessageBox::critical(this, windowTitle(), e.message());
        }
        emit Applied(call->Incoming ? 0 : 1);
    }
    ApplyBtn->setEnabled(false);
    SGNumbersInfoSelectCell(FRow);
}

void TFormNumberInfo::OKBtnClick()
{
    if (ApplyBtn->isEnabled())
        ApplyBtnClick();
    closeWindow();
    showReturnForm();
}

void TFormNumberInfo::BitBtnCancelClick()
{
    emit Cancelled();
    closeWindow();
    showReturnForm();
}

void TFormNumberInfo::closeWindow()
{
    ApplyBtn->setEnabled(false);   // what was not applied is lost
    FWasActive = false;
    StopBtnClick();
    hide();
}

void TFormNumberInfo::showReturnForm()
{
    if (FReturnForm) {
        FReturnForm->show();
        FReturnForm->raise();
        FReturnForm->activateWindow();
    }
}

// ---------------------------------------------------------------- dialling and going to the call

void TFormNumberInfo::SpeedButtonDialClick()
{
    const QString number = FNumber;
    closeWindow();
    emit DialRequested(number);
}

void TFormNumberInfo::SpeedButtonGotoCellClick()
{
    const TNumberHistoryRow *call = CurrentCall();
    TCallBook *book = call ? bookOf(*call) : nullptr;
    if (!book || !book->FindCall(call->CallId))
        return;
    const int page = call->Incoming ? 0 : 1;
    closeWindow();
    emit GotoPageRequested(page);
}

// ---------------------------------------------------------------- playback

void TFormNumberInfo::PlayButtonClick()
{
    if (FHoldsPlayer && FPlayer.Mode() == mpPaused) {
        FPlayer.Resume();
        TimerPlayer->start();
        return;
    }
    const TNumberHistoryRow *call = CurrentCall();
    if (!call)
        return;
    const int column = SGNumbersInfo->currentIndex().column();
    QString file;
    if (column == hcMessage && fileExists(call->MessageFileName))
        file = call->MessageFileName;
    else if (fileExists(call->FileName))
        file = call->FileName;
    else if (fileExists(call->MessageFileName))
        file = call->MessageFileName;
    if (file.isEmpty())
        return;
    const TMPModes mode = FPlayer.Mode();
    if ((mode == mpPlaying || mode == mpPaused) && FPlayer.FileName() != file)
        FSound.StopSound();
    if (!FHoldsPlayer) {
        FSound.HoldPlayer(true);
        FHoldsPlayer = true;
    }
    if (!FSound.PlayFile(file)) {
        FSound.HoldPlayer(false);
        FHoldsPlayer = false;
        return;
    }
    FPlayedFile = file;
    TimerPlayerTimer();
    TimerPlayer->start();
}

void TFormNumberInfo::PauseBtnClick()
{
    if (FHoldsPlayer && FPlayer.Mode() == mpPlaying)
        FPlayer.Pause();
}

void TFormNumberInfo::StopBtnClick()
{
    if (!FHoldsPlayer)
        return;
    FSound.StopSound();
    TimerPlayerTimer();
}

void TFormNumberInfo::TimerPlayerTimer()
{
    const TMPModes mode = FPlayer.Mode();
    if (FHoldsPlayer && (mode == mpPlaying || mode == mpPaused)) {
        LabelRestTime->setText(TJournalRules::RestTimeText(FPlayer.Length(), FPlayer.Position()));
        return;
    }
    LabelRestTime->clear();
    TimerPlayer->stop();
    if (FHoldsPlayer) {
        FSound.HoldPlayer(false);
        FHoldsPlayer = false;
    }
}

// ---------------------------------------------------------------- focus and input

bool TFormNumberInfo::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        FWasActive = true;
    else if (e->type() == QEvent::WindowDeactivate && FWasActive && isVisible())
        closeWindow();   // another window got the focus
    return QWidget::event(e);
}

bool TFormNumberInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SGNumbersInfo->viewport() || watched == SGNumbersInfo) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // While changes wait for "&Применить" the selection stays.
            if (locked())
                return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
            break;
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (locked() && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
                             || key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End))
                return true;
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormNumberInfo::SetOfficeHistory(TOfficeHistory *History)
{
    delete OfficeHistory;
    OfficeHistory = History ? TOfficeHistoryList::InsertBelow(History, SGNumbersInfo) : nullptr;
}
