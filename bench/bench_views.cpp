// The incoming journal's grid in the main window with 10^6 rows: a click on the
// "Время" and the "Телефон" titles through the grid's header (sort, title fonts,
// the grid repainted), and moving from the first to the last row by Ctrl+End and
// by the mouse wheel.
//   bench_views [DIR]   (DIR keeps the generated files; a temporary folder otherwise)
#include "BenchSupport.h"
#include "app/TMain.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include "records/TIncomingCallBook.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {
using namespace BenchSupport;
constexpr int Rows = 1000000;

void fillJournal(TRecordTable &t)
{
    QRandomGenerator r(21);
    TBulkLoad bulk(t);
    sqlite3 *db = bulk.db();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName, MessageFileName,"
                       " Field_1) VALUES (?, 1, ?, ?, 0, ?, NULL, ?)",
                       -1, &st, nullptr);
    double time = 43000;
    for (int i = 0; i < Rows; ++i) {
        time += r.bounded(600) / 86400.0;
        const QByteArray p = QByteArray::number(1000000 + r.bounded(9000000));
        const QByteArray file = QStringLiteral("/home/user/records/In_%1.wav").arg(i).toUtf8();
        sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, time);
        sqlite3_bind_double(st, 3, r.bounded(3600) / 86400.0);
        if (i % 3 == 0)
            sqlite3_bind_text(st, 4, file.constData(), int(file.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(st, 4);
        if (i % 10 == 0)
            sqlite3_bind_text(st, 5, "заметка", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(st, 5);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

void writeSettings(const QString &base)
{
    BaseFolder::set(base);
    {
        TConfig config(nullptr);
        config.FirstRun(QDir(base).filePath(QStringLiteral("Records")));
        config.NeedCheckPort = false;
        config.NeedStartMinimized = false;
        config.AdjustSoundSettings = false;
        config.AskForCalls = false;
        config.WindowState = 0;
        config.ActivePage = 0;
        config.IncomingSort = QStringLiteral("Time");
        config.Save();
    }
    std::unique_ptr<TSettingsStore> store = TSettingsStore::Open();
    store->WriteString(QStringLiteral("Port"), QStringLiteral("Port"), QDir(base).filePath(QStringLiteral("no-tty")));
    store->Flush();
}

// A click on a title as the mouse gives it, then the grid painted.
double clickTitle(QTableView *grid, const QString &caption)
{
    QHeaderView *h = grid->horizontalHeader();
    int c = 0;
    while (c < grid->model()->columnCount() && grid->model()->headerData(c, Qt::Horizontal).toString() != caption)
        ++c;
    const QPointF at(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2);
    const QPointF global = h->viewport()->mapToGlobal(at);
    QElapsedTimer t;
    t.start();
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h->viewport(), &release);
    QCoreApplication::processEvents();
    grid->viewport()->repaint();
    return ms(t);
}
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir tmp;
    const QString base = args.size() > 1 ? args.at(1) : tmp.path();
    QDir().mkpath(base + QStringLiteral("/Data"));
    setvbuf(stdout, nullptr, _IONBF, 0);
    writeSettings(base);

    QElapsedTimer t;
    {
        TIncomingCallBook in(BaseFolder::dataPath() + QStringLiteral("/InCalls"));
        if (in.totalCount() < Rows) {
            t.start();
            fillJournal(in);
            std::printf("generating 10^6 incoming rows: %.0f ms\n", ms(t));
        }
    }

    t.start();
    TMain main;
    main.ConfirmExit = [] { return true; };
    auto *grid = main.findChild<QTableView *>(QStringLiteral("InGrid"));
    QCoreApplication::processEvents();
    grid->viewport()->repaint();
    std::printf("start-up with the journal shown: %.0f ms (%d rows)\n", ms(t), main.InCalls()->recordCount());

    std::vector<double> time, phone;
    for (int i = 0; i < 5; ++i) {
        phone.push_back(clickTitle(grid, QStringLiteral("Телефон")));
        time.push_back(clickTitle(grid, QStringLiteral("Время")));
    }
    std::printf("title click \"Телефон\": median %.0f ms, max %.0f ms (target < 1000 ms)\n", percentile(phone, 0.5),
                percentile(phone, 1.0));
    std::printf("title click \"Время\": median %.0f ms, max %.0f ms (target < 1000 ms)\n", percentile(time, 0.5),
                percentile(time, 1.0));

    // First to last row: Ctrl+End in the grid, then back with Ctrl+Home.
    main.InCalls()->first();
    QCoreApplication::processEvents();
    std::vector<double> jump;
    int lastRow = -1;
    for (int i = 0; i < 5; ++i) {
        for (Qt::Key key : {Qt::Key_End, Qt::Key_Home}) {
            t.start();
            QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
            QCoreApplication::sendEvent(grid, &press);
            QCoreApplication::processEvents();
            grid->viewport()->repaint();
            if (key == Qt::Key_End) {
                jump.push_back(ms(t));
                lastRow = main.InCalls()->recNo();
            }
        }
    }
    std::printf("first to last row by Ctrl+End: median %.1f ms, max %.1f ms (row %d of %d)\n", percentile(jump, 0.5),
                percentile(jump, 1.0), lastRow + 1, main.InCalls()->recordCount());

    // The scroll bar dragged from the top to the bottom in 100 steps, each step painted.
    QScrollBar *bar = grid->verticalScrollBar();
    bar->setValue(0);
    QCoreApplication::processEvents();
    t.start();
    for (int i = 1; i <= 100; ++i) {
        bar->setValue(int(qint64(bar->maximum()) * i / 100));
        grid->viewport()->repaint();
    }
    std::printf("scroll bar top to bottom in 100 painted steps: %.0f ms\n", ms(t));

    // The wheel: one record per notch, each notch repainted.
    main.InCalls()->first();
    QCoreApplication::processEvents();
    std::vector<double> notch;
    const QPointF at(10, 10);
    for (int i = 0; i < 2000; ++i) {
        t.start();
        QWheelEvent e(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(grid->viewport(), &e);
        QCoreApplication::processEvents();
        grid->viewport()->repaint();
        notch.push_back(ms(t));
    }
    double total = 0;
    for (double n : notch)
        total += n;
    std::printf("wheel, one record per notch (2000 notches, each painted): median %.2f ms, p99 %.2f ms, mean %.2f ms\n",
                percentile(notch, 0.5), percentile(notch, 0.99), total / 2000.0);
    main.CloseWithoutAsking();
    return 0;
}
