#include "THotButtonsBox.h"
#include "THotCallBtn.h"
#include "records/TAddressBook.h"
#include "records/THotButtonFile.h"
#include <QResizeEvent>

const QString THotButtonsBox::NoData = QStringLiteral("нет данных");

THotButtonsBox::THotButtonsBox(TAddressBook *Book, THotButtonFile *File,
                               std::function<void(const QString &)> Dial, QWidget *parent)
    : QGroupBox(QStringLiteral("Горячие номера"), parent), FBook(Book), FFile(File), FDial(std::move(Dial))
{
    setObjectName(QStringLiteral("GroupBoxHot"));
    setFixedHeight(130);
    for (int i = 0; i < THotButtonFile::Count; ++i) {
        auto *b = new THotCallBtn(this);
        b->setObjectName(QStringLiteral("HotBtn%1").arg(i + 1));
        connect(b, &QToolButton::clicked, this, [this, b] {
            if (FDial && !b->DialNumber.isEmpty())
                FDial(b->DialNumber);
        });
        FButtons << b;
        b->show();
    }
    RefreshHotButtons();
    layoutButtons();
}

THotCallBtn *THotButtonsBox::Button(int ButtonNo) const
{
    return ButtonNo >= 1 && ButtonNo <= FButtons.size() ? FButtons.at(ButtonNo - 1) : nullptr;
}

void THotButtonsBox::setUnbound(THotCallBtn *b)
{
    b->SetFullCaption(NoData);
    b->DialNumber.clear();
    b->setToolTip(QString());
    b->setEnabled(false);
}

void THotButtonsBox::setBound(THotCallBtn *b, const QString &Name, const QString &Phone, const QString &Nameless)
{
    b->setEnabled(true);
    b->SetFullCaption(Name.isEmpty() ? Nameless : Name);
    b->DialNumber = Phone;
    b->setToolTip(Phone);
}

void THotButtonsBox::RefreshHotButtons()
{
    const TTableSchema &s = FBook->schema();
    const int phone = s.fieldIndex(QStringLiteral("Phone"));
    const int name = s.fieldIndex(QStringLiteral("Name"));
    for (int i = 0; i < FButtons.size(); ++i) {
        THotCallBtn *b = FButtons.at(i);
        const qint64 id = FFile->entry(i);
        if (id < 0) {
            setUnbound(b);
            continue;
        }
        // Read by key: the address book's current row stays where it is.
        const QVariantList row = FBook->rowByKey(id);
        if (row.isEmpty())
            continue;   // a subscriber that is gone: the button keeps what it had
        setBound(b, row.value(name).toString(), row.value(phone).toString(), QStringLiteral("без имени"));
    }
}

void THotButtonsBox::AssignHotButton(int ButtonNo)
{
    THotCallBtn *b = Button(ButtonNo);
    if (!b || FBook->isEmpty())
        return;
    FFile->assign(ButtonNo, FBook->currentKey());
    setBound(b, FBook->fieldValue(QStringLiteral("Name")).toString(),
             FBook->fieldValue(QStringLiteral("Phone")).toString(), QStringLiteral("Без имени"));
}

void THotButtonsBox::FreeHotButton(int Index)
{
    if (Index < 0 || Index >= FButtons.size())
        return;
    FFile->free(Index);
    setUnbound(FButtons.at(Index));
}

int THotButtonsBox::HotButtonOf(qint64 Person_ID) const
{
    return FFile->hotButtonOf(Person_ID);
}

bool THotButtonsBox::HotButtonUsed(int ButtonNo) const
{
    return FFile->hotButtonUsed(ButtonNo);
}

int THotButtonsBox::FirstFreeHotButton() const
{
    return FFile->firstFreeHotButton();
}

void THotButtonsBox::FreeAll()
{
    FFile->freeAll();
    for (THotCallBtn *b : FButtons)
        setUnbound(b);
}

void THotButtonsBox::layoutButtons()
{
    const int w = (width() - 100) / 6;
    const int h = (height() - 44) / 3;
    for (int k = 0; k < FButtons.size(); ++k) {
        const int col = k / 3;
        const int row = k % 3;
        FButtons.at(k)->setGeometry(20 + col * (w + 10), 20 + row * (h + 7), std::max(w, 0), std::max(h, 0));
    }
}

void THotButtonsBox::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    layoutButtons();
}
