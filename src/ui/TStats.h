#pragma once
// The statistics window: the incoming and the outgoing journal counted by
// number and by each information field within the statistics period, one
// sortable list per grouping, a chart tab per journal, and the text export.
#include "search/TStatsList.h"
#include "common/PhoneTypes.h"
#include <QWidget>
#include <array>
#include <functional>

class QAction;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class TConfig;
class TRecordTable;
class TStatsChart;
class TStatsConfig;

class TStats : public QWidget {
    Q_OBJECT
public:
    TStats(TRecordTable *InCalls, TRecordTable *OutCalls, TConfig &Config, TStatsConfig *StatsConfig,
           QWidget *parent = nullptr);

    // Recomputes every shown grouping and both charts; the caption follows the period.
    void RefreshStats();
    // Writes the export to FileName (asking first when it exists); false when nothing was written.
    bool ExportTo(const QString &FileName);
    void ExportStatsToTextClick();
    // The number window opens from TB_Info once something receives NumberInfoWanted.
    void SetNumberInfoReady(bool Ready);
    void InfoClick();

    // The caption of the main window, written first in the export.
    void SetMainCaption(const QString &Caption) { FMainCaption = Caption; }
    // The question before a file is overwritten (OK / Cancel); tests answer it.
    std::function<bool(const QString &Question)> ConfirmOverwrite;

    // side 0 incoming, 1 outgoing; index 0 "Телефон", 1..7 the fields.
    const TStatsList &List(int Side, int Index) const { return FLists[size_t(Side)][size_t(Index)]; }
    QTreeWidget *ListView(int Side, int Index) const { return FViews[size_t(Side)][size_t(Index)]; }
    TStatsChart *Chart(int Side) const { return FCharts[size_t(Side)]; }
    QTabWidget *Pages() const { return FPages; }
    QTabWidget *Tabs(int Side) const { return FTabs[size_t(Side)]; }
    QAction *InfoAction() const { return TB_Info; }
    // Sorts a list as a click on its column title does.
    void SortColumn(int Side, int Index, int Column);

signals:
    void NumberInfoWanted(const QString &Phone, TCallKind Kind);

private:
    void fillView(int Side, int Index);
    void refreshSide(int Side);
    void updateInfoButton();
    QString fieldName(int Side, int Index) const;

    TRecordTable *FTables[2];
    TConfig &FConfig;
    TStatsConfig *FStatsConfig;
    QString FMainCaption;
    bool FNumberInfoReady = false;
    QToolBar *FToolBar = nullptr;
    QAction *RefreshBtn = nullptr;
    QAction *StatsConfigBtn = nullptr;
    QAction *ExportStatsToText = nullptr;
    QAction *TB_Info = nullptr;
    QTabWidget *FPages = nullptr;
    std::array<QTabWidget *, 2> FTabs{};
    std::array<std::array<TStatsList, 8>, 2> FLists;
    std::array<std::array<QTreeWidget *, 8>, 2> FViews{};
    std::array<std::array<bool, 8>, 2> FWidthSet{};
    std::array<TStatsChart *, 2> FCharts{};
};
