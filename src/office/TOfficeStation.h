#pragma once
// The workstation's side of the office for the main window: the link with its
// status-bar panel, and one office history for each window that shows a
// number's office calls. Runs with the settings it was last applied; an office
// turned off leaves no outbox triggers behind.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QStatusBar;
class TOfficeHistory;
class TOfficeLink;
class TOfficeSettings;
class TOfficeStatusLabel;
class TRecordTable;

class TOfficeStation {
public:
    TOfficeStation(TRecordTable &Book, TRecordTable &InCalls, TRecordTable &OutCalls, QStatusBar *StatusBar,
                   QString DataPath);
    ~TOfficeStation();

    // A window handed a history of its own (null while there is no office):
    // each history serves only its newest request.
    void AddHistoryView(std::function<void(TOfficeHistory *)> Attach);
    // Starts, restarts or stops the link for these settings.
    void Apply(const TOfficeSettings &Settings);

private:
    void stop();

    TRecordTable &FBook, &FIn, &FOut;
    QStatusBar *FStatusBar;
    QString FDataPath;
    std::vector<std::function<void(TOfficeHistory *)>> FViews;
    std::vector<std::unique_ptr<TOfficeHistory>> FHistories;
    std::unique_ptr<TOfficeLink> FLink;
    TOfficeStatusLabel *FStatus = nullptr;
    QString FRunning;   // the settings the link runs with
};
