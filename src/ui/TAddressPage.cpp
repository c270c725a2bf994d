#include "TAddressPage.h"
#include "IPageHost.h"
#include "THotButtonsBox.h"
#include "TNewPerson.h"
#include "TRecordPlayback.h"
#include "config/TConfig.h"
#include "records/TAddressBook.h"
#include "records/TTableError.h"
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TAddressPage::TAddressPage(TAddressBook *Book, TConfig &Config, IPageHost &Host, TFormMessage *Messages,
                           QWidget *parent)
    : TBookPage(bkAddress, Book, Config, Host, Messages, parent), FBook(Book)
{
    setObjectName(QStringLiteral("TabSheetAddress"));
    FToolBar->setObjectName(QStringLiteral("AddressToolBar"));
    FSearchBtn = AddButton(QStringLiteral("AddrSearchBtn"), QStringLiteral("Искать"), QStringLiteral("Искать абонента"));
    FNewBtn = AddButton(QStringLiteral("NewPersonBtn"), QStringLiteral("Добавить"), QStringLiteral("Добавить абонента"));
    connect(FNewBtn, &QToolButton::clicked, this, &TAddressPage::AddPersonClick);
    FEditBtn = AddButton(QStringLiteral("EditPersonBtn"), QStringLiteral("Редактировать"),
                         QStringLiteral("Редактировать абонента"));
    FDeleteBtn = AddButton(QStringLiteral("DeletePersonBtn"), QStringLiteral("Удалить"),
                           QStringLiteral("Удалить абонента"));
    connect(FDeleteBtn, &QToolButton::clicked, this, &TAddressPage::DeletePersonClick);
    connect(FEditBtn, &QToolButton::clicked, this, &TAddressPage::EditPersonClick);
    // The undefined number ("???????") is as long as the regional numbers, also
    // right after the settings change them.
    FBook->setRegionalNumberLength(FConfig.RegionalNumberLength);
    connect(&FConfig, &TConfig::SettingsApplied, this,
            [this] { FBook->setRegionalNumberLength(FConfig.RegionalNumberLength); });

    BuildGrid({{QStringLiteral("Phone"), QStringLiteral("Телефон")},
               {QStringLiteral("Name"), QStringLiteral("Имя")},
               {QStringLiteral("Address"), QStringLiteral("Адрес")}},
              QStringLiteral("Параметры"));
    FGrid->setObjectName(QStringLiteral("AddressGrid"));
    auto *box = static_cast<QVBoxLayout *>(layout());
    box->setStretchFactor(FGrid, 3);
    FNotes = new QPlainTextEdit(this);
    FNotes->setObjectName(QStringLiteral("Notes"));
    FNotes->setReadOnly(true);
    box->addWidget(FNotes, 2);
    auto showNotes = [this] { FNotes->setPlainText(FBook->fieldValue(QStringLiteral("Notes")).toString()); };
    connect(FBook, &TRecordTable::currentChanged, FNotes, showNotes);
    showNotes();

    FPopup = new QMenu(this);
    FPopup->setObjectName(QStringLiteral("AddressPopup"));
    auto item = [this](const QString &name, const QString &text, bool enabled) {
        QAction *a = FPopup->addAction(text);
        a->setObjectName(name);
        a->setEnabled(enabled);
        return a;
    };
    FAddItem = item(QStringLiteral("AddPersonItem"), QStringLiteral("&Добавить абонента"), false);
    connect(FAddItem, &QAction::triggered, this, &TAddressPage::AddPersonClick);
    FEditItem = item(QStringLiteral("EditPersonItem"), QStringLiteral("&Редактировать абонента"), false);
    connect(FEditItem, &QAction::triggered, this, &TAddressPage::EditPersonClick);
    FDeleteItem = item(QStringLiteral("DeletePersonItem"), QStringLiteral("&Удалить абонента"), true);
    connect(FDeleteItem, &QAction::triggered, this, &TAddressPage::DeletePersonClick);
    FDialItem = item(QStringLiteral("DialPersonItem"), QStringLiteral("&Набрать номер"), true);
    connect(FDialItem, &QAction::triggered, this, &TAddressPage::GridDoubleClick);
    QAction *info = item(QStringLiteral("AddressNumberInfoItem"), QStringLiteral("Информация о номере"), true);
    connect(info, &QAction::triggered, this, [this] {
        if (!FBook->isEmpty())
            emit NumberInfoRequested(FBook->fieldValue(QStringLiteral("Phone")).toString());
    });
    FPopup->addSeparator();
    FImportItem = item(QStringLiteral("ImportContactsItem"), QStringLiteral("Импорт контактов…"), true);
    connect(FImportItem, &QAction::triggered, this, &TAddressPage::ImportContactsRequested);
    connect(FPopup, &QMenu::aboutToShow, this, &TAddressPage::UpdateAddressCommands);
    connect(FGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { FPopup->popup(FGrid->viewport()->mapToGlobal(p)); });

    connect(FBook, &TRecordTable::changed, this, &TAddressPage::UpdateAddressCommands);
    installEventFilter(this);
    UpdateAddressCommands();
}

void TAddressPage::RefreshCurrentRow()
{
    if (FPlayback)
        FPlayback->EnablePlayButton(false);
}

void TAddressPage::UpdateDeleteCommand()
{
    FDeleteBtn->setEnabled(!FBook->isEmpty());
}

void TAddressPage::UpdateAddressCommands()
{
    const bool any = !FBook->isEmpty();
    for (QAction *a : {FEditItem, FDeleteItem, FDialItem})
        a->setVisible(any);
    const bool dialog = FPersonDialog != nullptr;
    FAddItem->setEnabled(dialog);
    FNewBtn->setEnabled(dialog);
    FEditItem->setEnabled(dialog);
    FEditBtn->setEnabled(dialog && any);
    FDeleteBtn->setEnabled(any);
}

void TAddressPage::SetPersonDialog(TNewPerson *Dialog)
{
    FPersonDialog = Dialog;
    UpdateAddressCommands();
}

void TAddressPage::showTableError(const QString &Text)
{
    QMessageBox::warning(window(), QApplication::applicationName(), Text);
}

void TAddressPage::addFromDialog()
{
    if (FPersonDialog->exec() == QDialog::Accepted) {
        const TSubscriber s = FPersonDialog->GetSubscriber();
        try {
            FBook->AddPerson(s.Phone, s.Name, uint8_t(s.Attributes), s.Address, s.Notes, s.SoundFile, s.Volume,
                             s.Creschendo);
            // The new row is the current one: the button goes to it.
            if (FHotButtons) {
                if (s.HotButton > 0)
                    FHotButtons->AssignHotButton(s.HotButton);
                FHotButtons->RefreshHotButtons();
            }
        } catch (const TTableError &e) {
            showTableError(e.message());
        }
        FGrid->viewport()->update();
        emit CurrentRowChanged();
    }
    UpdateAddressCommands();
}

void TAddressPage::AddPersonClick()
{
    if (!FPersonDialog || Restricted())
        return;
    FPersonDialog->ClearSubscriber();
    addFromDialog();
}

void TAddressPage::CopyToBook(const QString &Phone)
{
    if (!FPersonDialog || Restricted())
        return;
    FPersonDialog->ClearSubscriber();
    FPersonDialog->SetPhone(Phone);
    addFromDialog();
}

void TAddressPage::EditPersonClick()
{
    if (!FPersonDialog || Restricted() || FBook->isEmpty())
        return;
    const qint64 person = FBook->currentKey();
    const int oldEntry = FHotButtons ? FHotButtons->HotButtonOf(person) : -1;
    TSubscriber old;
    old.Phone = FBook->fieldValue(QStringLiteral("Phone")).toString();
    old.Name = FBook->fieldValue(QStringLiteral("Name")).toString();
    old.Address = FBook->fieldValue(QStringLiteral("Address")).toString();
    old.Notes = FBook->fieldValue(QStringLiteral("Notes")).toString();
    old.SoundFile = FBook->fieldValue(QStringLiteral("SoundFile")).toString();
    const QVariant volume = FBook->fieldValue(QStringLiteral("Volume"));
    old.Volume = volume.isNull() ? -1 : volume.toInt();
    old.Creschendo = FBook->fieldValue(QStringLiteral("Creschendo")).toBool();
    old.Attributes = FBook->CurrentAttributes();
    old.HotButton = oldEntry + 1;
    FPersonDialog->ClearSubscriber();
    FPersonDialog->SetSubscriber(old);
    if (FPersonDialog->exec() == QDialog::Accepted) {
        const TSubscriber s = FPersonDialog->GetSubscriber();
        try {
            if (FBook->UpdatePerson(person, s.Phone, s.Name, uint8_t(s.Attributes), s.Address, s.Notes, s.SoundFile,
                                    s.Volume, s.Creschendo)
                && FHotButtons) {
                // A subscriber holds one button at most: a new number frees the old one.
                if (s.HotButton > 0 && FBook->FindPerson(person))
                    FHotButtons->AssignHotButton(s.HotButton);
                if (oldEntry >= 0 && oldEntry + 1 != s.HotButton)
                    FHotButtons->FreeHotButton(oldEntry);
                FHotButtons->RefreshHotButtons();
            }
        } catch (const TTableError &e) {
            showTableError(e.message());
        }
        FGrid->viewport()->update();
        emit CurrentRowChanged();
    }
    UpdateAddressCommands();
}

void TAddressPage::freeHotButtonOfCurrentPerson()
{
    if (!FHotButtons)
        return;
    const int hot = FHotButtons->HotButtonOf(FBook->currentKey());
    if (hot >= 0)
        FHotButtons->FreeHotButton(hot);
}

void TAddressPage::DeleteRow()
{
    freeHotButtonOfCurrentPerson();
    FBook->DeleteCurrent();
    UpdateAddressCommands();
}

void TAddressPage::DeletePersonClick()
{
    if (Restricted() || FBook->isEmpty())
        return;
    const QVariant name = FBook->fieldValue(QStringLiteral("Name"));
    const QString question = QStringLiteral("Вы действительно хотите удалить абонента")
        + (name.isNull() ? QString() : QLatin1Char(' ') + name.toString()) + QLatin1Char('?');
    if (!FHost.ConfirmDelete(question))
        return;
    try {
        freeHotButtonOfCurrentPerson();
        FBook->DeleteCurrent();
    } catch (const TTableError &e) {
        QMessageBox::warning(window(), QApplication::applicationName(), e.message());
    }
    FGrid->viewport()->update();
    UpdateAddressCommands();
    emit CurrentRowChanged();
}

void TAddressPage::ClearRows()
{
    FBook->clear();
}

QString TAddressPage::ClearQuestion() const
{
    return QStringLiteral("Вы действительно хотите полностью очистить записную книжку?");
}

QString TAddressPage::ClearProgress() const
{
    return QStringLiteral("Очистка адресной книги, подождите...");
}

void TAddressPage::RowsCleared()
{
    if (FHotButtons)
        FHotButtons->FreeAll();
    UpdateAddressCommands();
}

bool TAddressPage::eventFilter(QObject *watched, QEvent *event)
{
    // Before the page's layout moves the grid.
    if (watched == this) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            resizeToPage();
        return false;
    }
    return TBookPage::eventFilter(watched, event);
}

void TAddressPage::resizeToPage()
{
    // The grid's width is the page's less the margins.
    const QMargins margins = layout()->contentsMargins();
    const int height = contentsRect().height() * 60 / 100 - FToolBar->sizeHint().height();
    FGrid->setFixedHeight(std::max(height, 40));
    const int w = contentsRect().width() - margins.left() - margins.right() - 80;
    FGrid->setColumnWidth(0, 80);
    FGrid->setColumnWidth(1, qRound(w / 3.0));
    FGrid->setColumnWidth(2, qRound(w / 2.0));
}
