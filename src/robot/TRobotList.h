#pragma once
// The robot's number list: its rows, marks and success counts, its state, the
// plain-text list file (8-bit, Windows-1251, CR LF) and the sorting by column.
#include <QByteArray>
#include <QList>
#include <QString>

enum TRobotListState : uint8_t { rlsNone, rlsSaved, rlsNew, rlsModified };

struct TRobotRow {
    QString Number;
    QString Name;
    QChar Mark;          // '+' reached, '-' failed in this run, '=' or null: no mark
    int Count = 0;       // how many times the robot reached the number
    // Lines of the file just above this row that give no row (no separator, no
    // number): written back as they were, so that no save loses a line.
    QList<QByteArray> Kept = {};

    bool Reached() const { return Mark == u'+'; }
    bool operator==(const TRobotRow &) const = default;
};

// A row of the list editor: number, name as typed, the row's hidden success count.
struct TRobotEditorRow {
    QString Number;
    QString Name;
    int Count = 0;
};

class TRobotList {
public:
    // Sort columns of the list grid.
    enum TColumn { colPointer = 0, colNumber = 1, colName = 2, colMark = 3, colCount = 4 };

    const QList<TRobotRow> &Rows() const { return FRows; }
    int RowCount() const { return int(FRows.size()); }
    bool IsEmpty() const { return FRows.isEmpty(); }
    TRobotRow &Row(int i) { return FRows[i]; }
    const TRobotRow &Row(int i) const { return FRows.at(i); }

    TRobotListState State() const { return FState; }
    void SetState(TRobotListState s) { FState = s; }
    QString FileName() const { return FFileName; }
    // Folder of the last list opened or saved.
    QString LastFolder() const { return FLastFolder; }
    void SetLastFolder(const QString &f) { FLastFolder = f; }
    int SortColumn() const { return FSortColumn; }

    // Reads the file line by line (nothing when it does not exist; false then);
    // lines end at CR LF, LF or CR. Lines that give no number are no rows but
    // are kept in their place; the list is sorted again by the remembered column.
    bool LoadList(const QString &FileName);
    // Writes every row, replacing the file; false (and the list unchanged) on a
    // write error, with the reason in Error.
    bool SaveList(const QString &FileName, QString *Error = nullptr);
    // Writes the list to its own file (after each reached number).
    bool SaveToOwnFile(QString *Error = nullptr) { return SaveList(FFileName, Error); }

    // The file's content as rows, and the rows as the file's bytes. Tail gets
    // the kept lines after the last row.
    static QList<TRobotRow> ParseList(const QByteArray &Content, QList<QByteArray> *Tail = nullptr);
    static TRobotRow ParseLine(const QString &Line, bool *Ok);
    static QByteArray FormatList(const QList<TRobotRow> &Rows, const QList<QByteArray> &Tail = {});
    // Kept lines after the last row.
    const QList<QByteArray> &Tail() const { return FTail; }

    // The editor's rows: rows with a number (trimmed) become unmarked list rows.
    // New: the list came from "Создать" (else from "Редактировать").
    void SetFromEditor(const QList<TRobotEditorRow> &Rows, bool New);
    // The list as the editor's rows, plus one free row.
    QList<TRobotEditorRow> EditorRows() const;

    // "Сбросить флаг " / "Сбросить все флаги" and the marks cleared after a pass.
    void ResetMark(int Row);
    void ResetAllMarks();
    void Clear();

    // Sorts ascending by the column's key (see the comparison in the .cpp);
    // the column is remembered and used again after each load. Returns each
    // row's new index by its old one (empty when nothing was sorted).
    QList<int> SortBy(int Column);
    static bool Less(const TRobotRow &a, const TRobotRow &b, int Column);

private:
    void markChanged();

    QList<TRobotRow> FRows;
    QList<QByteArray> FTail;
    TRobotListState FState = rlsNone;
    QString FFileName;
    QString FLastFolder;
    int FSortColumn = -1;
};
