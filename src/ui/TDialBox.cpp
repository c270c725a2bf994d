#include "TDialBox.h"
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

TDialBox::TDialBox(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("phNumber"));
    connect(this, &QLineEdit::textEdited, this, &TDialBox::textEditedByUser);
    connect(this, &QLineEdit::textChanged, this, [this] { upperCase(); });
}

bool TDialBox::IsAccepted(QChar C)
{
    static const QString accepted = QStringLiteral("0123456789*#()EFGJLPTП");
    return accepted.contains(C);
}

void TDialBox::SetNumber(const QString &Number)
{
    setText(Number.toUpper());
}

void TDialBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit EnterPressed(text());
        return;
    case Qt::Key_Escape:
        event->accept();
        emit EscapePressed();
        return;
    case Qt::Key_Backspace:
        if (hasSelectedText()) {
            // The completion and the last typed character go together.
            event->accept();
            const int start = selectionStart();
            setText(text().left(qMax(0, start - 1)));
            complete();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (typed.isEmpty() || command || !typed.at(0).isPrint()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString upper = typed.toUpper();
    for (QChar c : upper)
        if (!IsAccepted(c)) {
            event->accept();
            return;
        }
    QKeyEvent shifted(event->type(), event->key(), event->modifiers(), upper, event->isAutoRepeat(),
                      ushort(event->count()));
    QLineEdit::keyPressEvent(&shifted);
    event->setAccepted(shifted.isAccepted());
}

void TDialBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // After the mouse press that brought the focus has placed the caret.
    QTimer::singleShot(0, this, [this] { selectAll(); });
}

void TDialBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        selectAll();
}

void TDialBox::textEditedByUser(const QString &)
{
    complete();
}

void TDialBox::upperCase()
{
    if (FInChange)
        return;
    const QString t = text();
    const QString upper = t.toUpper();
    if (upper == t)
        return;
    FInChange = true;
    const int caret = cursorPosition();
    setText(upper);
    setCursorPosition(caret);
    FInChange = false;
}

void TDialBox::complete()
{
    upperCase();
    const QString typed = text();
    if (typed.isEmpty() || !FCompletion)
        return;
    const QString entry = FCompletion(typed);
    if (entry.isEmpty() || !entry.startsWith(typed))
        return;
    FInChange = true;
    setText(entry);
    FInChange = false;
    setSelection(int(typed.size()), int(entry.size() - typed.size()));
}
