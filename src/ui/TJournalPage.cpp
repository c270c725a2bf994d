#include "TJournalPage.h"
#include "IPageHost.h"
#include "TFieldGrid.h"
#include "TJournalExport.h"
#include "TJournalGridColumns.h"
#include "TJournalSplitStrip.h"
#include "TRecordPlayback.h"
#include "config/TConfig.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TTableError.h"
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The information-fields grid's tag: the Call_ID of the row it shows.
const char *const TagProperty = "tag";

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

}

TJournalPage::TJournalPage(TBookKind Kind, TRecordTable *Table, TConfig &Config, IPageHost &Host,
                           TFormMessage *Messages, QWidget *parent)
    : TBookPage(Kind, Table, Config, Host, Messages, parent)
{
    const bool in = incoming();
    setObjectName(in ? QStringLiteral("TabSheetIn") : QStringLiteral("TabSheetOut"));
    FToolBar->setObjectName(in ? QStringLiteral("ToolBar3") : QStringLiteral("ToolBar4"));
    const QString x = in ? QStringLiteral("In") : QStringLiteral("Out");
    const QString talkHint = QStringLiteral("Загрузить на ПК разговор");
    const QString allTalksHint = QStringLiteral("Загрузить на ПК все разговоры");
    FSearchBtn = AddButton(x + QStringLiteral("SearchBtn"), QStringLiteral("Искать"), QStringLiteral("Искать"));
    FFilterBtn = AddButton(x + QStringLiteral("FilterBtn"), QStringLiteral("Фильтр"), QStringLiteral("Фильтровать записи"));
    if (in) {
        FPlayRecBtn = AddButton(QStringLiteral("PlayRecBtn"), QStringLiteral("Разговор"),
                                QStringLiteral("Воспроизводить разговор"));
        FPlayMessBtn = AddButton(QStringLiteral("PlayMessBtn"), QStringLiteral("Сообщение"),
                                 QStringLiteral("Воспроизводить сообщение"));
    }
    FDeleteBtn = AddButton(x + QStringLiteral("DeleteBtn"), QStringLiteral("Удалить"), QStringLiteral("Удалить запись"));
    FSaveBtn = AddButton(x + QStringLiteral("SaveFileBtn"), QStringLiteral("Сохранить"),
                         QStringLiteral("Сохранить звуковой файл"));
    FShowFieldsBtn = AddButton(QStringLiteral("ShowFields") + x + QStringLiteral("Btn"), QStringLiteral("Заметки"),
                               QStringLiteral("Отобразить/скрыть заметки"));
    FExportBtn = AddButton(x + QStringLiteral("ExportToTextBtn"), QStringLiteral("Экспорт"),
                           QStringLiteral("Экспортировать журнал записей в текстовый файл"));
    FExportBtn->setEnabled(true);   // an empty journal exports its title and heading
    FExport = std::make_unique<TJournalExport>(*static_cast<TCallBook *>(Table), this);
    FExport->ShowProgress = [this](const QString &text) {
        if (text.isEmpty())
            FHost.RefreshLineStatus();
        else
            FHost.ShowStatusNow(text);
    };
    connect(FExportBtn, &QToolButton::clicked, this, [this] { FExport->Run(); });
    FStatBtn = AddButton(x + QStringLiteral("StatBtn"), QStringLiteral("Статистика"), QStringLiteral("Статистика звонков"));
    FGetTalkBtn = AddButton(in ? QStringLiteral("ToolButtonGetTalk") : QStringLiteral("ToolButtonGetOutTalk"),
                            QStringLiteral("Загрузить"), talkHint);
    FGetAllBtn = AddButton(in ? QStringLiteral("ToolButtonGetAllTalks") : QStringLiteral("ToolButtonGetAllTalk"),
                           QStringLiteral("Загрузить все"), allTalksHint);
    // Shown once the phone's firmware is known to keep talks.
    SetButtonVisible(FGetTalkBtn, false);
    SetButtonVisible(FGetAllBtn, false);

    if (in)
        BuildGrid({{QStringLiteral("Phone"), QStringLiteral("Телефон")},
                   {QStringLiteral("Time"), QStringLiteral("Время")},
                   {QStringLiteral("Length"), QStringLiteral("Продолжительность")},
                   {QStringLiteral("AutoAnswer"), QStringLiteral("Автоответ")},
                   {QStringLiteral("FileName"), QStringLiteral("Разговор")},
                   {QStringLiteral("MessageFileName"), QStringLiteral("Сообщение")},
                   {QStringLiteral("Category"), QStringLiteral("Категория")}});
    else
        BuildGrid({{QStringLiteral("Phone"), QStringLiteral("Телефон")},
                   {QStringLiteral("Time"), QStringLiteral("Время")},
                   {QStringLiteral("Length"), QStringLiteral("Продолжительность")},
                   {QStringLiteral("Attributes"), QStringLiteral("Место звонка")},
                   {QStringLiteral("FileName"), QStringLiteral("Разговор")}});
    FGrid->setObjectName(in ? QStringLiteral("InGrid") : QStringLiteral("OutGrid"));

    // Time and length wide enough for their texts and titles.
    TJournalGridColumns *model = Columns();
    QFont bold = FGrid->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics cells(FGrid->font());
    const QFontMetrics titles(bold);
    for (const auto &[field, sample] : {std::make_pair(QStringLiteral("Time"), QStringLiteral("00.00.0000 00:00:00")),
                                        std::make_pair(QStringLiteral("Length"), QStringLiteral("00:00:00"))}) {
        const int c = model->columnOf(field);
        FGrid->setColumnWidth(c, std::max(cells.horizontalAdvance(sample), titles.horizontalAdvance(model->captionOf(c)))
                                     + 16);
    }
    if (in)
        FGrid->setColumnWidth(model->columnOf(QStringLiteral("Category")), 60);

    // A journal that starts filtered shows its filter button pressed.
    FFilterBtn->setCheckable(true);
    const bool filtered = FTable->filtered();
    FFilterBtn->setChecked(filtered);
    FFilterBtn->setEnabled(filtered);
    connect(FFilterBtn, &QToolButton::toggled, FTable, [table = FTable](bool down) {
        if (!table->filter().isEmpty())
            table->setFiltered(down);
    });

    // The incoming page's talk/message choice.
    if (in) {
        auto *choice = new QButtonGroup(this);
        choice->setExclusive(true);
        for (QToolButton *b : {FPlayRecBtn, FPlayMessBtn}) {
            b->setCheckable(true);
            b->setEnabled(true);
            choice->addButton(b);
        }
        (FConfig.DefaultPlayMessage ? FPlayMessBtn : FPlayRecBtn)->setChecked(true);
        connect(FPlayRecBtn, &QToolButton::clicked, this, [this] { playChoiceClick(false); });
        connect(FPlayMessBtn, &QToolButton::clicked, this, [this] { playChoiceClick(true); });
    }
    connect(FDeleteBtn, &QToolButton::clicked, this, &TJournalPage::DeleteCurrentRow);

    buildFieldPanel();
    buildPopup();
    // Applied settings may rename or hide fields: the panel is rebuilt at the next look.
    connect(&FConfig, &TConfig::SettingsApplied, this, [this] {
        FFields->setProperty(TagProperty, qint64(-1));
        if (isVisible())
            RefreshCurrentRow();
    });
    // Fields written into the row the panel shows (the editor's OK, the number
    // window's Apply): the panel is rebuilt with what the row now holds.
    if (auto *book = qobject_cast<TCallBook *>(Table))
        connect(book, &TCallBook::fieldsUpdated, this, [this](qint64 callId) {
            if (FFields->property(TagProperty).toLongLong() != callId)
                return;
            FFields->setProperty(TagProperty, qint64(-1));
            if (isVisible())
                RefreshCurrentRow();
        });
}

void TJournalPage::buildFieldPanel()
{
    const bool in = incoming();
    FPanel = new QWidget(this);
    FPanel->setObjectName(in ? QStringLiteral("PanelFieldsIn") : QStringLiteral("PanelFieldsOut"));
    FPanel->setFixedHeight(85);
    FPanel->hide();   // shown by the information-field rules
    static_cast<QVBoxLayout *>(layout())->addWidget(FPanel);
    auto *layout = new QVBoxLayout(FPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *strip = new TJournalSplitStrip(FPanel, FPanel);
    strip->setObjectName(in ? QStringLiteral("PanelSplittIn") : QStringLiteral("PanelSplittOut"));
    layout->addWidget(strip);
    auto *box = new QGroupBox(QStringLiteral("Информационные поля"), FPanel);
    box->setObjectName(in ? QStringLiteral("GroupBoxFieldsIn") : QStringLiteral("GroupBoxFieldsOut"));
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(4, 2, 4, 2);
    FFields = new QTableWidget(1, 2, box);
    FFields->setObjectName(in ? QStringLiteral("SGFieldsIn") : QStringLiteral("SGFieldsOut"));
    FFields->horizontalHeader()->hide();
    FFields->verticalHeader()->hide();
    FFields->verticalHeader()->setMinimumSectionSize(10);
    FFields->verticalHeader()->setDefaultSectionSize(17);
    FFields->horizontalHeader()->setStretchLastSection(true);
    FFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FFields->setProperty(TagProperty, qint64(-1));
    boxLayout->addWidget(FFields);
    boxLayout->addStretch(1);
    layout->addWidget(box, 1);

    FShowFieldsBtn->setCheckable(true);
    FShowFieldsBtn->setEnabled(true);
    FShowFieldsBtn->setChecked(false);
    connect(FShowFieldsBtn, &QToolButton::toggled, FPanel, &QWidget::setVisible);
}

void TJournalPage::buildPopup()
{
    FPopup = new QMenu(this);
    FPopup->setObjectName(QStringLiteral("GridPopup"));
    FCopyToBookItem = popupItem(FPopup, QStringLiteral("CopyToBookItem"), QStringLiteral("Копировать в записную книжку"));
    connect(FCopyToBookItem, &QAction::triggered, this, &TJournalPage::CopyToBookClick);
    FDeleteRecordItem = popupItem(FPopup, QStringLiteral("DeleteRecordItem"), QStringLiteral("&Удалить запись"));
    connect(FDeleteRecordItem, &QAction::triggered, this, &TJournalPage::DeleteCurrentRow);
    FPlayTalkItem = popupItem(FPopup, QStringLiteral("PlayTalkItem"), QStringLiteral("Проиграть &запись"));
    connect(FPlayTalkItem, &QAction::triggered, this, [this] { playFromPopup(false); });
    FPlayMessageItem = popupItem(FPopup, QStringLiteral("PlayMessageItem"), QStringLiteral("Проиграть &сообщение"));
    connect(FPlayMessageItem, &QAction::triggered, this, [this] { playFromPopup(true); });
    FShowFieldsItem = popupItem(FPopup, QStringLiteral("ShowFieldsItem"), QStringLiteral("Отобразить заметки"));
    FShowFieldsItem->setCheckable(true);
    connect(FShowFieldsItem, &QAction::triggered, this, [this] { FShowFieldsBtn->setChecked(!FShowFieldsBtn->isChecked()); });
    FNumberInfoItem = popupItem(FPopup, QStringLiteral("GridNumberInfoItem"), QStringLiteral("Информация о номере"));
    connect(FNumberInfoItem, &QAction::triggered, this, [this] {
        if (!FTable->isEmpty())
            emit NumberInfoRequested(FTable->fieldValue(QStringLiteral("Phone")).toString(), FTable->currentKey());
    });
    connect(FPopup, &QMenu::aboutToShow, this, &TJournalPage::popupAboutToShow);
    connect(FGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { FPopup->popup(FGrid->viewport()->mapToGlobal(p)); });
}

TJournalPage::~TJournalPage() = default;

void TJournalPage::CopyToBookClick()
{
    if (Restricted() || FTable->isEmpty())
        return;
    emit CopyToBookRequested(FTable->fieldValue(QStringLiteral("Phone")).toString());
}

void TJournalPage::playFromPopup(bool Message)
{
    if (incoming())
        (Message ? FPlayMessBtn : FPlayRecBtn)->click();
    if (FPlayback)
        FPlayback->PlayClick();
}

void TJournalPage::popupAboutToShow()
{
    const bool rows = !FTable->isEmpty();
    FDeleteRecordItem->setVisible(rows);
    FNumberInfoItem->setVisible(rows);
    FCopyToBookItem->setVisible(rows);
    FPlayTalkItem->setVisible(!FTable->fieldValue(QStringLiteral("FileName")).isNull());
    FPlayMessageItem->setVisible(incoming() && !FTable->fieldValue(QStringLiteral("MessageFileName")).isNull());
    FShowFieldsItem->setChecked(FPanel->isVisible());
}

// ---------------------------------------------------------------- current row

void TJournalPage::RefreshCurrentRow()
{
    if (FTable->controlsDisabled())
        return;
    const QString talk = FTable->fieldValue(QStringLiteral("FileName")).toString();
    bool playable = talk.size() >= 2;
    if (incoming()) {
        const QString message = FTable->fieldValue(QStringLiteral("MessageFileName")).toString();
        const bool hasTalk = talk.size() >= 2;
        const bool hasMessage = message.size() > 1;
        // The talk or the message, by the default when the row has both; the
        // buttons are grouped, so one is down exactly when the other is up.
        if (hasTalk && hasMessage)
            (FConfig.DefaultPlayMessage ? FPlayMessBtn : FPlayRecBtn)->setChecked(true);
        else if (hasTalk)
            FPlayRecBtn->setChecked(true);
        else if (hasMessage)
            FPlayMessBtn->setChecked(true);
        // A recording still in the phone can be fetched.
        FGetTalkBtn->setEnabled(FTalkDownloadReady && (talk == QLatin1String("+") || message == QLatin1String("+")));
        playable = (FPlayRecBtn->isChecked() ? talk : message).size() >= 2;
    } else {
        FGetTalkBtn->setEnabled(FTalkDownloadReady && talk == QLatin1String("+"));
    }
    if (FPlayback)
        FPlayback->EnablePlayButton(playable);
    FSaveBtn->setEnabled(playable);
    // The fields panel follows only a change of row.
    const qint64 id = FTable->currentKey();
    if (FFields->property(TagProperty).toLongLong() != id) {
        updateFieldPanel(incoming() ? FConfig.ShowInFieldKind : FConfig.ShowOutFieldKind);
        FFields->setProperty(TagProperty, id);
    }
}

void TJournalPage::SetTalkDownloadVisible(bool Visible)
{
    for (QToolButton *b : TalkDownloadButtons())
        SetButtonVisible(b, Visible);
}

void TJournalPage::SetTalkDownloadReady(bool Ready)
{
    FTalkDownloadReady = Ready;
    if (!Ready)
        for (QToolButton *b : TalkDownloadButtons())
            b->setEnabled(false);
}

void TJournalPage::UpdateDeleteCommand()
{
    FDeleteBtn->setEnabled(!FTable->isEmpty());
}

void TJournalPage::updateFieldPanel(int ShowKind)
{
    QStringList values;
    bool any = false;
    for (int n = 1; n <= 7; ++n) {
        values << FTable->fieldValue(QStringLiteral("Field_%1").arg(n)).toString();
        any = any || !values.last().isEmpty();
    }
    // The grid is filled hidden too: the show button then shows this row's values.
    FillFieldGrid(FFields, incoming() ? 0 : 1, false, &FConfig);
    for (int r = 0; r < FFields->rowCount(); ++r)
        if (QTableWidgetItem *cell = FFields->item(r, 1)) {
            const int n = cell->data(FieldNumberRole).toInt();
            if (n >= 1 && n <= 7)
                cell->setText(values.at(n - 1));
        }
    fitFieldPanel();
    const bool show = ShowKind == 0 || (ShowKind == 1 && any);
    FPanel->setVisible(show);
    const QSignalBlocker block(FShowFieldsBtn);
    FShowFieldsBtn->setChecked(show);
}

void TJournalPage::fitFieldPanel()
{
    // FillFieldGrid made the grid as high as its rows. When their number changes
    // the panel takes the height they need within the strip's limits; the user's
    // own height stays otherwise. Where the panel is lower the grid scrolls.
    const int gridHeight = FFields->maximumHeight();
    if (FFields->rowCount() != FFittedRows) {
        FFittedRows = FFields->rowCount();
        FPanel->layout()->invalidate();
        const int need = FPanel->layout()->totalMinimumSize().height();
        FPanel->setFixedHeight(std::clamp(need, TJournalSplitStrip::MinHeight, TJournalSplitStrip::MaxHeight));
    }
    FFields->setMinimumHeight(std::min(gridHeight, FFields->verticalHeader()->defaultSectionSize() + 4));
    FFields->setMaximumHeight(gridHeight);
}

void TJournalPage::playChoiceClick(bool Message)
{
    const bool hasTalk = FTable->fieldValue(QStringLiteral("FileName")).toString().size() >= 2;
    const bool hasMessage = FTable->fieldValue(QStringLiteral("MessageFileName")).toString().size() > 1;
    if (hasTalk && hasMessage)
        FConfig.DefaultPlayMessage = Message;
    emit CurrentRowChanged();
}

QString TJournalPage::CurrentRecordingFile() const
{
    if (FTable->isEmpty())
        return {};
    const bool message = incoming() && !(FPlayRecBtn && FPlayRecBtn->isChecked());
    QString name = FTable->fieldValue(message ? QStringLiteral("MessageFileName") : QStringLiteral("FileName")).toString();
    // Empty, or "+" for a talk still kept in the phone.
    if (name.size() < 2)
        return {};
    // The call handling stores full paths; a bare name lies in the records folder.
    name = QDir::fromNativeSeparators(name);
    if (QDir::isRelativePath(name))
        name = QDir(QDir::fromNativeSeparators(FConfig.RecordsDirectory)).filePath(name);
    return QDir::cleanPath(name);
}

// ---------------------------------------------------------------- commands

void TJournalPage::DeleteRow()
{
    // The row goes with its recordings.
    if (incoming())
        static_cast<TIncomingCallBook *>(FTable)->DeleteCurrent(true);
    else
        static_cast<TOutgoingCallBook *>(FTable)->DeleteCurrent(true);
}

void TJournalPage::GridDoubleClick()
{
    // A number the phone cannot dial ("?", letters) in the incoming journal is left alone.
    if (incoming() && !digitsOnly(FTable->fieldValue(QStringLiteral("Phone")).toString()))
        return;
    TBookPage::GridDoubleClick();
}

bool TJournalPage::GridKey(int Key, const QString &Text)
{
    if (Key == Qt::Key_Delete) {
        DeleteCurrentRow();
        return true;
    }
    return TBookPage::GridKey(Key, Text);
}

void TJournalPage::ClearRows()
{
    if (incoming())
        static_cast<TIncomingCallBook *>(FTable)->ClearCalls();
    else
        static_cast<TOutgoingCallBook *>(FTable)->ClearCalls();
}

QString TJournalPage::ClearQuestion() const
{
    return incoming() ? QStringLiteral("Вы действительно хотите полностью очистить память входящих звонков?")
                      : QStringLiteral("Вы действительно хотите полностью очистить память исходящих звонков?");
}

QString TJournalPage::ClearProgress() const
{
    return incoming() ? QStringLiteral("Очистка памяти входящих звонков, подождите...")
                      : QStringLiteral("Очистка памяти исходящих звонков, подождите...");
}
