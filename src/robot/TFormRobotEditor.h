#pragma once
// "Редактор телефонного робота": the list's numbers and names in an editable
// grid; each row carries its success count unseen.
#include "TRobotList.h"
#include <QDialog>

class QPushButton;
class QTableWidget;

class TFormRobotEditor : public QDialog {
    Q_OBJECT
public:
    explicit TFormRobotEditor(QWidget *parent = nullptr);

    // Fills the grid with the rows (the caller gives one free row at the end).
    void SetRows(const QList<TRobotEditorRow> &Rows);
    QList<TRobotEditorRow> Rows() const;
    // Sorts by column 1 (number) or 2 (name) as the list grid does.
    void SortGrid(int Column);

    QTableWidget *SGEditor;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void currentCellChanged(int Row);
    void fitNameColumn();
    int FSortColumn = -1;
};
