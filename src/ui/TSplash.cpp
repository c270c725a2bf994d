#include "TSplash.h"
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TSplash::TSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Splash"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("SplashImage"));
    picture->setPixmap(QIcon(QStringLiteral(":/icons/splash.svg")).pixmap(360, 200));
    layout->addWidget(picture);
    FText = new QLabel(QStringLiteral("Инициализация..."), this);
    FText->setObjectName(QStringLiteral("SplashLabel"));
    FText->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(FText);
    setStyleSheet(QStringLiteral("TSplash { background: #e8eef8; border: 1px solid #123262; }"));
    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplash::SplashText(const QString &Text)
{
    if (!isVisible())
        show();
    FText->setText(Text + QStringLiteral("..."));
    FText->repaint();
    QApplication::processEvents();
}

QString TSplash::Text() const
{
    return FText->text();
}
