#pragma once
// A grid's columns over a table's model: the shown fields in their order with
// their captions, an optional column without a field, then every other field
// (the grid hides those). Right-aligned fields and the bold sort title are kept here.
#include <QAbstractTableModel>
#include <QList>
#include <QPair>
#include <QStringList>

class TRecordTableModel;
class TTableSchema;

class TJournalGridColumns : public QAbstractTableModel {
public:
    TJournalGridColumns(TRecordTableModel *source, const TTableSchema &schema,
                        const QList<QPair<QString, QString>> &shown, const QString &extraCaption, QObject *parent);

    int shownCount() const { return FShownCount; }
    // The title of this field's column is drawn bold (the sort column).
    void setBoldField(const QString &field);
    QString boldField() const { return FBoldField; }
    // The field of a column; empty for the column without a field.
    QString fieldOf(int column) const { return FFields.value(column); }
    QString captionOf(int column) const { return FCaptions.value(column); }
    // The column of a field, -1 when there is none.
    int columnOf(const QString &field) const;
    void setRightAligned(const QStringList &fields) { FRightAligned = fields; }
    TRecordTableModel *source() const { return FSource; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TRecordTableModel *FSource;
    QList<int> FColumns;
    QStringList FFields;
    QStringList FCaptions;
    QStringList FRightAligned;
    QString FBoldField;
    int FShownCount = 0;
};
