#include "TFormMessage.h"
#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

TFormMessage::TFormMessage(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FormMessage"));
    setModal(false);
    auto *layout = new QGridLayout(this);
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("MessageImage"));
    picture->setPixmap(QIcon(QStringLiteral(":/icons/message.svg")).pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop);
    layout->addWidget(picture, 0, 0, 2, 1);
    FFirst = new QLabel(this);
    FFirst->setObjectName(QStringLiteral("LabelFirst"));
    QFont big = FFirst->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    FFirst->setFont(big);
    layout->addWidget(FFirst, 0, 1);
    FSecond = new QLabel(this);
    FSecond->setObjectName(QStringLiteral("LabelSecond"));
    FSecond->setTextFormat(Qt::PlainText);
    layout->addWidget(FSecond, 1, 1);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(ok, 2, 0, 1, 2, Qt::AlignHCenter);
    setMinimumWidth(320);
}

void TFormMessage::ShowInfo(const QString &FirstLine, const QString &SecondLine, const QString &Caption)
{
    FFirst->setText(FirstLine);
    FFirst->setVisible(!FirstLine.isEmpty());
    // A carriage return in the text is a line break.
    FSecond->setText(QString(SecondLine).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    FSecond->setVisible(!SecondLine.isEmpty());
    setWindowTitle(Caption);
    adjustSize();
    if (!isVisible()) {
        FWasActive = false;
        show();
    }
    raise();
    activateWindow();
}

QString TFormMessage::FirstLine() const
{
    return FFirst->text();
}

QString TFormMessage::SecondLine() const
{
    return FSecond->text();
}

bool TFormMessage::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        FWasActive = true;
    else if (e->type() == QEvent::WindowDeactivate && FWasActive && isVisible()) {
        FWasActive = false;
        close();
    }
    return QDialog::event(e);
}
