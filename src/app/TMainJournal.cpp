// The main window's journal views: cell drawing, the current-row update, the
// information-fields panels, deleting and clearing, the pop-up menus, dialling
// from the grids, the player keys, wheel scrolling and the address page's layout.
#include "TCallHandler.h"
#include "TMain.h"
#include "TRecordPlayback.h"
#include "config/TConfig.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TTableError.h"
#include "ui/TDialBox.h"
#include "ui/TFieldGrid.h"
#include "ui/TFormMessage.h"
#include "ui/THotButtonsBox.h"
#include "ui/TJournalGridColumns.h"
#include "ui/TJournalGridDelegate.h"
#include "ui/TJournalRules.h"
#include "ui/TJournalSplitStrip.h"
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

const QString DeleteCaption = QStringLiteral("Подтверждение удаления");
const QString Forbidden = QStringLiteral("Операция запрещена");
// The information-fields grid's tag: the Call_ID of the row it shows.
const char *const TagProperty = "tag";

// Hands the events of the grids, the address page and the window to one handler.
class TJournalEvents : public QObject {
public:
    TJournalEvents(std::function<bool(QObject *, QEvent *)> Handler, QObject *parent)
        : QObject(parent), FHandler(std::move(Handler))
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override { return FHandler(watched, event); }

private:
    std::function<bool(QObject *, QEvent *)> FHandler;
};

bool digitsOnly(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QAction *popupItem(QMenu *menu, const QString &name, const QString &text, bool enabled = true)
{
    QAction *a = menu->addAction(text);
    a->setObjectName(name);
    a->setEnabled(enabled);
    return a;
}

QAction *childAction(QObject *root, const QString &name)
{
    return root->findChild<QAction *>(name);
}

}

// ---------------------------------------------------------------- set-up

void TMain::setupJournalViews()
{
    ConfirmDelete = [this](const QString &question) {
        return QMessageBox::question(this, DeleteCaption, question, QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Cancel)
            == QMessageBox::Ok;
    };
    FJournalEvents = new TJournalEvents([this](QObject *w, QEvent *e) { return journalEvent(w, e); }, this);

    // Columns: widths, alignment, cell drawing.
    auto isNight = [this](TDateTime t) { return TJournalRules::IsNightTime(t, FConfig->StartNight, FConfig->EndNight); };
    for (QTableView *grid : {InGrid, OutGrid, AddressGrid}) {
        auto *model = static_cast<TJournalGridColumns *>(grid->model());
        model->setRightAligned({QStringLiteral("Phone"), QStringLiteral("Category")});
        const bool journal = grid != AddressGrid;
        grid->setItemDelegate(new TJournalGridDelegate(
            journal ? TJournalGridDelegate::gkJournal : TJournalGridDelegate::gkAddress, isNight, grid));
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        // Only the sort column's title is bold: the selected row must not highlight every title.
        grid->horizontalHeader()->setHighlightSections(false);
        grid->viewport()->installEventFilter(FJournalEvents);
        grid->installEventFilter(FJournalEvents);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QAbstractItemView::doubleClicked, this, [this, grid] { GridDoubleClick(grid); });
    }
    // Time and length wide enough for their texts and titles.
    for (QTableView *grid : {InGrid, OutGrid}) {
        auto *model = static_cast<TJournalGridColumns *>(grid->model());
        QFont bold = grid->horizontalHeader()->font();
        bold.setBold(true);
        const QFontMetrics cells(grid->font());
        const QFontMetrics titles(bold);
        for (const auto &[field, sample] : {std::make_pair(QStringLiteral("Time"), QStringLiteral("00.00.0000 00:00:00")),
                                            std::make_pair(QStringLiteral("Length"), QStringLiteral("00:00:00"))}) {
            const int c = model->columnOf(field);
            grid->setColumnWidth(c, std::max(cells.horizontalAdvance(sample), titles.horizontalAdvance(model->captionOf(c)))
                                        + 16);
        }
    }
    auto *inModel = static_cast<TJournalGridColumns *>(InGrid->model());
    InGrid->setColumnWidth(inModel->columnOf(QStringLiteral("Category")), 60);

    auto button = [this](const char *name) { return findChild<QToolButton *>(QString::fromLatin1(name)); };
    InSaveFileBtn = button("InSaveFileBtn");
    OutSaveFileBtn = button("OutSaveFileBtn");
    ToolButtonGetTalk = button("ToolButtonGetTalk");
    ToolButtonGetOutTalk = button("ToolButtonGetOutTalk");
    InDeleteBtn = button("InDeleteBtn");
    OutDeleteBtn = button("OutDeleteBtn");
    EditPersonBtn = button("EditPersonBtn");
    DeletePersonBtn = button("DeletePersonBtn");
    ShowFieldsInBtn = button("ShowFieldsInBtn");
    ShowFieldsOutBtn = button("ShowFieldsOutBtn");

    // The incoming page's talk/message choice.
    PlayRecBtn = button("PlayRecBtn");
    PlayMessBtn = button("PlayMessBtn");
    auto *choice = new QButtonGroup(this);
    choice->setExclusive(true);
    for (QToolButton *b : {PlayRecBtn, PlayMessBtn}) {
        b->setCheckable(true);
        b->setEnabled(true);
        choice->addButton(b);
    }
    (FConfig->DefaultPlayMessage ? PlayMessBtn : PlayRecBtn)->setChecked(true);
    connect(PlayRecBtn, &QToolButton::clicked, this, [this] { playChoiceClick(false); });
    connect(PlayMessBtn, &QToolButton::clicked, this, [this] { playChoiceClick(true); });

    // Delete buttons and the clear and delete items of the main menu.
    connect(InDeleteBtn, &QToolButton::clicked, this, &TMain::DeleteCurrentRow);
    connect(OutDeleteBtn, &QToolButton::clicked, this, &TMain::DeleteCurrentRow);
    connect(DeletePersonBtn, &QToolButton::clicked, this, &TMain::DeletePersonClick);
    const QList<std::pair<QString, int>> clears = {{QStringLiteral("ClearInItem"), 0},
                                                   {QStringLiteral("ClearOutItem"), 1},
                                                   {QStringLiteral("ClearAddressItem"), 2}};
    for (const auto &[name, kind] : clears) {
        QAction *a = childAction(menuBar(), name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, [this, kind = kind] { ClearTable(kind); });
    }
    QAction *deleteCell = childAction(menuBar(), QStringLiteral("DeleteCellItem"));
    deleteCell->setEnabled(true);
    connect(deleteCell, &QAction::triggered, this, &TMain::DeleteCurrentRow);

    // Information-fields panels.
    setupFieldPanel(0);
    setupFieldPanel(1);

    // Pop-up menus.
    GridPopup = new QMenu(this);
    GridPopup->setObjectName(QStringLiteral("GridPopup"));
    // The subscriber dialog and the number information window come later.
    popupItem(GridPopup, QStringLiteral("CopyToBookItem"), QStringLiteral("Копировать в записную книжку"), false);
    connect(popupItem(GridPopup, QStringLiteral("DeleteRecordItem"), QStringLiteral("&Удалить запись")),
            &QAction::triggered, this, &TMain::DeleteCurrentRow);
    connect(popupItem(GridPopup, QStringLiteral("PlayTalkItem"), QStringLiteral("Проиграть &запись")),
            &QAction::triggered, this, [this] {
                if (PageControl1->currentIndex() == 0)
                    PlayRecBtn->click();
                if (FPlayback)
                    FPlayback->PlayClick();
            });
    connect(popupItem(GridPopup, QStringLiteral("PlayMessageItem"), QStringLiteral("Проиграть &сообщение")),
            &QAction::triggered, this, [this] {
                PlayMessBtn->click();
                if (FPlayback)
                    FPlayback->PlayClick();
            });
    QAction *showFields = popupItem(GridPopup, QStringLiteral("ShowFieldsItem"), QStringLiteral("Отобразить заметки"));
    showFields->setCheckable(true);
    connect(showFields, &QAction::triggered, this, &TMain::showFieldsItemClick);
    popupItem(GridPopup, QStringLiteral("GridNumberInfoItem"), QStringLiteral("Информация о номере"), false);
    connect(GridPopup, &QMenu::aboutToShow, this, &TMain::gridPopupAboutToShow);

    AddressPopup = new QMenu(this);
    AddressPopup->setObjectName(QStringLiteral("AddressPopup"));
    popupItem(AddressPopup, QStringLiteral("AddPersonItem"), QStringLiteral("&Добавить абонента"), false);
    popupItem(AddressPopup, QStringLiteral("EditPersonItem"), QStringLiteral("&Редактировать абонента"), false);
    connect(popupItem(AddressPopup, QStringLiteral("DeletePersonItem"), QStringLiteral("&Удалить абонента")),
            &QAction::triggered, this, &TMain::DeletePersonClick);
    connect(popupItem(AddressPopup, QStringLiteral("DialPersonItem"), QStringLiteral("&Набрать номер")),
            &QAction::triggered, this, [this] { GridDoubleClick(AddressGrid); });
    popupItem(AddressPopup, QStringLiteral("AddressNumberInfoItem"), QStringLiteral("Информация о номере"), false);
    connect(AddressPopup, &QMenu::aboutToShow, this, &TMain::addressPopupAboutToShow);

    for (QTableView *grid : {InGrid, OutGrid})
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint &p) { GridPopup->popup(grid->viewport()->mapToGlobal(p)); });
    connect(AddressGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { AddressPopup->popup(AddressGrid->viewport()->mapToGlobal(p)); });

    // The current rows drive the commands; the address page lays out its grid.
    for (TRecordTable *t : {static_cast<TRecordTable *>(FInCalls), static_cast<TRecordTable *>(FOutCalls),
                            static_cast<TRecordTable *>(FAddressBook)}) {
        connect(t, &TRecordTable::currentChanged, this, &TMain::RefreshCurrentRow);
        connect(t, &TRecordTable::changed, this, &TMain::RefreshCurrentRow);
    }
    connect(FAddressBook, &TRecordTable::changed, this, &TMain::UpdateAddressCommands);
    PageControl1->widget(2)->installEventFilter(FJournalEvents);
    installEventFilter(FJournalEvents);
    UpdateAddressCommands();
}

void TMain::setupFieldPanel(int Journal)
{
    const bool in = Journal == 0;
    QWidget *panel = findChild<QWidget *>(in ? QStringLiteral("PanelFieldsIn") : QStringLiteral("PanelFieldsOut"));
    (in ? PanelFieldsIn : PanelFieldsOut) = panel;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *strip = new TJournalSplitStrip(panel, panel);
    strip->setObjectName(in ? QStringLiteral("PanelSplittIn") : QStringLiteral("PanelSplittOut"));
    layout->addWidget(strip);
    auto *box = new QGroupBox(QStringLiteral("Информационные поля"), panel);
    box->setObjectName(in ? QStringLiteral("GroupBoxFieldsIn") : QStringLiteral("GroupBoxFieldsOut"));
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(4, 2, 4, 2);
    auto *grid = new QTableWidget(1, 2, box);
    grid->setObjectName(in ? QStringLiteral("SGFieldsIn") : QStringLiteral("SGFieldsOut"));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(10);
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setProperty(TagProperty, qint64(-1));
    boxLayout->addWidget(grid);
    boxLayout->addStretch(1);
    layout->addWidget(box, 1);
    (in ? SGFieldsIn : SGFieldsOut) = grid;

    QToolButton *button = in ? ShowFieldsInBtn : ShowFieldsOutBtn;
    button->setCheckable(true);
    button->setEnabled(true);
    button->setChecked(panel->isVisibleTo(panel->parentWidget()));
    connect(button, &QToolButton::toggled, panel, &QWidget::setVisible);
}

// ---------------------------------------------------------------- current row

void TMain::RefreshCurrentRow()
{
    if (!PageControl1 || !PlayRecBtn || !PlayButton || FShutDown)
        return;
    if (isVisible()) {
        switch (PageControl1->currentIndex()) {
        case 0:
            if (!FInCalls->controlsDisabled()) {
                const QString talk = FInCalls->fieldValue(QStringLiteral("FileName")).toString();
                const QString message = FInCalls->fieldValue(QStringLiteral("MessageFileName")).toString();
                const bool hasTalk = talk.size() >= 2;
                const bool hasMessage = message.size() > 1;
                // The talk or the message, by the default when the row has both; the
                // buttons are grouped, so one is down exactly when the other is up.
                if (hasTalk && hasMessage)
                    (FConfig->DefaultPlayMessage ? PlayMessBtn : PlayRecBtn)->setChecked(true);
                else if (hasTalk)
                    PlayRecBtn->setChecked(true);
                else if (hasMessage)
                    PlayMessBtn->setChecked(true);
                // A recording still in the phone can be fetched.
                ToolButtonGetTalk->setEnabled(talk == QLatin1String("+") || message == QLatin1String("+"));
                const bool playable = (PlayRecBtn->isChecked() ? talk : message).size() >= 2;
                EnablePlayButton(playable);
                InSaveFileBtn->setEnabled(playable);
                // The fields panel follows only a change of row.
                const qint64 id = FInCalls->currentKey();
                if (SGFieldsIn->property(TagProperty).toLongLong() != id) {
                    updateFieldPanel(0, FConfig->ShowInFieldKind);
                    SGFieldsIn->setProperty(TagProperty, id);
                }
            }
            break;
        case 1:
            if (!FOutCalls->controlsDisabled()) {
                const QString talk = FOutCalls->fieldValue(QStringLiteral("FileName")).toString();
                ToolButtonGetOutTalk->setEnabled(talk == QLatin1String("+"));
                EnablePlayButton(talk.size() >= 2);
                OutSaveFileBtn->setEnabled(talk.size() >= 2);
                const qint64 id = FOutCalls->currentKey();
                if (SGFieldsOut->property(TagProperty).toLongLong() != id) {
                    updateFieldPanel(1, FConfig->ShowOutFieldKind);
                    SGFieldsOut->setProperty(TagProperty, id);
                }
            }
            break;
        default:
            EnablePlayButton(false);
            InSaveFileBtn->setEnabled(false);
            OutSaveFileBtn->setEnabled(false);
            break;
        }
    }
    // The delete commands on every page, shown or not.
    DeletePersonBtn->setEnabled(!FAddressBook->isEmpty());
    InDeleteBtn->setEnabled(!FInCalls->isEmpty());
    OutDeleteBtn->setEnabled(!FOutCalls->isEmpty());
}

void TMain::updateFieldPanel(int Journal, int Kind)
{
    TRecordTable *book = Journal == 0 ? static_cast<TRecordTable *>(FInCalls) : static_cast<TRecordTable *>(FOutCalls);
    QWidget *panel = Journal == 0 ? PanelFieldsIn : PanelFieldsOut;
    QTableWidget *grid = Journal == 0 ? SGFieldsIn : SGFieldsOut;
    QStringList values;
    bool any = false;
    for (int n = 1; n <= 7; ++n) {
        values << book->fieldValue(QStringLiteral("Field_%1").arg(n)).toString();
        any = any || !values.last().isEmpty();
    }
    const bool show = Kind == 0 || (Kind == 1 && any);
    panel->setVisible(show);
    {
        QToolButton *b = Journal == 0 ? ShowFieldsInBtn : ShowFieldsOutBtn;
        const QSignalBlocker block(b);
        b->setChecked(show);
    }
    if (!show)
        return;
    FillFieldGrid(grid, Journal, false, FConfig.get());
    for (int r = 0; r < grid->rowCount(); ++r)
        if (QTableWidgetItem *cell = grid->item(r, 1)) {
            const int n = cell->data(FieldNumberRole).toInt();
            if (n >= 1 && n <= 7)
                cell->setText(values.at(n - 1));
        }
}

void TMain::playChoiceClick(bool Message)
{
    const bool hasTalk = FInCalls->fieldValue(QStringLiteral("FileName")).toString().size() >= 2;
    const bool hasMessage = FInCalls->fieldValue(QStringLiteral("MessageFileName")).toString().size() > 1;
    if (hasTalk && hasMessage)
        FConfig->DefaultPlayMessage = Message;
    RefreshCurrentRow();
}

void TMain::UpdateAddressCommands()
{
    if (!AddressPopup)
        return;
    const bool any = !FAddressBook->isEmpty();
    for (const char *name : {"EditPersonItem", "DeletePersonItem", "DialPersonItem"})
        childAction(AddressPopup, QString::fromLatin1(name))->setVisible(any);
    // Editing opens the subscriber dialog, which this program does not offer yet.
    EditPersonBtn->setEnabled(false);
    DeletePersonBtn->setEnabled(any);
}

// ---------------------------------------------------------------- deleting

bool TMain::restricted()
{
    if (!FConfig->yrd)
        return false;
    showInfo(Forbidden, QString(), Caption);
    return true;
}

void TMain::DeleteCurrentRow()
{
    if (restricted())
        return;
    if (!ConfirmDelete(QStringLiteral("Вы действительно хотите удалить запись?")))
        return;
    if (FPlayback)
        FPlayback->CloseFile();
    try {
        switch (PageControl1->currentIndex()) {
        case 0:
            if (!FInCalls->isEmpty()) {
                FInCalls->DeleteCurrent(true);
                InGrid->viewport()->update();
            }
            break;
        case 1:
            if (!FOutCalls->isEmpty()) {
                FOutCalls->DeleteCurrent(true);
                OutGrid->viewport()->update();
            }
            break;
        default:
            if (!FAddressBook->isEmpty()) {
                freeHotButtonOfCurrentPerson();
                FAddressBook->DeleteCurrent();
                AddressGrid->viewport()->update();
                UpdateAddressCommands();
            }
            break;
        }
    } catch (const TTableError &e) {
        QMessageBox::warning(this, QApplication::applicationName(), e.message());
    }
    RefreshCurrentRow();
}

void TMain::freeHotButtonOfCurrentPerson()
{
    if (!FHotBox)
        return;
    const int hot = FHotBox->HotButtonOf(FAddressBook->currentKey());
    if (hot >= 0)
        FHotBox->FreeHotButton(hot);
}

void TMain::DeletePersonClick()
{
    if (restricted() || FAddressBook->isEmpty())
        return;
    const QVariant name = FAddressBook->fieldValue(QStringLiteral("Name"));
    const QString question = QStringLiteral("Вы действительно хотите удалить абонента")
        + (name.isNull() ? QString() : QLatin1Char(' ') + name.toString()) + QLatin1Char('?');
    if (!ConfirmDelete(question))
        return;
    try {
        freeHotButtonOfCurrentPerson();
        FAddressBook->DeleteCurrent();
    } catch (const TTableError &e) {
        QMessageBox::warning(this, QApplication::applicationName(), e.message());
    }
    AddressGrid->viewport()->update();
    UpdateAddressCommands();
    RefreshCurrentRow();
}

void TMain::ClearTable(int Kind)
{
    if (Kind < 0 || Kind > 2 || restricted())
        return;
    static const QString Questions[] = {
        QStringLiteral("Вы действительно хотите полностью очистить память входящих звонков?"),
        QStringLiteral("Вы действительно хотите полностью очистить память исходящих звонков?"),
        QStringLiteral("Вы действительно хотите полностью очистить записную книжку?")};
    static const QString Progress[] = {QStringLiteral("Очистка памяти входящих звонков, подождите..."),
                                       QStringLiteral("Очистка памяти исходящих звонков, подождите..."),
                                       QStringLiteral("Очистка адресной книги, подождите...")};
    if (!ConfirmDelete(Questions[Kind]))
        return;
    const QString before = StatusText();
    SetStatusText(Progress[Kind]);
    statusBar()->repaint();
    // The journals' recordings go with their rows: the player lets go of its file first.
    if (Kind < 2 && FPlayback)
        FPlayback->CloseFile();
    TRecordTable *table = Kind == 0   ? static_cast<TRecordTable *>(FInCalls)
                          : Kind == 1 ? static_cast<TRecordTable *>(FOutCalls)
                                      : static_cast<TRecordTable *>(FAddressBook);
    table->disableControls();
    try {
        if (Kind == 0)
            FInCalls->ClearCalls();
        else if (Kind == 1)
            FOutCalls->ClearCalls();
        else
            FAddressBook->clear();
    } catch (const TTableError &e) {
        table->enableControls();
        SetStatusText(before);
        QMessageBox::warning(this, QApplication::applicationName(), e.message());
        return;
    }
    table->enableControls();
    if (Kind == 2 && FHotBox)
        FHotBox->FreeAll();
    // The status from the phone state; a state without a text of its own keeps the one before.
    if (FCallHandler)
        FCallHandler->PhoneStateChanged(FPhone.get());
    if (StatusText() == Progress[Kind])
        SetStatusText(before);
    UpdateAddressCommands();
    RefreshCurrentRow();
}

// ---------------------------------------------------------------- pop-up menus

void TMain::gridPopupAboutToShow()
{
    const bool in = PageControl1->currentIndex() == 0;
    TRecordTable *book = in ? static_cast<TRecordTable *>(FInCalls) : static_cast<TRecordTable *>(FOutCalls);
    const bool rows = !book->isEmpty();
    childAction(GridPopup, QStringLiteral("DeleteRecordItem"))->setVisible(rows);
    childAction(GridPopup, QStringLiteral("GridNumberInfoItem"))->setVisible(rows);
    childAction(GridPopup, QStringLiteral("CopyToBookItem"))->setVisible(rows);
    childAction(GridPopup, QStringLiteral("PlayTalkItem"))->setVisible(!book->fieldValue(QStringLiteral("FileName")).isNull());
    childAction(GridPopup, QStringLiteral("PlayMessageItem"))
        ->setVisible(in && !FInCalls->fieldValue(QStringLiteral("MessageFileName")).isNull());
    childAction(GridPopup, QStringLiteral("ShowFieldsItem"))->setChecked((in ? PanelFieldsIn : PanelFieldsOut)->isVisible());
}

void TMain::addressPopupAboutToShow()
{
    UpdateAddressCommands();
}

void TMain::showFieldsItemClick()
{
    const int page = PageControl1->currentIndex();
    if (page > 1)
        return;
    QToolButton *b = page == 0 ? ShowFieldsInBtn : ShowFieldsOutBtn;
    b->setChecked(!b->isChecked());
}

// ---------------------------------------------------------------- dialling, keys, wheel

TRecordTable *TMain::tableOf(const QTableView *Grid) const
{
    if (Grid == InGrid)
        return FInCalls;
    if (Grid == OutGrid)
        return FOutCalls;
    return FAddressBook;
}

void TMain::GridDoubleClick(QTableView *Grid)
{
    QString number;
    if (Grid == InGrid) {
        number = FInCalls->fieldValue(QStringLiteral("Phone")).toString();
        if (!digitsOnly(number))
            return;
    } else {
        TRecordTable *t = tableOf(Grid);
        if (t->isEmpty())
            return;
        number = t->fieldValue(QStringLiteral("Phone")).toString();
    }
    phNumber->SetNumber(number);
    CallBtnClick();
}

bool TMain::journalEvent(QObject *watched, QEvent *event)
{
    if (FShutDown)
        return false;
    if (watched == this) {
        if (event->type() == QEvent::Show)
            QMetaObject::invokeMethod(this, &TMain::RefreshCurrentRow, Qt::QueuedConnection);
        return false;
    }
    if (watched == PageControl1->widget(2)) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            resizeAddressPage();
        return false;
    }
    QTableView *grid = nullptr;
    for (QTableView *g : {InGrid, OutGrid, AddressGrid})
        if (watched == g || watched == g->viewport())
            grid = g;
    if (!grid)
        return false;
    TRecordTable *table = tableOf(grid);

    if (event->type() == QEvent::Wheel && watched == grid->viewport()) {
        // One record per notch: away from the user towards the first row.
        FWheelDelta += static_cast<QWheelEvent *>(event)->angleDelta().y();
        while (FWheelDelta >= 120 || FWheelDelta <= -120) {
            const int step = FWheelDelta > 0 ? -1 : 1;
            FWheelDelta += step * 120;
            const int target = table->recNo() + step;
            if (target >= 0 && target < table->recordCount())
                table->setRecNo(target);
        }
        return true;
    }
    if (event->type() != QEvent::KeyPress || watched != grid)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        GridDoubleClick(grid);
        return true;
    }
    if (key->key() == Qt::Key_Delete && grid != AddressGrid) {
        DeleteCurrentRow();
        return true;
    }
    const QString text = key->text().toLower();
    if (text.size() != 1 || !FPlayback)
        return false;
    const QChar c = text.at(0);
    if (c == QLatin1Char('a') || c == QChar(0x0444))          // а / ф
        FPlayback->SkipBackClick();
    else if (c == QLatin1Char('c') || c == QChar(0x0441))     // с
        FPlayback->PauseClick();
    else if (c == QLatin1Char('s') || c == QChar(0x044B))     // ы
        FPlayback->SkipForwardClick();
    else if (c == QLatin1Char('v') || c == QChar(0x043C))     // м
        FPlayback->StopClick();
    else if (c == QLatin1Char('x') || c == QChar(0x0447)) {   // ч
        if (PlayButton->isEnabled())
            FPlayback->PlayClick();
    } else
        return false;
    return true;
}

void TMain::resizeAddressPage()
{
    QWidget *page = PageControl1->widget(2);
    QWidget *bar = page->findChild<QToolBar *>(QStringLiteral("AddressToolBar"));
    // Called before the page's layout has moved the grid: the grid's width is the page's less the margins.
    const QMargins margins = page->layout()->contentsMargins();
    const int height = page->contentsRect().height() * 60 / 100 - (bar ? bar->sizeHint().height() : 0);
    AddressGrid->setFixedHeight(std::max(height, 40));
    const int w = page->contentsRect().width() - margins.left() - margins.right() - 80;
    AddressGrid->setColumnWidth(0, 80);
    AddressGrid->setColumnWidth(1, qRound(w / 3.0));
    AddressGrid->setColumnWidth(2, qRound(w / 2.0));
}
