#pragma once
// One page of the main window's page control: a table shown in a grid under a
// toolbar. It binds the grid to the table (selection, sorting by title clicks,
// night rows, one record per wheel notch), handles the keys of the grid
// (Enter dials, Delete deletes, the player keys) and offers the operations the
// main window's menu items and buttons run on the current page.
#include <QString>
#include <QWidget>

class QTableView;
class QToolBar;
class QToolButton;
class IPageHost;
class TConfig;
class TFormMessage;
class TJournalGridColumns;
class TRecordPlayback;
class TRecordTable;

enum TBookKind { bkIncoming, bkOutgoing, bkAddress };

class TBookPage : public QWidget {
    Q_OBJECT
public:
    static const QString DeleteCaption;   // "Подтверждение удаления"
    static const QString Forbidden;       // "Операция запрещена"

    TBookKind Kind() const { return FKind; }
    TRecordTable *Table() const { return FTable; }
    QTableView *Grid() const { return FGrid; }
    QToolBar *ToolBar() const { return FToolBar; }

    // The journal player the grid's keys drive and whose file is let go of
    // before rows go; may stay null.
    void SetPlayback(TRecordPlayback *Playback) { FPlayback = Playback; }

    // Updates the commands of the current row (the page is the current one
    // and the window shows).
    virtual void RefreshCurrentRow() = 0;
    // The delete command follows whether the table has rows (on every page).
    virtual void UpdateDeleteCommand() = 0;
    // Deletes the current row, asking first.
    void DeleteCurrentRow();
    // The current row's recording as a path; empty when the row offers none.
    virtual QString CurrentRecordingFile() const { return {}; }
    // Double-click or Enter: the row's number to dial where the rules allow.
    virtual void GridDoubleClick();
    // Clears the table, asking first; the status bar shows Progress meanwhile.
    void ClearTable();
    // The sort column's title in bold.
    void UpdateTitleFont();

signals:
    // A number to dial through the dial box.
    void DialRequested(const QString &Number);
    // The table's current row or rows changed.
    void CurrentRowChanged();

protected:
    // Columns: (field, caption) in order; ExtraColumn an unbound last column.
    TBookPage(TBookKind Kind, TRecordTable *Table, TConfig &Config, IPageHost &Host, TFormMessage *Messages,
              QWidget *parent);
    // Lays the page out: toolbar, grid, then what the subclass adds.
    void BuildGrid(const QList<QPair<QString, QString>> &Columns, const QString &ExtraColumn = QString());
    // A toolbar button, disabled until its command applies.
    QToolButton *AddButton(const QString &Name, const QString &Text, const QString &Hint);
    // A toolbar shows and hides its widgets through their actions.
    void SetButtonVisible(QToolButton *Button, bool Visible);
    // True (and "Операция запрещена" shown) while deleting and editing are locked.
    bool Restricted();
    // The table's own deletion of the current row and clearing; the player
    // has let go of its files before.
    virtual void DeleteRow() = 0;
    virtual void ClearRows() = 0;
    virtual QString ClearQuestion() const = 0;
    virtual QString ClearProgress() const = 0;
    // After the rows went: hot buttons, panels.
    virtual void RowsCleared() {}
    bool eventFilter(QObject *watched, QEvent *event) override;
    virtual bool GridKey(int Key, const QString &Text);
    TJournalGridColumns *Columns() const;

    TBookKind FKind;
    TRecordTable *FTable;
    TConfig &FConfig;
    IPageHost &FHost;
    TFormMessage *FMessages;
    TRecordPlayback *FPlayback = nullptr;
    QToolBar *FToolBar = nullptr;
    QTableView *FGrid = nullptr;

private:
    int FWheelDelta = 0;
};
