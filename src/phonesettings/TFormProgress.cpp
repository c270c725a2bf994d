#include "TFormProgress.h"
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

const QString TFormProgress::DesignCaption = QStringLiteral("Загрузка");
const QString TFormProgress::WriteCaption = QStringLiteral("Загрузка параметров в телефон");
const QString TFormProgress::ReadCaption = QStringLiteral("Загрузка параметров из телефона");
const QString TFormProgress::CountText = QStringLiteral("Обработано параметров:  ");

TFormProgress::TFormProgress(TParamModel &Model, IParamLink &Link, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      FTimer([this] { FTransfer.TimerTick(); }), FTransfer(Model, Link, FTimer)
{
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(DesignCaption);
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(40, 40));
    Label1 = new QLabel(QStringLiteral("Параметры:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    LabelParam = new QLabel(this);
    LabelParam->setObjectName(QStringLiteral("LabelParam"));
    LabelParam->setMinimumWidth(320);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setFormat(QStringLiteral("%v / %m"));
    ProgressBar->setMinimumWidth(320);
    ButtonCancel = new QPushButton(QStringLiteral("Отмена"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto *text = new QVBoxLayout;
    text->addWidget(Label1);
    text->addWidget(LabelParam);
    text->addWidget(ProgressBar);
    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonCancel);
    buttons->addStretch();
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(ButtonCancel, &QPushButton::clicked, this, [this] { FTransfer.Cancel(); });
    FTransfer.OnProgress = [this](int p, int m, const TParam *c) { progress(p, m, c); };
    FTransfer.OnDone = [this](TTransferResult r) {
        hide();
        if (OnTransferDone)
            OnTransferDone(r);
    };
}

void TFormProgress::StartTransfer(TTransferMode Mode, bool OnlyMissing)
{
    if (FTransfer.Running())
        return;
    setWindowTitle(Mode == ptmRead ? ReadCaption : WriteCaption);
    LabelParam->clear();
    if (!isVisible()) {
        if (const QScreen *s = QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - rect().center());
        show();
    }
    FTransfer.StartTransfer(Mode, OnlyMissing);
}

void TFormProgress::ParamReceived(quint16 Address, const QList<quint16> &Values)
{
    FTransfer.ParamAnswer(Address, Values);
}

void TFormProgress::progress(int Position, int Maximum, const TParam *Current)
{
    ProgressBar->setMaximum(qMax(Maximum, 1));
    ProgressBar->setValue(Position);
    Label1->setText(CountText + QString::number(Position));
    if (Current)
        LabelParam->setText(QStringLiteral("%1: %2").arg(Current->Id).arg(Current->Name));
}
