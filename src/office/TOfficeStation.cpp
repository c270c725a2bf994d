#include "TOfficeStation.h"
#include "TOfficeHistory.h"
#include "TOfficeLink.h"
#include "TOfficeStatusLabel.h"
#include "TOfficeSync.h"
#include "config/TOfficeSettings.h"
#include "records/TTableError.h"
#include <QStatusBar>

TOfficeStation::TOfficeStation(TRecordTable &Book, TRecordTable &InCalls, TRecordTable &OutCalls,
                               QStatusBar *StatusBar, QString DataPath)
    : FBook(Book), FIn(InCalls), FOut(OutCalls), FStatusBar(StatusBar), FDataPath(std::move(DataPath))
{
}

TOfficeStation::~TOfficeStation() = default;

void TOfficeStation::AddHistoryView(std::function<void(TOfficeHistory *)> Attach)
{
    FViews.push_back(std::move(Attach));
}

void TOfficeStation::stop()
{
    for (const auto &attach : FViews)
        attach(nullptr);
    FHistories.clear();
    delete FStatus;
    FStatus = nullptr;
    FLink.reset();
}

void TOfficeStation::Apply(const TOfficeSettings &o)
{
    const QString key = o.Enabled() ? o.Database + QLatin1Char('\n') + o.WorkstationName() : QString();
    if (!FStatus && key.isEmpty() && FRunning.isEmpty()) {
        // No office: triggers left by an earlier one stop queueing.
        try {
            TOfficeSync::Uninstall(FDataPath);
        } catch (const TTableError &) {
        }
    }
    if (FStatus && key == FRunning)
        return;
    FRunning = key;
    stop();
    if (key.isEmpty())
        return;
    FLink = std::make_unique<TOfficeLink>();
    FLink->Attach(FBook, FIn, FOut);
    try {
        FLink->Start(o.Database, o.WorkstationName(), FDataPath);
    } catch (const TTableError &) {
        FLink.reset();
        return;
    }
    FStatus = new TOfficeStatusLabel(FLink.get(), FStatusBar);
    FStatusBar->addPermanentWidget(FStatus);
    for (const auto &attach : FViews) {
        FHistories.push_back(std::make_unique<TOfficeHistory>(o.Database, o.WorkstationName()));
        attach(FHistories.back().get());
    }
}
