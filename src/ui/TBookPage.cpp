#include "TBookPage.h"
#include "IPageHost.h"
#include "TFormMessage.h"
#include "TJournalGridColumns.h"
#include "TJournalGridDelegate.h"
#include "TJournalRules.h"
#include "TRecordPlayback.h"
#include "TToolButton.h"
#include "config/TConfig.h"
#include "records/TRecordTable.h"
#include "records/TRecordTableModel.h"
#include "records/TTableError.h"
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

const QString TBookPage::DeleteCaption = QStringLiteral("Подтверждение удаления");
const QString TBookPage::Forbidden = QStringLiteral("Операция запрещена");

TBookPage::TBookPage(TBookKind Kind, TRecordTable *Table, TConfig &Config, IPageHost &Host, TFormMessage *Messages,
                     QWidget *parent)
    : QWidget(parent), FKind(Kind), FTable(Table), FConfig(Config), FHost(Host), FMessages(Messages)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    FToolBar = new QToolBar(this);
    FToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(FToolBar);
    // The current rows drive the commands.
    connect(FTable, &TRecordTable::currentChanged, this, &TBookPage::CurrentRowChanged);
    connect(FTable, &TRecordTable::changed, this, &TBookPage::CurrentRowChanged);
    // Night hours and the like: the cells are drawn again.
    connect(&FConfig, &TConfig::SettingsApplied, this, [this] {
        if (FGrid)
            FGrid->viewport()->update();
    });
}

QToolButton *TBookPage::AddButton(const QString &Name, const QString &Text, const QString &Hint)
{
    auto *b = new TToolButton(FToolBar, Name, Text, Hint);
    b->setEnabled(false);
    FToolBar->addWidget(b);
    return b;
}

void TBookPage::SetButtonVisible(QToolButton *Button, bool Visible)
{
    for (QAction *a : FToolBar->actions())
        if (FToolBar->widgetForAction(a) == Button) {
            a->setVisible(Visible);
            return;
        }
    Button->setVisible(Visible);
}

TJournalGridColumns *TBookPage::Columns() const
{
    return static_cast<TJournalGridColumns *>(FGrid->model());
}

void TBookPage::BuildGrid(const QList<QPair<QString, QString>> &Columns, const QString &ExtraColumn)
{
    FGrid = new QTableView(this);
    static_cast<QVBoxLayout *>(layout())->addWidget(FGrid, 1);
    auto *source = new TRecordTableModel(FTable, FTable);
    auto *model = new TJournalGridColumns(source, FTable->schema(), Columns, ExtraColumn, FGrid);
    FGrid->setModel(model);
    FGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    FGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FGrid->horizontalHeader()->setSectionsClickable(true);
    FGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    FGrid->verticalHeader()->setDefaultSectionSize(20);
    FGrid->verticalHeader()->setFixedWidth(12);
    for (int c = model->shownCount(); c < model->columnCount(); ++c)
        FGrid->setColumnHidden(c, true);
    if (!Columns.isEmpty() && Columns.first().first == QLatin1String("Phone"))
        FGrid->setColumnWidth(0, 80);
    model->setRightAligned({QStringLiteral("Phone"), QStringLiteral("Category")});

    // Cells: night rows of the journals, the icon columns.
    const TConfig *config = &FConfig;
    auto isNight = [config](TDateTime t) { return TJournalRules::IsNightTime(t, config->StartNight, config->EndNight); };
    FGrid->setItemDelegate(new TJournalGridDelegate(
        FKind == bkAddress ? TJournalGridDelegate::gkAddress : TJournalGridDelegate::gkJournal, isNight, FGrid));
    FGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Only the sort column's title is bold: the selected row must not highlight every title.
    FGrid->horizontalHeader()->setHighlightSections(false);
    FGrid->viewport()->installEventFilter(this);
    FGrid->installEventFilter(this);
    FGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FGrid, &QAbstractItemView::doubleClicked, this, [this] { GridDoubleClick(); });

    // The grid's selection and the table's current row follow each other.
    QTableView *grid = FGrid;
    auto selectCurrent = [grid, source] {
        const int row = source->currentRow();
        if (row >= 0 && grid->currentIndex().row() != row)
            grid->selectRow(row);
    };
    connect(FTable, &TRecordTable::currentChanged, grid, selectCurrent);
    connect(model, &QAbstractItemModel::modelReset, grid, selectCurrent, Qt::QueuedConnection);
    TRecordTable *table = FTable;
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, table,
            [table](const QModelIndex &current) {
                if (current.isValid() && table->recNo() != current.row())
                    table->setRecNo(current.row());
            });
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, model](int c) {
        const QString field = model->fieldOf(c);
        // The talk column of a journal sorts nothing.
        if (FKind != bkAddress && field == QLatin1String("FileName"))
            return;
        FTable->SortBy(field);
        FConfig.SetSortField(int(FKind), field);
        UpdateTitleFont();
    });
    selectCurrent();
    UpdateTitleFont();
}

void TBookPage::UpdateTitleFont()
{
    if (FGrid)
        Columns()->setBoldField(FTable->sortField());
}

bool TBookPage::Restricted()
{
    if (!FConfig.yrd)
        return false;
    if (FMessages)
        FMessages->ShowInfo(Forbidden, QString(), window()->windowTitle());
    return true;
}

void TBookPage::GridDoubleClick()
{
    if (FTable->isEmpty())
        return;
    emit DialRequested(FTable->fieldValue(QStringLiteral("Phone")).toString());
}

void TBookPage::DeleteCurrentRow()
{
    if (Restricted() || !FHost.ConfirmDelete(QStringLiteral("Вы действительно хотите удалить запись?")))
        return;
    if (FPlayback)
        FPlayback->CloseFile();
    try {
        if (!FTable->isEmpty()) {
            DeleteRow();
            FGrid->viewport()->update();
        }
    } catch (const TTableError &e) {
        QMessageBox::warning(window(), QApplication::applicationName(), e.message());
    }
    emit CurrentRowChanged();
}

void TBookPage::ClearTable()
{
    if (Restricted() || !FHost.ConfirmDelete(ClearQuestion()))
        return;
    const QString before = FHost.StatusText();
    const QString progress = ClearProgress();
    FHost.ShowStatusNow(progress);
    // The journals' recordings go with their rows: the player lets go of its file first.
    if (FKind != bkAddress && FPlayback)
        FPlayback->CloseFile();
    FTable->disableControls();
    try {
        ClearRows();
    } catch (const TTableError &e) {
        FTable->enableControls();
        FHost.ShowStatusNow(before);
        QMessageBox::warning(window(), QApplication::applicationName(), e.message());
        return;
    }
    FTable->enableControls();
    RowsCleared();
    // The status from the phone state; a state without a text of its own keeps the one before.
    FHost.RefreshLineStatus();
    if (FHost.StatusText() == progress)
        FHost.ShowStatusNow(before);
    emit CurrentRowChanged();
}

bool TBookPage::eventFilter(QObject *watched, QEvent *event)
{
    if (!FGrid || (watched != FGrid && watched != FGrid->viewport()))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel && watched == FGrid->viewport()) {
        // One record per notch: away from the user towards the first row.
        FWheelDelta += static_cast<QWheelEvent *>(event)->angleDelta().y();
        while (FWheelDelta >= 120 || FWheelDelta <= -120) {
            const int step = FWheelDelta > 0 ? -1 : 1;
            FWheelDelta += step * 120;
            const int target = FTable->recNo() + step;
            if (target >= 0 && target < FTable->recordCount())
                FTable->setRecNo(target);
        }
        return true;
    }
    if (event->type() != QEvent::KeyPress || watched != FGrid)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    return GridKey(key->key(), key->text());
}

bool TBookPage::GridKey(int Key, const QString &Text)
{
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        GridDoubleClick();
        return true;
    }
    const QString text = Text.toLower();
    if (text.size() != 1 || !FPlayback)
        return false;
    const QChar c = text.at(0);
    if (c == QLatin1Char('a') || c == QChar(0x0444))          // а / ф
        FPlayback->SkipBackClick();
    else if (c == QLatin1Char('c') || c == QChar(0x0441))     // с
        FPlayback->PauseClick();
    else if (c == QLatin1Char('s') || c == QChar(0x044B))     // ы
        FPlayback->SkipForwardClick();
    else if (c == QLatin1Char('v') || c == QChar(0x043C))     // м
        FPlayback->StopClick();
    else if (c == QLatin1Char('x') || c == QChar(0x0447)) {   // ч
        if (FPlayback->PlayButton()->isEnabled())
            FPlayback->PlayClick();
    } else
        return false;
    return true;
}
