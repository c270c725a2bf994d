#pragma once
// The thin strip along the top edge of an information-fields panel: dragging it
// with the left button changes the panel's height, kept between 50 and 160 px.
#include <QWidget>

class TJournalSplitStrip : public QWidget {
public:
    static constexpr int MinHeight = 50;
    static constexpr int MaxHeight = 160;

    // Panel is the widget whose height the strip changes.
    TJournalSplitStrip(QWidget *Panel, QWidget *parent);

    // The vertical mouse movement Dy (negative upwards) while the button is held.
    void Drag(int Dy);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QWidget *FPanel;
    int FLastY = 0;
};
