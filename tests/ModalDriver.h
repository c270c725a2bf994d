#pragma once
// Drives a modal window the way a person does: exec() is entered for real and
// the steps run inside its loop, one after another, from a timer. Keys, clicks
// and close requests go through the window system (the QWindow), so a window
// that the modal one blocks stays blocked, as on the desktop. Message boxes
// that come up meanwhile are answered and their texts kept.
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <vector>

class ModalDriver {
public:
    explicit ModalDriver(QDialog &Dialog) : FDialog(&Dialog) {}

    // A step that acts once.
    ModalDriver &Do(std::function<void()> Step)
    {
        FSteps.push_back({std::move(Step), {}, 0, QString()});
        return *this;
    }
    // A step that waits until Done holds; running out of time ends the run
    // with Failure set to What.
    ModalDriver &WaitUntil(std::function<bool()> Done, const QString &What, int Ms = 5000)
    {
        FSteps.push_back({{}, std::move(Done), Ms, What});
        return *this;
    }
    ModalDriver &Pause(int Ms)
    {
        auto until = std::make_shared<QDeadlineTimer>();
        Do([until, Ms] { *until = QDeadlineTimer(Ms); });
        return WaitUntil([until] { return until->hasExpired(); }, QString(), Ms + 5000);
    }

    // exec()s the window and runs the steps inside its loop; returns exec()'s
    // result once the window has closed. When it is still open LimitMs after
    // the start, or a wait ran out, it is ended with done() and TimedOut set.
    int Run(int LimitMs = 30000)
    {
        QTimer tick;
        const QDeadlineTimer limit(LimitMs);
        QDeadlineTimer waitLimit;
        bool waiting = false, busy = false;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            answerBoxes();
            if (!FDialog || !FDialog->isVisible())
                return;
            if (limit.hasExpired()) {
                TimedOut = true;
                FDialog->done(QDialog::Rejected);
                return;
            }
            if (busy)   // a step is running, maybe inside a nested loop of its own
                return;
            while (FNext < FSteps.size()) {
                Step &s = FSteps[FNext];
                if (s.Done) {
                    if (!waiting) {
                        waiting = true;
                        waitLimit = QDeadlineTimer(s.Ms);
                    }
                    if (!s.Done()) {
                        if (waitLimit.hasExpired()) {
                            Failure = s.What;
                            TimedOut = true;
                            FDialog->done(QDialog::Rejected);
                        }
                        break;
                    }
                    waiting = false;
                    ++FNext;
                    continue;
                }
                ++FNext;
                // Outside this timer's handler: a timer does not fire again
                // while its handler runs, and the step may open a message box.
                busy = true;
                QTimer::singleShot(0, &tick, [&busy, action = s.Action] {
                    action();
                    busy = false;
                });
                break;
            }
        });
        tick.start(10);
        const int result = FDialog->exec();
        tick.stop();
        return result;
    }

    // All steps ran before the window closed.
    bool Finished() const { return FNext == FSteps.size(); }
    bool TimedOut = false;
    QString Failure;
    // Texts of the message boxes that came up, in order.
    QStringList Boxes;
    // The button pressed in each box; by default its escape or default button.
    std::function<QMessageBox::StandardButton(const QMessageBox &)> AnswerBox;

    // A key pressed while W's window is active: its focus widget gets it.
    static void PressKey(QWidget *W, Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
    {
        QTest::keyClick(windowOf(W), Key, Modifiers);
    }
    // A left click on the middle of W.
    static void Click(QWidget *W)
    {
        QTest::mouseClick(windowOf(W), Qt::LeftButton, Qt::NoModifier,
                          W->mapTo(W->window(), W->rect().center()));
    }
    // The title-bar button or Alt+F4: the platform asks the window to close.
    static void CloseWindow(QWidget *W) { windowOf(W)->close(); }

private:
    struct Step {
        std::function<void()> Action;
        std::function<bool()> Done;
        int Ms;
        QString What;
    };

    static QWindow *windowOf(QWidget *W)
    {
        QWidget *top = W->window();
        if (!top->windowHandle())
            top->winId();
        return top->windowHandle();
    }

    void answerBoxes()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible() || FAnswered.contains(box))
                continue;
            FAnswered << box;
            Boxes << box->text();
            QAbstractButton *b = AnswerBox ? box->button(AnswerBox(*box)) : nullptr;
            if (!b)
                b = box->escapeButton();
            if (!b)
                b = box->defaultButton();
            // Later, from the box's own loop, so that it is answered as a click.
            QPointer<QAbstractButton> button = b;
            QPointer<QMessageBox> shown = box;
            QTimer::singleShot(0, box, [button, shown] {
                if (button)
                    button->click();
                else if (shown)
                    shown->done(QMessageBox::Ok);
            });
        }
    }

    QPointer<QDialog> FDialog;
    std::vector<Step> FSteps;
    size_t FNext = 0;
    QList<QPointer<QMessageBox>> FAnswered;
};
