#include "BaseFolder.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString BaseFolder::FPath;

QString BaseFolder::resolve(const QStringList &args)
{
    QString dir;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--home") && i + 1 < args.size()) {
            dir = args.at(i + 1);
            break;
        }
        if (a.startsWith(QLatin1String("--home="))) {
            dir = a.mid(7);
            break;
        }
    }
    if (dir.isEmpty())
        dir = qEnvironmentVariable("KONVELO_HOME");
    if (dir.isEmpty()) {
        if (QCoreApplication::instance())
            dir = QCoreApplication::applicationDirPath();
        else if (!args.isEmpty())
            dir = QFileInfo(args.first()).absolutePath();
        else
            dir = QDir::currentPath();
    }
    set(dir);
    return FPath;
}

QString BaseFolder::path()
{
    return FPath;
}

void BaseFolder::set(const QString &dir)
{
    FPath = QDir(dir).absolutePath();
    QDir().mkpath(FPath);
}

QString BaseFolder::dataPath()
{
    const QString data = QDir(FPath).filePath(QStringLiteral("Data"));
    QDir().mkpath(data);
    return data;
}
