#include "TFormRobotEditor.h"
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

TFormRobotEditor::TFormRobotEditor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRobotEditor"));
    setWindowTitle(QStringLiteral("Редактор телефонного робота"));
    resize(520, 420);
    SGEditor = new QTableWidget(this);
    SGEditor->setObjectName(QStringLiteral("SGEditor"));
    SGEditor->setColumnCount(3);
    SGEditor->setHorizontalHeaderLabels({QString(), QStringLiteral(" Телефон"), QStringLiteral(" Имя")});
    SGEditor->setColumnWidth(0, 0);
    SGEditor->setColumnHidden(0, true);
    SGEditor->setColumnWidth(1, 132);
    SGEditor->verticalHeader()->setDefaultSectionSize(18);
    SGEditor->horizontalHeader()->setSectionsClickable(true);
    SGEditor->installEventFilter(this);
    connect(SGEditor->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        if (c == 1 || c == 2)
            SortGrid(c);
    });
    connect(SGEditor, &QTableWidget::currentCellChanged, this, [this](int row) { currentCellChanged(row); });

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setAutoDefault(false);
    CancelBtn = new QPushButton(QStringLiteral("Отменить"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SGEditor);
    layout->addLayout(buttons);
}

void TFormRobotEditor::SetRows(const QList<TRobotEditorRow> &Rows)
{
    SGEditor->clearContents();
    SGEditor->setRowCount(int(std::max<qsizetype>(Rows.size(), 1)));
    for (int i = 0; i < Rows.size(); ++i) {
        SGEditor->setItem(i, 0, new QTableWidgetItem(QString::number(Rows[i].Count)));
        SGEditor->setItem(i, 1, new QTableWidgetItem(Rows[i].Number));
        SGEditor->setItem(i, 2, new QTableWidgetItem(Rows[i].Name));
    }
}

QList<TRobotEditorRow> TFormRobotEditor::Rows() const
{
    QList<TRobotEditorRow> rows;
    const auto text = [this](int r, int c) {
        const QTableWidgetItem *i = SGEditor->item(r, c);
        return i ? i->text() : QString();
    };
    for (int r = 0; r < SGEditor->rowCount(); ++r)
        rows.append({text(r, 1), text(r, 2), text(r, 0).toInt()});
    return rows;
}

void TFormRobotEditor::SortGrid(int Column)
{
    // The list's own ordering, on the editor's rows; the free rows stay last.
    QList<TRobotEditorRow> rows = Rows();
    QList<TRobotEditorRow> filled, empty;
    for (const TRobotEditorRow &r : rows)
        (r.Number.trimmed().isEmpty() && r.Name.isEmpty() ? empty : filled).append(r);
    const int key = Column == 1 ? TRobotList::colNumber : TRobotList::colName;
    std::stable_sort(filled.begin(), filled.end(), [key](const TRobotEditorRow &a, const TRobotEditorRow &b) {
        return TRobotList::Less({a.Number, a.Name, QChar(), a.Count}, {b.Number, b.Name, QChar(), b.Count}, key);
    });
    SetRows(filled + empty);
    FSortColumn = Column;
    for (int c = 1; c <= 2; ++c)
        SGEditor->horizontalHeaderItem(c)->setIcon(c == Column ? style()->standardIcon(QStyle::SP_ArrowDown) : QIcon());
}

void TFormRobotEditor::currentCellChanged(int Row)
{
    // A free row is always offered at the end.
    if (Row == SGEditor->rowCount() - 1)
        SGEditor->insertRow(SGEditor->rowCount());
}

bool TFormRobotEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SGEditor && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const int row = std::max(0, SGEditor->currentRow());
            if (SGEditor->currentColumn() == 1) {
                SGEditor->setCurrentCell(row, 2);
            } else {
                if (row + 1 >= SGEditor->rowCount())
                    SGEditor->insertRow(SGEditor->rowCount());
                SGEditor->setCurrentCell(row + 1, 1);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormRobotEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitNameColumn();
    SGEditor->setFocus();
    SGEditor->setCurrentCell(0, 1);
}

void TFormRobotEditor::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    fitNameColumn();
}

void TFormRobotEditor::fitNameColumn()
{
    // The viewport already leaves out a shown vertical scroll bar.
    SGEditor->setColumnWidth(2, std::max(60, SGEditor->viewport()->width() - SGEditor->columnWidth(1) - 5));
}
