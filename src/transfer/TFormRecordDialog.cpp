#include "TFormRecordDialog.h"
#include "TTalkDownload.h"
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFormRecordDialog::TFormRecordDialog(TTalkDownload &Download, QWidget *MainWindow, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      FDownload(Download), FMainWindow(MainWindow)
{
    setObjectName(QStringLiteral("FormRecordDialog"));
    setWindowTitle(QStringLiteral("Konvelo"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    SText1 = new QLabel(QStringLiteral("Перезапись"), this);
    SText1->setObjectName(QStringLiteral("SText1"));
    QFont bold = SText1->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    SText1->setFont(bold);
    SText1->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The search has no measure of its own: a running bar stands for it.
    Animate1 = new QProgressBar(this);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setRange(0, 0);
    Animate1->setTextVisible(false);
    Animate1->setMaximumHeight(10);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, TTalkDownload::ProgressMax);
    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setRange(0, TTalkDownload::ProgressMax);
    BitBtnStart = new QPushButton(QStringLiteral("Старт"), this);
    BitBtnStart->setObjectName(QStringLiteral("BitBtnStart"));
    BitBtnMinimize = new QPushButton(QStringLiteral("Свернуть"), this);
    BitBtnMinimize->setObjectName(QStringLiteral("BitBtnMinimize"));
    BitBtnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnStart->setAutoDefault(false);
    BitBtnMinimize->setAutoDefault(false);
    BitBtnCancel->setAutoDefault(false);

    layout->addWidget(SText1);
    layout->addWidget(Animate1);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(ProgressBar1);
    layout->addWidget(ProgressBar2);
    layout->addWidget(Label3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnStart);
    buttons->addWidget(BitBtnMinimize);
    buttons->addWidget(BitBtnCancel);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(BitBtnStart, &QPushButton::clicked, this, [this] {
        BitBtnStart->setEnabled(false);
        BitBtnMinimize->setVisible(true);
        FDownload.Start();
    });
    connect(BitBtnMinimize, &QPushButton::clicked, this, &TFormRecordDialog::BitBtnMinimizeClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, [this] {
        FormClose();
        FDownload.Cancel();
    });
    connect(&FDownload, &TTalkDownload::TextShown, this, &TFormRecordDialog::ShowText);
    connect(&FDownload, &TTalkDownload::ProgressChanged, this, &TFormRecordDialog::showProgress);
    connect(&FDownload, &TTalkDownload::Closed, this, &TFormRecordDialog::FormClose);
    connect(&FDownload, &TTalkDownload::Interrupted, this, &TFormRecordDialog::showNotice);
}

void TFormRecordDialog::ShowText(const QString &Heading, const QString &Line1, bool Progress, bool StartEnabled,
                                 const QString &Line2, bool Searching, bool SeveralBookMarks)
{
    FSeveral = SeveralBookMarks;
    if (!isVisible()) {
        show();
        if (const QScreen *screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.left() + (area.width() - width()) / 2, y() < area.top() ? area.top() + 100 : y());
        }
    }
    Animate1->setVisible(Searching);
    if (FMainWindow)
        FMainWindow->setEnabled(false);
    BitBtnStart->setEnabled(StartEnabled);
    BitBtnMinimize->setVisible(!StartEnabled);
    ProgressBar1->setVisible(Progress);
    ProgressBar2->setVisible(Progress && SeveralBookMarks);
    SText1->setText(Heading);
    if (!Line1.isEmpty() || !Line2.isEmpty() || !Progress) {
        Label1->setText(Line1);
        Label2->setText(Line2);
    }
    Label3->clear();
}

void TFormRecordDialog::showProgress(int Talk, int All, const QString &Remaining)
{
    ProgressBar1->setValue(Talk);
    if (FSeveral)
        ProgressBar2->setValue(All);
    if (!Remaining.isEmpty())
        Label3->setText(Remaining);
}

void TFormRecordDialog::FormClose()
{
    if (FMainWindow)
        FMainWindow->setEnabled(true);
    hide();
}

void TFormRecordDialog::closeEvent(QCloseEvent *event)
{
    // The title bar's close is Cancel.
    event->ignore();
    BitBtnCancel->click();
}

void TFormRecordDialog::reject()
{
    BitBtnCancel->click();
}

void TFormRecordDialog::BitBtnMinimizeClick()
{
    if (FMainWindow)
        FMainWindow->window()->showMinimized();
    showMinimized();
}

void TFormRecordDialog::showNotice(const QString &Message)
{
    if (!Notice) {
        Notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Konvelo"), QString(), QMessageBox::Ok, this);
        Notice->setObjectName(QStringLiteral("DownloadNotice"));
        Notice->setWindowModality(Qt::NonModal);
    }
    Notice->setText(Message);
    Notice->show();
}
