#pragma once
// The program's own small information window: always on top, no border
// buttons, a large first line, a smaller second line, a picture and "OK".
#include <QDialog>

class QLabel;

class TFormMessage : public QDialog {
    Q_OBJECT
public:
    explicit TFormMessage(QWidget *parent = nullptr);

    // Shows the texts without waiting; "OK" or losing the focus closes it.
    void ShowInfo(const QString &FirstLine, const QString &SecondLine, const QString &Caption);
    QString FirstLine() const;
    QString SecondLine() const;

protected:
    bool event(QEvent *e) override;

private:
    QLabel *FFirst;
    QLabel *FSecond;
    bool FWasActive = false;
};
