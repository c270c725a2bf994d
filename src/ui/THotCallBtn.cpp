#include "THotCallBtn.h"
#include <QFontMetrics>
#include <QResizeEvent>

THotCallBtn::THotCallBtn(QWidget *parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void THotCallBtn::SetFullCaption(const QString &Caption)
{
    FFullCaption = Caption;
    updateText();
}

QString THotCallBtn::CutCaption(const QFontMetrics &Metrics, const QString &Caption, int Width)
{
    const int textWidth = Metrics.horizontalAdvance(Caption);
    if (textWidth + 10 < Width)
        return Caption;
    const QString dots = QStringLiteral("...");
    const double r = double(Width - Metrics.horizontalAdvance(dots)) / double(textWidth + 10);
    QString shown = Caption;
    if (r > 0)
        shown = Caption.left(int(r * Caption.size()));
    return shown + dots;
}

QString THotCallBtn::ShownText() const
{
    return text();
}

void THotCallBtn::updateText()
{
    setText(CutCaption(fontMetrics(), FFullCaption, width()));
}

void THotCallBtn::resizeEvent(QResizeEvent *event)
{
    QToolButton::resizeEvent(event);
    updateText();
}
