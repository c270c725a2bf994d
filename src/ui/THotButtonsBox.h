#pragma once
// The group box "Горячие номера": 18 quick-dial buttons bound to address-book
// subscribers through the bindings file, in 6 columns of 3, numbered down the columns.
#include <QGroupBox>
#include <QList>
#include <functional>

class TAddressBook;
class THotButtonFile;
class THotCallBtn;

class THotButtonsBox : public QGroupBox {
    Q_OBJECT
public:
    // Both must outlive the box. Dial gets the number of a pressed button.
    THotButtonsBox(TAddressBook *Book, THotButtonFile *File, std::function<void(const QString &)> Dial,
                   QWidget *parent = nullptr);

    void RefreshHotButtons();
    // Binds button ButtonNo (1..18) to the address book's current row.
    void AssignHotButton(int ButtonNo);
    // Unbinds entry Index (0..17).
    void FreeHotButton(int Index);
    int HotButtonOf(qint64 Person_ID) const;
    bool HotButtonUsed(int ButtonNo) const;
    int FirstFreeHotButton() const;
    // The address book was cleared: every entry unbound, the file saved.
    void FreeAll();

    // Button ButtonNo (1..18), null for other numbers.
    THotCallBtn *Button(int ButtonNo) const;

    static const QString NoData;   // "нет данных"

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutButtons();
    void setUnbound(THotCallBtn *b);
    // Nameless is the caption for a subscriber without a name.
    void setBound(THotCallBtn *b, const QString &Name, const QString &Phone, const QString &Nameless);

    TAddressBook *FBook;
    THotButtonFile *FFile;
    std::function<void(const QString &)> FDial;
    QList<THotCallBtn *> FButtons;
};
