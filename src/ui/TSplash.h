#pragma once
// The start-up window: a picture and one line of text.
#include <QWidget>

class QLabel;

class TSplash : public QWidget {
    Q_OBJECT
public:
    explicit TSplash(QWidget *parent = nullptr);

    // Shows the window if hidden, sets the line to Text + "..." and paints it at once.
    void SplashText(const QString &Text);
    QString Text() const;

private:
    QLabel *FText;
};
