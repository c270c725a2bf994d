#pragma once
// The page of the incoming or the outgoing journal: its toolbar, the grid, the
// information-fields panel under it, the pop-up menu, the talk/message choice
// of the incoming journal, deleting rows and the recording of the current row.
#include "TBookPage.h"

#include <memory>

class QAction;
class QMenu;
class QTableWidget;
class TJournalExport;

class TJournalPage : public TBookPage {
    Q_OBJECT
public:
    // Kind is bkIncoming or bkOutgoing; Table the journal of that kind.
    TJournalPage(TBookKind Kind, TRecordTable *Table, TConfig &Config, IPageHost &Host, TFormMessage *Messages,
                 QWidget *parent = nullptr);
    ~TJournalPage() override;

    void RefreshCurrentRow() override;
    void UpdateDeleteCommand() override;
    QString CurrentRecordingFile() const override;
    void GridDoubleClick() override;

    // "Сохранить": enabled while the current row has a recording on the PC.
    QToolButton *SaveButton() const { return FSaveBtn; }
    // The filter button, down while the journal is filtered.
    QToolButton *FilterButton() const { return FFilterBtn; }
    // "Искать" and "Статистика": disabled until the main window connects them.
    QToolButton *SearchButton() const { return FSearchBtn; }
    QToolButton *StatButton() const { return FStatBtn; }
    // "Загрузить" (the current row's talk) and "Загрузить все".
    QList<QToolButton *> TalkDownloadButtons() const { return {FGetTalkBtn, FGetAllBtn}; }
    // Set once the talk-download window exists and takes the buttons' clicks;
    // until then neither button is enabled, whatever the rows hold.
    void SetTalkDownloadReady(bool Ready);
    // Shows or hides both download buttons (the phone's firmware decides).
    void SetTalkDownloadVisible(bool Visible);
    QMenu *Popup() const { return FPopup; }
    QWidget *FieldsPanel() const { return FPanel; }
    QTableWidget *FieldsGrid() const { return FFields; }
    // The incoming journal's talk and message choice; null on the outgoing page.
    QToolButton *PlayTalkButton() const { return FPlayRecBtn; }
    QToolButton *PlayMessageButton() const { return FPlayMessBtn; }
    // "Экспортировать журнал записей в текстовый файл" and the command it runs.
    QToolButton *ExportButton() const { return FExportBtn; }
    TJournalExport &Export() const { return *FExport; }

    // "Копировать в записную книжку": the current row's number for a new subscriber.
    void CopyToBookClick();

signals:
    // "Информация о номере": the current row's number and Call_ID.
    void NumberInfoRequested(const QString &Number, qint64 CallId);
    void CopyToBookRequested(const QString &Phone);

protected:
    void DeleteRow() override;
    void ClearRows() override;
    QString ClearQuestion() const override;
    QString ClearProgress() const override;
    bool GridKey(int Key, const QString &Text) override;

private:
    bool incoming() const { return FKind == bkIncoming; }
    void buildFieldPanel();
    void buildPopup();
    void updateFieldPanel(int ShowKind);
    void fitFieldPanel();
    void playChoiceClick(bool Message);
    void popupAboutToShow();
    void playFromPopup(bool Message);

    QToolButton *FFilterBtn = nullptr;
    QToolButton *FSearchBtn = nullptr;
    QToolButton *FStatBtn = nullptr;
    QToolButton *FPlayRecBtn = nullptr;
    QToolButton *FPlayMessBtn = nullptr;
    QToolButton *FDeleteBtn = nullptr;
    QToolButton *FSaveBtn = nullptr;
    QToolButton *FShowFieldsBtn = nullptr;
    QToolButton *FGetTalkBtn = nullptr;
    QToolButton *FGetAllBtn = nullptr;
    bool FTalkDownloadReady = false;
    QWidget *FPanel = nullptr;
    QTableWidget *FFields = nullptr;
    // The Call_ID of the row the fields grid shows.
    qint64 FFieldsRow = -1;
    int FFittedRows = -1;   // the grid's rows the panel's height was fitted to
    QMenu *FPopup = nullptr;
    QAction *FCopyToBookItem = nullptr;
    QAction *FDeleteRecordItem = nullptr;
    QAction *FPlayTalkItem = nullptr;
    QAction *FPlayMessageItem = nullptr;
    QAction *FShowFieldsItem = nullptr;
    QAction *FNumberInfoItem = nullptr;
    QToolButton *FExportBtn = nullptr;
    std::unique_ptr<TJournalExport> FExport;
};
