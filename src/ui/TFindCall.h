#pragma once
// The search window "Поиск": the "calls" page builds a filter for a journal,
// the "subscribers" page searches the address book by number and keywords; the
// found rows are listed with their keys, can be jumped to, copied, or the
// criteria set as the journal's filter.
#include "TBookPage.h"
#include "search/TCallSearch.h"
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimeEdit;
class TAddressBook;
class TFormDateInterval;
class TFoundRowsModel;
class TSearchHits;
class TRecordTable;

class TFindCall : public QDialog {
    Q_OBJECT
public:
    TFindCall(TRecordTable *InCalls, TRecordTable *OutCalls, TAddressBook *Book, TFormDateInterval *Chooser,
              QWidget *parent = nullptr);

    // Prepares the window for the page the main window shows (FormShow); then exec().
    void Prepare(TBookKind Shown);

    // The "calls" page's criteria as the controls hold them.
    TCallCriteria Criteria() const;
    TAddressCriteria AddressCriteria() const;
    TPeriod Period() const { return FPeriod; }
    void SetPeriod(const TPeriod &Period);

    void SearchBtnClick();
    void FeedBtnClick();
    void CopyToClipboard();
    // Jumps to the first selected item's row; true (and the window closed) when found.
    bool JumpToSelected();
    // The ids of the listed rows, in list order.
    QList<qint64> ResultIds() const;
    void ClearResult() { clearResult(); }
    // True while a search runs (it lets the window's events run between its steps).
    bool Searching() const { return FSearching; }
    // Asks a running search to stop; the rows found so far stay listed.
    void StopSearch() { FStop = true; }

    QTabWidget *Pages() const { return FPages; }
    QListView *ResultView() const { return FResult; }
    TFoundRowsModel *ResultModel() const { return FModel; }
    QPushButton *StopBtn() const { return FStopBtn; }
    QLineEdit *NumEdit() const { return FNumEdit; }
    QPushButton *FeedBtn() const { return FFeedBtn; }

signals:
    // Closing with a non-empty list: the main window shows the searched table's page.
    void PageWanted(TBookKind Kind);
    // The criteria became the journal's filter: its filter button is to be shown down.
    void FilterSet(TBookKind Kind);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int r) override;

private:
    void buildCallsPage(QWidget *page);
    void buildAddressPage(QWidget *page);
    void callKindChanged();
    void updateEnables();
    void pageChanged(int Index);
    void clearResult();
    void searchAddressBook();
    void intervalClick();
    void runSearch(TSearchHits &Hits);
    bool addressPage() const;
    int firstSelectedRow() const;
    TRecordTable *journal() const;
    static void numberEdited(QLineEdit *Edit);

    TRecordTable *FInCalls;
    TRecordTable *FOutCalls;
    TAddressBook *FBook;
    TFormDateInterval *FChooser;
    TPeriod FPeriod;

    QTabWidget *FPages = nullptr;
    QRadioButton *FIncoming = nullptr;
    QRadioButton *FOutgoing = nullptr;
    QCheckBox *NumSearchCheck = nullptr;
    QLineEdit *FNumEdit = nullptr;
    QCheckBox *CatSearchCheck = nullptr;
    QComboBox *CatCombo = nullptr;
    QCheckBox *LengthCheck = nullptr;
    QComboBox *MoreLessCombo = nullptr;
    QTimeEdit *LengthEdit = nullptr;
    QCheckBox *GotRecord = nullptr;
    QCheckBox *GotMessage = nullptr;
    QCheckBox *GotAutoAnswer = nullptr;
    QCheckBox *GotCallPlace = nullptr;
    QRadioButton *CallFromVrx = nullptr;
    QRadioButton *CallFromPar = nullptr;
    QLabel *LabelInterval = nullptr;
    QLineEdit *PhoneEdit = nullptr;
    QLineEdit *NameEdit = nullptr;
    QLineEdit *AddressEdit = nullptr;
    QLineEdit *NotesEdit = nullptr;
    QListView *FResult = nullptr;
    TFoundRowsModel *FModel = nullptr;
    QProgressBar *FProgress = nullptr;
    QPushButton *FStopBtn = nullptr;
    QPushButton *FSearchBtn = nullptr;
    QPushButton *FFeedBtn = nullptr;
    QMenu *FPopup = nullptr;
    QAction *FSelectAll = nullptr;
    QAction *FCopy = nullptr;
    int FSearchedPage = 0;           // page the listed rows came from
    TCallKind FSearchedKind = ckIncoming;
    TRecordTable *FSearchedTable = nullptr;   // the table the listed rows belong to
    bool FSearching = false;
    bool FStop = false;
    int FListGeneration = 0;         // grows each time the list is cleared
};
