#include "TStats.h"
#include "TStatsChart.h"
#include "TStatsConfig.h"
#include "config/TConfig.h"
#include "records/TRecordTable.h"
#include "search/TCallStatistics.h"
#include "search/TStatsExport.h"
#include <QAction>
#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString Fields[8] = {QStringLiteral("Phone"),   QStringLiteral("Field_1"), QStringLiteral("Field_2"),
                           QStringLiteral("Field_3"), QStringLiteral("Field_4"), QStringLiteral("Field_5"),
                           QStringLiteral("Field_6"), QStringLiteral("Field_7")};
}

TStats::TStats(TRecordTable *InCalls, TRecordTable *OutCalls, TConfig &Config, TStatsConfig *StatsConfig,
               QWidget *parent)
    : QWidget(parent, Qt::Window), FTables{InCalls, OutCalls}, FConfig(Config), FStatsConfig(StatsConfig)
{
    setObjectName(QStringLiteral("Stats"));
    setWindowTitle(QStringLiteral("Статистика. ") + DescribePeriod(StatsConfig ? StatsConfig->Period() : TPeriod()));
    ConfirmOverwrite = [this](const QString &q) {
        return QMessageBox::question(this, windowTitle(), q, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    auto *layout = new QVBoxLayout(this);
    FToolBar = new QToolBar(QStringLiteral("Инструменты статистики"), this);
    FToolBar->setObjectName(QStringLiteral("ToolBar1"));
    FToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto action = [this](const QString &name, const QString &text, const QString &hint) {
        QAction *a = FToolBar->addAction(text);
        a->setObjectName(name);
        a->setToolTip(hint);
        return a;
    };
    RefreshBtn = action(QStringLiteral("RefreshBtn"), QStringLiteral("Обновить"), QStringLiteral("Обновить представление"));
    StatsConfigBtn = action(QStringLiteral("StatsConfigBtn"), QStringLiteral("Параметры"),
                            QStringLiteral("Параметры статистики"));
    ExportStatsToText = action(QStringLiteral("ExportStatsToText"), QStringLiteral("Экспорт"),
                               QStringLiteral("Экспорт статистики в тестовый файл"));
    TB_Info = action(QStringLiteral("TB_Info"), QStringLiteral("Информация"), QStringLiteral("Информация о номере"));
    TB_Info->setEnabled(false);
    layout->addWidget(FToolBar);
    connect(RefreshBtn, &QAction::triggered, this, &TStats::RefreshStats);
    connect(StatsConfigBtn, &QAction::triggered, this, [this] {
        if (FStatsConfig)
            FStatsConfig->exec();
    });
    connect(ExportStatsToText, &QAction::triggered, this, &TStats::ExportStatsToTextClick);
    connect(TB_Info, &QAction::triggered, this, &TStats::InfoClick);

    FPages = new QTabWidget(this);
    FPages->setObjectName(QStringLiteral("PageControl1"));
    for (int side = 0; side < 2; ++side) {
        const QString x = side == 0 ? QStringLiteral("In") : QStringLiteral("Out");
        auto *tabs = new QTabWidget;
        tabs->setObjectName(x + QStringLiteral("Tabs"));
        FTabs[size_t(side)] = tabs;
        for (int i = 0; i < 8; ++i) {
            auto *view = new QTreeWidget;
            view->setObjectName(x + (i == 0 ? QStringLiteral("PhoneList") : QStringLiteral("F%1List").arg(i)));
            view->setRootIsDecorated(false);
            view->setAlternatingRowColors(false);
            view->setSelectionBehavior(QAbstractItemView::SelectRows);
            view->setUniformRowHeights(true);
            view->header()->setSectionsClickable(true);
            view->header()->setStretchLastSection(false);
            view->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                               "border-bottom: 1px solid #d0d0d0; }"));
            FViews[size_t(side)][size_t(i)] = view;
            connect(view->header(), &QHeaderView::sectionClicked, this,
                    [this, side, i](int column) { SortColumn(side, i, column); });
            connect(view, &QTreeWidget::currentItemChanged, this, &TStats::updateInfoButton);
            auto *sheet = new QWidget;
            sheet->setObjectName(x + (i == 0 ? QStringLiteral("PhoneSheet") : QStringLiteral("F%1Sheet").arg(i)));
            auto *sl = new QVBoxLayout(sheet);
            sl->setContentsMargins(0, 0, 0, 0);
            sl->addWidget(view);
            tabs->addTab(sheet, fieldName(side, i));
        }
        FCharts[size_t(side)] = new TStatsChart(side == 0 ? QStringLiteral("Входящие") : QStringLiteral("Исходящие"));
        FCharts[size_t(side)]->setObjectName(x + QStringLiteral("ChartSheet"));
        tabs->addTab(FCharts[size_t(side)], QStringLiteral("График"));
        connect(tabs, &QTabWidget::currentChanged, this, &TStats::updateInfoButton);
        FPages->addTab(tabs, side == 0 ? QStringLiteral("Входящие") : QStringLiteral("Исходящие"));
    }
    connect(FPages, &QTabWidget::currentChanged, this, &TStats::updateInfoButton);
    layout->addWidget(FPages, 1);
    if (FStatsConfig)
        connect(FStatsConfig, &TStatsConfig::Applied, this, &TStats::RefreshStats);
    resize(720, 560);
    updateInfoButton();
}

QString TStats::fieldName(int Side, int Index) const
{
    if (Index == 0)
        return QStringLiteral("Телефон");
    return (Side == 0 ? FConfig.InField : FConfig.OutField)[size_t(Index)];
}

void TStats::RefreshStats()
{
    const TPeriod period = FStatsConfig ? FStatsConfig->Period() : TPeriod();
    setWindowTitle(QStringLiteral("Статистика. ") + DescribePeriod(period));
    refreshSide(0);
    refreshSide(1);
    updateInfoButton();
}

void TStats::refreshSide(int Side)
{
    const TPeriod period = FStatsConfig ? FStatsConfig->Period() : TPeriod();
    TRecordTable *table = FTables[size_t(Side)];
    const bool in = Side == 0;
    QTabWidget *tabs = FTabs[size_t(Side)];
    QList<int> shown;
    QStringList fields;
    for (int i = 0; i < 8; ++i) {
        const bool on = i == 0 ? (in ? FConfig.InPhone : FConfig.OutPhone)
                               : (in ? FConfig.InF : FConfig.OutF)[size_t(i)];
        tabs->setTabVisible(i, on);
        if (!on)
            continue;
        tabs->setTabText(i, fieldName(Side, i));
        shown << i;
        fields << Fields[i];
    }
    // Every shown grouping of the journal from one pass over its rows.
    const QList<TStatResults> results = TCallStatistics::CollectAll(*table, fields, period);
    for (qsizetype k = 0; k < shown.size(); ++k) {
        const int i = shown[k];
        FLists[size_t(Side)][size_t(i)].Fill(results[k], fieldName(Side, i), i == 0);
        fillView(Side, i);
    }
    FCharts[size_t(Side)]->ShowData(TCallStatistics::CollectChart(*table, period));
}

void TStats::fillView(int Side, int Index)
{
    const TStatsList &list = FLists[size_t(Side)][size_t(Index)];
    QTreeWidget *view = FViews[size_t(Side)][size_t(Index)];
    view->setUpdatesEnabled(false);
    view->clear();
    const QStringList captions = list.Captions();
    view->setColumnCount(int(captions.size()));
    view->setHeaderLabels(captions);
    for (int c = 1; c < captions.size(); ++c)
        view->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    QList<QTreeWidgetItem *> items;
    items.reserve(list.Rows().size());
    for (const TStatRow &r : list.Rows()) {
        QStringList texts{r.Key, r.CountText()};
        if (list.PhoneList())
            texts << r.LengthText();
        auto *item = new QTreeWidgetItem(texts);
        for (int c = 1; c < texts.size(); ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    view->addTopLevelItems(items);
    // Columns made for the first time: their caption's width and 40 pixels; column 0 fits itself.
    if (!FWidthSet[size_t(Side)][size_t(Index)]) {
        const QFontMetrics fm(view->header()->font());
        for (int c = 1; c < captions.size(); ++c)
            view->setColumnWidth(c, fm.horizontalAdvance(captions[c]) + 40);
        FWidthSet[size_t(Side)][size_t(Index)] = true;
    }
    view->resizeColumnToContents(0);
    view->setUpdatesEnabled(true);
}

void TStats::SortColumn(int Side, int Index, int Column)
{
    FLists[size_t(Side)][size_t(Index)].SortByColumn(Column);
    fillView(Side, Index);
}

void TStats::SetNumberInfoReady(bool Ready)
{
    FNumberInfoReady = Ready;
    updateInfoButton();
}

void TStats::updateInfoButton()
{
    const int side = FPages->currentIndex();
    const bool phoneTab = side >= 0 && FTabs[size_t(side)]->currentIndex() == 0;
    TB_Info->setVisible(phoneTab);
    TB_Info->setEnabled(phoneTab && FNumberInfoReady);
}

void TStats::InfoClick()
{
    const int side = FPages->currentIndex();
    if (!FNumberInfoReady || side < 0 || FTabs[size_t(side)]->currentIndex() != 0)
        return;
    QTreeWidgetItem *item = FViews[size_t(side)][0]->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString phone = item->text(0);
    close();
    emit NumberInfoWanted(phone, side == 0 ? ckIncoming : ckOutgoing);
}

bool TStats::ExportTo(const QString &FileName)
{
    if (QFileInfo::exists(FileName)
        && !(ConfirmOverwrite && ConfirmOverwrite(QStringLiteral("Файл ") + FileName
                                                  + QStringLiteral(" существует. Перезаписать его?"))))
        return false;
    QList<const TStatsList *> in, out;
    for (int i = 0; i < 8; ++i) {
        if (FTabs[0]->isTabVisible(i))
            in << &FLists[0][size_t(i)];
        if (FTabs[1]->isTabVisible(i))
            out << &FLists[1][size_t(i)];
    }
    const QStringList lines = TStatsExport::BuildLines(FMainCaption, windowTitle(), QDate::currentDate(), in, out);
    QString error;
    if (!TStatsExport::Write(FileName, TStatsExport::Encode(lines), &error)) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Не удалось записать файл ") + FileName + QStringLiteral("\n") + error);
        return false;
    }
    return true;
}

void TStats::ExportStatsToTextClick()
{
    QFileDialog dlg(this, QStringLiteral("Экспорт списка звонков"), windowTitle(),
                    QStringLiteral("Текстовые файлы (*.txt)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("txt"));
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    dlg.selectFile(windowTitle());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    ExportTo(dlg.selectedFiles().first());
}
