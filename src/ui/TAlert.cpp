#include "TAlert.h"
#include "TFieldGrid.h"
#include "TJournalGridDelegate.h"
#include "common/TScreenWaker.h"
#include "config/TConfig.h"
#include "records/TIncomingCallBook.h"
#include "office/TOfficeHistoryList.h"
#include "records/TNumberHistory.h"
#include "records/TOutgoingCallBook.h"
#include "records/TTableError.h"
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

const QString TAlert::NotYetKnown = QStringLiteral("пока не определен");
const QString TAlert::NotKnown = QStringLiteral("не определен");

namespace {
const QColor Cream(255, 251, 240);
constexpr int IconRole = Qt::UserRole + 2;   // 1 incoming, 2 outgoing on the direction cell

QFont arial(int pixels, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFrame *whiteFrame(QWidget *parent, const QString &name)
{
    auto *f = new QFrame(parent);
    f->setObjectName(name);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, Qt::white);
    f->setPalette(pal);
    return f;
}
}

// The history rows; texts are made only for the cells drawn. Without calls it
// shows one empty row.
class TAlert::THistoryModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QList<TNumberHistoryRow> rows)
    {
        beginResetModel();
        FRows = std::move(rows);
        endResetModel();
    }
    const TNumberHistoryRow *row(int r) const { return r >= 0 && r < int(FRows.size()) ? &FRows[r] : nullptr; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : std::max(1, int(FRows.size()));
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }
    Qt::ItemFlags flags(const QModelIndex &) const override { return Qt::ItemIsEnabled | Qt::ItemIsSelectable; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles{QString(), QStringLiteral("Время"), QStringLiteral("Продолжительность"),
                                        QStringLiteral("Направление"), QStringLiteral("Атрибуты"), QString(), QString()};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return titles.at(section);
        return QVariant();
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const int column = index.column();
        if (column == hcIndex) {
            if (role == Qt::DisplayRole)
                return QString::number(index.row() + 1);
            if (role == Qt::BackgroundRole)
                return QBrush(Cream);
        }
        const TNumberHistoryRow *r = row(index.row());
        if (!r)
            return QVariant();
        if (role == Qt::TextAlignmentRole && (column == hcTime || column == hcLength))
            return int(Qt::AlignLeft | Qt::AlignTop);
        switch (column) {
        case hcIndex:
            return role == ValueRole ? QVariant(r->CallId) : QVariant();
        case hcTime:
            if (role == Qt::DisplayRole) {
                const TDateTime t(r->Time);
                return t.toShortDateString() + QLatin1Char(' ') + t.toLongTimeString();
            }
            return role == ValueRole ? QVariant(r->Days) : QVariant();
        case hcLength:
            if (role == Qt::DisplayRole)
                return TDateTime(r->Length).toLongTimeString();
            return role == ValueRole ? QVariant(r->Micro) : QVariant();
        case hcDirection:
            if (role == Qt::DisplayRole)
                return r->Incoming ? QStringLiteral("in") : QStringLiteral("out");
            return role == IconRole ? QVariant(r->Incoming ? 1 : 2) : QVariant();
        case hcAttributes:
            if (role == ValueRole)
                return r->Value;
            return role == IconRole ? QVariant(!r->FileName.isEmpty() || !r->MessageFileName.isEmpty()) : QVariant();
        case hcFileName:
            return role == Qt::DisplayRole ? QVariant(r->FileName) : QVariant();
        case hcMessageFileName:
            return role == Qt::DisplayRole ? QVariant(r->MessageFileName) : QVariant();
        default:
            return QVariant();
        }
    }

private:
    QList<TNumberHistoryRow> FRows;
};

// Draws the direction as the journal page's picture and the attributes as the
// journal grid's icons, when the pictures were given.
class TAlert::THistoryDelegate : public QStyledItemDelegate {
public:
    THistoryDelegate(const QList<QIcon> &grid, const QIcon &in, const QIcon &out, QObject *parent)
        : QStyledItemDelegate(parent), FGrid(grid), FIn(in), FOut(out) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int column = index.column();
        if (column == hcDirection) {
            const int kind = index.data(IconRole).toInt();
            const QIcon &icon = kind == 1 ? FIn : FOut;
            if (kind != 0 && !icon.isNull()) {
                paintBackground(p, option);
                const int s = qMin(16, option.rect.height() - 2);
                icon.paint(p, QRect(option.rect.left() + 2, option.rect.top() + (option.rect.height() - s) / 2, s, s));
                return;
            }
        } else if (column == hcAttributes && FGrid.size() > 10) {
            paintBackground(p, option);
            const QVariant v = index.data(ValueRole);
            const int s = qMin(16, option.rect.height() - 2);
            const int y = option.rect.top() + (option.rect.height() - s) / 2;
            int x = option.rect.left() + 2;
            if (v.isValid())
                TJournalGridDelegate::PaintCallPlace(p, QRect(x, y, s, s), v.toInt(), FGrid);
            if (index.data(IconRole).toBool())
                FGrid[0].paint(p, QRect(option.rect.left() + 50, y, s, s));
            return;
        }
        QStyledItemDelegate::paint(p, option, index);
    }

private:
    static void paintBackground(QPainter *p, const QStyleOptionViewItem &option)
    {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, selected ? option.palette.highlight() : QBrush(Qt::white));
    }

    const QList<QIcon> &FGrid;
    const QIcon &FIn;
    const QIcon &FOut;
};

TAlert::TAlert(TIncomingCallBook *In, TOutgoingCallBook *Out, const TConfig *Config, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), FIn(In), FOut(Out), FConfig(Config)
{
    setObjectName(QStringLiteral("Alert"));
    setWindowTitle(QStringLiteral("Внимание! Входящий звонок"));
    FFlashTimer = new QTimer(this);
    FFlashTimer->setObjectName(QStringLiteral("FlashTimer"));
    FFlashTimer->setInterval(1000);
    FStopTimer = new QTimer(this);
    FStopTimer->setObjectName(QStringLiteral("StopTimer"));
    FStopTimer->setInterval(5000);
    FNumTimer = new QTimer(this);
    FNumTimer->setObjectName(QStringLiteral("NumTimer"));
    FNumTimer->setInterval(1000);
    connect(FFlashTimer, &QTimer::timeout, this, &TAlert::FlashTimerTimer);
    connect(FStopTimer, &QTimer::timeout, this, &TAlert::StopTimerTimer);
    connect(FNumTimer, &QTimer::timeout, this, &TAlert::NumTimerTimer);
    buildLayout();
    ShowCaller(QString(), QString(), QString(), QString());
}

TAlert::~TAlert() = default;

void TAlert::buildLayout()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setAutoFillBackground(true);
    LabelPhone = new QLabel(GroupBox2);
    LabelPhone->setObjectName(QStringLiteral("LabelPhone"));
    LabelPhone->setFont(arial(16, true));
    auto *top = new QHBoxLayout(GroupBox2);
    top->addWidget(LabelPhone);
    root->addWidget(GroupBox2);

    auto *middle = new QHBoxLayout;
    middle->setSpacing(0);
    Panel1 = whiteFrame(this, QStringLiteral("Panel1"));
    Panel1->setMinimumWidth(33);
    Panel2 = whiteFrame(this, QStringLiteral("Panel2"));
    Panel2->setMinimumWidth(33);
    PanelInfo = whiteFrame(this, QStringLiteral("PanelInfo"));
    middle->addWidget(Panel1);
    middle->addWidget(PanelInfo, 1);
    middle->addWidget(Panel2);
    root->addLayout(middle, 1);

    auto *info = new QVBoxLayout(PanelInfo);
    FPanelInfoCaption = new QLabel(PanelInfo);
    FPanelInfoCaption->setObjectName(QStringLiteral("PanelInfoCaption"));
    FPanelInfoCaption->setFont(arial(24, true));
    FPanelInfoCaption->setAlignment(Qt::AlignCenter);
    QPalette red = FPanelInfoCaption->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    FPanelInfoCaption->setPalette(red);
    info->addWidget(FPanelInfoCaption, 1);

    PanelNames = whiteFrame(PanelInfo, QStringLiteral("PanelNames"));
    auto *names = new QGridLayout(PanelNames);
    names->addWidget(new QLabel(QStringLiteral("Имя:"), PanelNames), 0, 0);
    LabelName = new QLabel(PanelNames);
    LabelName->setObjectName(QStringLiteral("LabelName"));
    names->addWidget(LabelName, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("Адрес:"), PanelNames), 1, 0);
    LabelAddress = new QLabel(PanelNames);
    LabelAddress->setObjectName(QStringLiteral("LabelAddress"));
    names->addWidget(LabelAddress, 1, 1);
    names->setColumnStretch(1, 1);
    auto *notesBox = new QGroupBox(QStringLiteral(" Заметки "), PanelNames);
    auto *notesLayout = new QVBoxLayout(notesBox);
    NotesEdit = new QPlainTextEdit(notesBox);
    NotesEdit->setObjectName(QStringLiteral("NotesEdit"));
    NotesEdit->setReadOnly(true);
    NotesEdit->setMaximumHeight(80);
    notesLayout->addWidget(NotesEdit);
    names->addWidget(notesBox, 2, 0, 1, 2);
    info->addWidget(PanelNames);

    SGNumbersInfo = new QTableView(PanelInfo);
    SGNumbersInfo->setObjectName(QStringLiteral("SGNumbersInfo"));
    FHistory = new THistoryModel(SGNumbersInfo);
    SGNumbersInfo->setModel(FHistory);
    SGNumbersInfo->verticalHeader()->hide();
    SGNumbersInfo->verticalHeader()->setDefaultSectionSize(20);
    SGNumbersInfo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGNumbersInfo->setColumnWidth(hcIndex, 25);
    SGNumbersInfo->setColumnWidth(hcTime, 143);
    SGNumbersInfo->setColumnWidth(hcLength, 133);
    SGNumbersInfo->setColumnWidth(hcDirection, 140);
    SGNumbersInfo->setColumnHidden(hcFileName, true);
    SGNumbersInfo->setColumnHidden(hcMessageFileName, true);
    SGNumbersInfo->horizontalHeader()->setStretchLastSection(true);
    SGNumbersInfo->horizontalHeader()->setSectionsClickable(false);
    SGNumbersInfo->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: #FFFBF0; }"));
    SGNumbersInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGNumbersInfo->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGNumbersInfo->setSelectionMode(QAbstractItemView::SingleSelection);
    SGNumbersInfo->setItemDelegate(new THistoryDelegate(FGridImages, FInPage, FOutPage, SGNumbersInfo));
    connect(SGNumbersInfo->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    SGNumbersInfoSelectCell(current.row());
            });
    info->addWidget(SGNumbersInfo, 1);

    PanelFields = whiteFrame(PanelInfo, QStringLiteral("PanelFields"));
    PanelFields->setFixedHeight(150);
    auto *fields = new QVBoxLayout(PanelFields);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(new QLabel(QStringLiteral(" Информационные поля"), PanelFields));
    SGFields = new QTableWidget(7, 2, PanelFields);
    SGFields->setObjectName(QStringLiteral("SGFields"));
    SGFields->horizontalHeader()->hide();
    SGFields->verticalHeader()->hide();
    SGFields->horizontalHeader()->setStretchLastSection(true);
    SGFields->setColumnWidth(0, 300);
    SGFields->verticalHeader()->setMinimumSectionSize(10);
    SGFields->verticalHeader()->setDefaultSectionSize(17);
    SGFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGFields->setEnabled(false);
    fields->addWidget(SGFields, 1);
    info->addWidget(PanelFields);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setAutoFillBackground(true);
    auto *bottom = new QHBoxLayout(GroupBox1);
    bottom->setContentsMargins(8, 4, 8, 4);
    BitBtn1 = new QPushButton(QStringLiteral("&OK"), GroupBox1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ShowInputFormBtn = new QPushButton(QStringLiteral("&Параметры"), GroupBox1);
    ShowInputFormBtn->setObjectName(QStringLiteral("ShowInputFormBtn"));
    ShowInputFormBtn->setEnabled(false);   // until there is an editor to open
    // OK centred: a balancing spacer as wide as the right-hand button.
    bottom->addSpacing(ShowInputFormBtn->sizeHint().width());
    bottom->addStretch(1);
    bottom->addWidget(BitBtn1);
    bottom->addStretch(1);
    bottom->addWidget(ShowInputFormBtn);
    root->addWidget(GroupBox1);
    connect(BitBtn1, &QPushButton::clicked, this, &TAlert::BitBtn1Click);
    connect(ShowInputFormBtn, &QPushButton::clicked, this, &TAlert::ShowInputFormBtnClick);

    setStripColor(Qt::white);
}

void TAlert::SetImages(const QList<QIcon> &GridImages, const QIcon &InPage, const QIcon &OutPage)
{
    FGridImages = GridImages;
    FInPage = InPage;
    FOutPage = OutPage;
    SGNumbersInfo->viewport()->update();
}

QString TAlert::PanelInfoCaption() const
{
    return FPanelInfoCaption->text();
}

int TAlert::HistoryRowCount() const
{
    return FHistory->rowCount();
}

void TAlert::setPanelInfoCaption(const QString &text)
{
    FPanelInfoCaption->setText(text);
    FPanelInfoCaption->setVisible(!text.isEmpty());
}

void TAlert::ShowCaller(const QString &Number, const QString &Name, const QString &Notes, const QString &Address)
{
    if (FHasNumber && Number == FNumber)
        return;
    FHasNumber = true;
    FNumber = Number;
    FName = Name;
    FNotes = Notes;
    FAddress = Address;
    LabelName->setText(Name);
    LabelAddress->setText(Address);
    NotesEdit->setPlainText(Notes);

    const bool known = !Number.isEmpty() && Number != NotYetKnown && Number != NotKnown;
    SGNumbersInfo->setVisible(known);
    if (OfficeHistory)
        OfficeHistory->setVisible(known);
    PanelFields->setVisible(known);
    PanelNames->setVisible(known);
    if (known) {
        setPanelInfoCaption(QString());
        LabelPhone->setText(QStringLiteral("Номер  ") + Number);
        fillHistory();
        if (OfficeHistory)
            OfficeHistory->ShowNumber(Number);
    } else {
        setPanelInfoCaption(QStringLiteral("Входящий звонок"));
        LabelPhone->setText(QStringLiteral("Номер ") + Number);
    }
}

void TAlert::SetOfficeHistory(TOfficeHistory *History)
{
    delete OfficeHistory;
    OfficeHistory = nullptr;
    if (!History)
        return;
    OfficeHistory = new TOfficeHistoryList(History, PanelInfo);
    OfficeHistory->setMaximumHeight(110);
    auto *box = qobject_cast<QBoxLayout *>(PanelInfo->layout());
    box->insertWidget(box->indexOf(SGNumbersInfo) + 1, OfficeHistory);
}

void TAlert::fillHistory()
{
    FHistory->setRows(TNumberHistory::Load(FIn, FOut, FNumber));
    {
        const QSignalBlocker blocker(SGNumbersInfo->selectionModel());
        SGNumbersInfo->setCurrentIndex(FHistory->index(0, hcTime));
    }
    SGNumbersInfoSelectCell(0);
}

// The value cells carry their field's number under the role the history uses for its values.
static_assert(TAlert::ValueRole == FieldNumberRole);

void TAlert::fillFieldCaptions(bool Incoming)
{
    FillFieldGrid(SGFields, Incoming ? 0 : 1, true, FConfig);
    for (int r = 0; r < SGFields->rowCount(); ++r)
        if (QTableWidgetItem *caption = SGFields->item(r, 0))
            caption->setBackground(Cream);
    SGFields->setEnabled(false);
}

void TAlert::SGNumbersInfoSelectCell(int Row)
{
    if (Row < 0 || Row >= FHistory->rowCount())
        return;
    const TNumberHistoryRow *r = FHistory->row(Row);
    const bool incoming = !r || r->Incoming;
    fillFieldCaptions(incoming);
    TCallBook *book = incoming ? static_cast<TCallBook *>(FIn) : static_cast<TCallBook *>(FOut);
    if (!r || !book)
        return;
    // By key, whatever the filter; the journal's current row does not move.
    QVariantList row;
    try {
        row = book->rowByKey(r->CallId);
    } catch (const TTableError &) {
    }
    if (row.isEmpty())
        return;
    const int field1 = book->schema().fieldIndex(QStringLiteral("Field_1"));
    for (int n = 0; n < 7 && field1 + n < row.size(); ++n)
        SGFields->item(n, 1)->setText(row.at(field1 + n).toString());
}

void TAlert::StartNumberTimeout()
{
    FNumTimer->start();
}

void TAlert::NumTimerTimer()
{
    FNumTimer->stop();
    if (FHasNumber && FNumber == NotYetKnown) {
        FNumber = NotKnown;
        LabelPhone->setText(QStringLiteral("Номер ") + NotKnown);
    }
}

void TAlert::setStripColor(const QColor &color)
{
    for (QWidget *w : {static_cast<QWidget *>(GroupBox1), static_cast<QWidget *>(GroupBox2),
                       static_cast<QWidget *>(Panel1), static_cast<QWidget *>(Panel2)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, color);
        w->setPalette(pal);
    }
}

void TAlert::FlashTimerTimer()
{
    FBlue = !FBlue;
    setStripColor(FBlue ? QColor(Qt::blue) : QColor(Qt::white));
}

void TAlert::StopTimerTimer()
{
    FFlashTimer->stop();
    FStopTimer->stop();
    FBlue = false;
    setStripColor(Qt::white);
}

void TAlert::BitBtn1Click()
{
    if (OnStopRing)
        OnStopRing();
    close();
}

void TAlert::SetShowInputForm(std::function<void(const QString &Number)> ShowInputForm)
{
    FShowInputForm = std::move(ShowInputForm);
    ShowInputFormBtn->setEnabled(bool(FShowInputForm));
}

void TAlert::ShowInputFormBtnClick()
{
    const bool known = !FNumber.isEmpty() && FNumber != NotYetKnown && FNumber != NotKnown;
    if (FShowInputForm)
        FShowInputForm(known ? FNumber : QStringLiteral("?"));
}

void TAlert::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen *s = screen()) {
        const QRect g = s->geometry();
        resize(g.width() * 75 / 100, g.height() * 75 / 100);
        move(g.center() - rect().center());
    }
    FBlue = false;
    setStripColor(Qt::white);
    FFlashTimer->start();
    FStopTimer->start();
    // An incoming call must be seen on a blanked screen too.
    TScreenWaker::WakeScreen();
}

void TAlert::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    // The next ShowCaller fills the window anew, even for the same number.
    FHasNumber = false;
    FNumber.clear();
    FNumTimer->stop();
    StopTimerTimer();
}

void TAlert::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
