#pragma once
// A quick-dial button: shows FullCaption (cut with "..." when it does not fit)
// and dials DialNumber when pressed.
#include <QToolButton>

class THotCallBtn : public QToolButton {
    Q_OBJECT
public:
    explicit THotCallBtn(QWidget *parent = nullptr);

    QString FullCaption() const { return FFullCaption; }
    void SetFullCaption(const QString &Caption);
    QString DialNumber;

    // The text shown for Caption on a button Width px wide.
    static QString CutCaption(const QFontMetrics &Metrics, const QString &Caption, int Width);
    // The text currently shown.
    QString ShownText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateText();
    QString FFullCaption;
};
