// Reading a 1 MB parameter description (target: under 200 ms), an ordinary
// one and one whose every line starts a block that only the file's end ends;
// applying a profile of 10^5 records; and the peak resident memory of the
// description reader and the robot-list reader on 4 MB files (target for the
// description: under 60 MB), each measured in a child process of its own.
#include "phonesettings/TParamModel.h"
#include "robot/TRobotList.h"
#include <QFile>
#include <functional>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray toCp1251(const QString &s)
{
    QByteArray b;
    b.reserve(s.size());
    for (QChar c : s) {
        const char16_t u = c.unicode();
        b.append(u < 0x80 ? char(u) : (u >= 0x0410 && u <= 0x044F) ? char(0xC0 + (u - 0x0410)) : '?');
    }
    return b;
}

// Tabs of nested nodes with every kind of slot, about Size bytes.
QByteArray ordinary(qsizetype Size)
{
    QString s;
    int id = 1;
    for (int tab = 0; s.size() < Size; ++tab) {
        s += QStringLiteral("VER = %1-\n[Вкладка %2]\n; модуль\nMODULE = %3\n").arg(tab % 3 ? 0 : 110).arg(tab).arg(tab % 10);
        for (int node = 0; node < 50; ++node, ++id) {
            s += QStringLiteral("<%1Узел %2\nID = %3\nNAME = Параметр номер %3\n").arg(node % 4).arg(node).arg(id);
            switch (id % 3) {
            case 0:
                s += QStringLiteral("{\nTYPE = GROUP\n* 0>Выключено\n* 1>Включено\n* 2>Ночью }\n");
                break;
            case 1:
                s += QStringLiteral("{\nTYPE = SET\n* Значение\nRANGE = 1-3,7,10-20\n}\n");
                break;
            default:
                s += QStringLiteral("{\nTYPE = FLAG\n* 0>Пн\n* 1>Вт\n* 2>Ср }\n{\nTYPE = SET\n* Число\nRANGE = 0\n}\n");
            }
            s += QStringLiteral("'Описание параметра, первая строка\n   вторая строка описания\n\nпоследняя.'\n");
        }
    }
    return toCp1251(s);
}

QByteArray hostile(qsizetype Size)
{
    QByteArray b("[T]\n<0a\n");
    while (b.size() < Size)
        b += "ID = 1\nNAME = x\n{\n";
    return b;
}

void read(benchmark::State &state, const QByteArray &bytes)
{
    for (auto _ : state) {
        TParamModel m;
        m.LoadDescription(TParamModel::DescriptionLines(bytes), 112);
        benchmark::DoNotOptimize(m.Groups.size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

void BM_ReadDescription1MB(benchmark::State &state)
{
    read(state, ordinary(1 << 20));
}
BENCHMARK(BM_ReadDescription1MB)->Unit(benchmark::kMillisecond);

void BM_ReadHostileDescription1MB(benchmark::State &state)
{
    read(state, hostile(1 << 20));
}
BENCHMARK(BM_ReadHostileDescription1MB)->Unit(benchmark::kMillisecond);

void BM_ApplyProfile100k(benchmark::State &state)
{
    TParamModel m;
    m.LoadDescription(TParamModel::DescriptionLines(ordinary(1 << 20)), 112);
    QByteArray profile;
    for (int i = 0; i < 100000; ++i) {
        TProfileRecord r;
        r.ParamId = i % 20000 + 1;
        r.Count = 1;
        r.Value1 = quint16(i);
        profile += r.ToBytes();
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(m.ApplyProfileBytes(profile));
}
BENCHMARK(BM_ApplyProfile100k)->Unit(benchmark::kMillisecond);

// Peak resident set (MB) of a child that runs Work; the child starts as a
// copy of this process, so the figure includes the benchmark's own pages.
double childPeakMB(const std::function<void()> &Work)
{
    const pid_t pid = fork();
    if (pid == 0) {
        Work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

QString writeTemp(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("file"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray robotList(qsizetype Size)
{
    QByteArray b;
    for (int i = 0; b.size() < Size; ++i)
        b += QByteArray::number(4950000 + i) + " = \xC8\xE2\xE0\xED\xEE\xE2 " + QByteArray::number(i) + " |"
            + QByteArray::number(i % 7) + "\r\n";
    return b;
}

enum TPeakCase { pcBlankLines, pcOrdinary, pcRobotList };

void BM_PeakResident4MB(benchmark::State &state)
{
    const auto what = TPeakCase(state.range(0));
    constexpr qsizetype Size = 4 << 20;
    const QByteArray bytes = what == pcBlankLines ? QByteArray(Size, '\n')
        : what == pcOrdinary                      ? ordinary(Size)
                                                  : robotList(Size);
    QTemporaryDir dir;
    const QString path = writeTemp(dir, bytes);
    double peak = 0, idle = 0;
    for (auto _ : state) {
        idle = childPeakMB([] {});
        peak = childPeakMB([&] {
            if (what == pcRobotList) {
                TRobotList list;
                list.LoadList(path);
                benchmark::DoNotOptimize(list.RowCount());
            } else {
                TParamModel m;
                QString error;
                m.LoadDescriptionFile(path, 112, error);
                benchmark::DoNotOptimize(m.Groups.size());
            }
        });
    }
    state.counters["peak_MB"] = peak;
    state.counters["idle_child_MB"] = idle;
    state.SetLabel(what == pcBlankLines ? "Params.vrx of blank lines"
                   : what == pcOrdinary ? "ordinary Params.vrx"
                                        : "robot list");
}
BENCHMARK(BM_PeakResident4MB)->Arg(pcBlankLines)->Arg(pcOrdinary)->Arg(pcRobotList)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
