#pragma once
// The address-book page: its toolbar, the grid laid out to the page's size,
// the notes of the current subscriber, the pop-up menu, and deleting
// subscribers together with their hot buttons.
#include "TBookPage.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class TAddressBook;
class THotButtonsBox;
class TNewPerson;
struct TSubscriber;

class TAddressPage : public TBookPage {
    Q_OBJECT
public:
    TAddressPage(TAddressBook *Book, TConfig &Config, IPageHost &Host, TFormMessage *Messages,
                 QWidget *parent = nullptr);

    // The hot buttons freed with their subscribers; may stay null.
    void SetHotButtons(THotButtonsBox *HotButtons) { FHotButtons = HotButtons; }
    // The subscriber dialog the add and edit commands show; until it is set
    // they stay disabled.
    void SetPersonDialog(TNewPerson *Dialog);
    TNewPerson *PersonDialog() const { return FPersonDialog; }

    void RefreshCurrentRow() override;
    void UpdateDeleteCommand() override;
    // "&Удалить абонента": asks with the subscriber's name.
    void DeletePersonClick();
    // "&Добавить абонента" and "&Редактировать абонента" through the subscriber dialog.
    void AddPersonClick();
    void EditPersonClick();
    // A new subscriber with this number (copied from a journal row).
    void CopyToBook(const QString &Phone);
    // The pop-up items and the edit and delete buttons by whether there are subscribers.
    void UpdateAddressCommands();
    QMenu *Popup() const { return FPopup; }
    QAction *ImportItem() const { return FImportItem; }
    // "Искать абонента": disabled until the main window connects it.
    QToolButton *SearchButton() const { return FSearchBtn; }

signals:
    // "Импорт контактов…" in the pop-up menu.
    void ImportContactsRequested();
    // "Информация о номере": the current subscriber's number.
    void NumberInfoRequested(const QString &Number);

protected:
    void DeleteRow() override;
    void ClearRows() override;
    QString ClearQuestion() const override;
    QString ClearProgress() const override;
    void RowsCleared() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void freeHotButtonOfCurrentPerson();
    // Shows the dialog modally; after OK adds its subscriber with his button.
    void addFromDialog();
    void showTableError(const QString &Text);
    void resizeToPage();

    TAddressBook *FBook;
    THotButtonsBox *FHotButtons = nullptr;
    TNewPerson *FPersonDialog = nullptr;
    QToolButton *FNewBtn = nullptr;
    QAction *FAddItem = nullptr;
    QToolButton *FSearchBtn = nullptr;
    QToolButton *FEditBtn = nullptr;
    QToolButton *FDeleteBtn = nullptr;
    QPlainTextEdit *FNotes = nullptr;
    QMenu *FPopup = nullptr;
    QAction *FEditItem = nullptr;
    QAction *FDeleteItem = nullptr;
    QAction *FDialItem = nullptr;
    QAction *FImportItem = nullptr;
};
