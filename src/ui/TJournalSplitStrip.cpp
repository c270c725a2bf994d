#include "TJournalSplitStrip.h"
#include <QMouseEvent>
#include <algorithm>

TJournalSplitStrip::TJournalSplitStrip(QWidget *Panel, QWidget *parent) : QWidget(parent), FPanel(Panel)
{
    setFixedHeight(4);
    setCursor(Qt::SizeVerCursor);
}

void TJournalSplitStrip::Drag(int Dy)
{
    const int h = FPanel->height();
    // Upwards makes the panel taller: it grows only up to 159 px and shrinks only from 51 px.
    if ((Dy < 0 && h <= MaxHeight - 1) || (Dy > 0 && h >= MinHeight + 1))
        FPanel->setFixedHeight(std::clamp(h - Dy, MinHeight, MaxHeight));
}

void TJournalSplitStrip::mousePressEvent(QMouseEvent *event)
{
    FLastY = int(event->globalPosition().y());
    QWidget::mousePressEvent(event);
}

void TJournalSplitStrip::mouseMoveEvent(QMouseEvent *event)
{
    const int y = int(event->globalPosition().y());
    if (event->buttons() & Qt::LeftButton) {
        Drag(y - FLastY);
        FLastY = y;
    }
    QWidget::mouseMoveEvent(event);
}
