#pragma once
// The dial box phNumber: accepts only the characters of a dialable number, shows
// its text in upper case and completes typed text from the dial list, leaving
// the completed part selected. Enter and Escape are reported, not acted on.
#include <QLineEdit>
#include <functional>

class TDialBox : public QLineEdit {
    Q_OBJECT
public:
    // The completion lookup: the first listed number beginning with the typed
    // text, or an empty text (TDialList::Complete).
    using TCompletion = std::function<QString(const QString &Typed)>;

    explicit TDialBox(QWidget *parent = nullptr);

    void SetCompletion(TCompletion Completion) { FCompletion = std::move(Completion); }

    // Puts a number into the box (address book, hot buttons): upper case, no completion.
    void SetNumber(const QString &Number);

    // "0".."9", "*", "#", "(", ")", "E", "F", "G", "J", "L", "P", "T", "П".
    static bool IsAccepted(QChar C);

signals:
    // Enter was pressed (always swallowed); the text is the box's text untrimmed.
    void EnterPressed(const QString &Text);
    void EscapePressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void textEditedByUser(const QString &text);
    void upperCase();
    void complete();

    TCompletion FCompletion;
    bool FInChange = false;
};
