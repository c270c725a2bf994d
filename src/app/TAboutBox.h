#pragma once
#include <QString>

class QMessageBox;
class QWidget;

// "О программе": the version, the licence, the project's address, the guide
// and where this run keeps its data (the folders `konvelo-cli paths` prints).
class TAboutBox {
public:
    static QString Text();
    // Opens the box over Parent without blocking; it deletes itself on close.
    static QMessageBox *Show(QWidget *Parent);
};
