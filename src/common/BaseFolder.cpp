#include "BaseFolder.h"
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString BaseFolder::FPath;
bool BaseFolder::FGiven = false;

QString BaseFolder::resolve(const QStringList &args)
{
    QString option;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--home") && i + 1 < args.size()) {
            option = args.at(i + 1);
            break;
        }
        if (a.startsWith(QLatin1String("--home="))) {
            option = a.mid(7);
            break;
        }
    }
    QString exeDir;
    if (QCoreApplication::instance())
        exeDir = QCoreApplication::applicationDirPath();
    else if (!args.isEmpty())
        exeDir = QFileInfo(args.first()).absolutePath();
    else
        exeDir = QDir::currentPath();
    const QString env = qEnvironmentVariable("KONVELO_HOME");
    FGiven = !option.isEmpty() || !env.isEmpty();
    set(choose(option, env, exeDir, perUserPath()));
    const QString shared = sharedPath(exeDir);
    if (!shared.isEmpty())
        copyShipped(shared, FPath);
    return FPath;
}

QString BaseFolder::choose(const QString &Option, const QString &Env, const QString &ExeDir,
                           const QString &PerUser)
{
    if (!Option.isEmpty())
        return Option;
    if (!Env.isEmpty())
        return Env;
    // An installed copy (below /usr, or its shipped files beside it) keeps the
    // user's data out of its program folder even when that folder is
    // writable, as /usr/bin is to root.
    const bool installed = !sharedPath(ExeDir).isEmpty()
        || QDir::cleanPath(ExeDir).startsWith(QLatin1String("/usr/"));
    if (!ExeDir.isEmpty() && !installed && isWritableFolder(ExeDir))
        return ExeDir;
    return PerUser;
}

QString BaseFolder::perUserPath()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(data).filePath(QStringLiteral("Konvelo"));
}

QString BaseFolder::sharedPath(const QString &ExeDir)
{
    const QString shared = QDir::cleanPath(QDir(ExeDir).filePath(QStringLiteral("../share/konvelo")));
    return QFileInfo(shared).isDir() ? shared : QString();
}

bool BaseFolder::isWritableFolder(const QString &Dir)
{
    const QFileInfo info(Dir);
    if (!info.isDir() || !info.isWritable())
        return false;
    // The permission bits do not tell everything (root, read-only mounts, ACLs).
    QFile probe(QDir(Dir).filePath(QStringLiteral(".konvelo-probe-%1").arg(QCoreApplication::applicationPid())));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QStringList BaseFolder::copyShipped(const QString &Shared, const QString &Base)
{
    QStringList copied;
    const QDir from(Shared);
    const QDir to(Base);
    QDirIterator it(Shared, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString rel = from.relativeFilePath(source);
        const QString target = to.filePath(rel);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            continue;
        // Copied under a temporary name first: a half-copied file never stands as the user's.
        const QString part = target + QStringLiteral(".part");
        QFile::remove(part);
        if (!QFile::copy(source, part))
            continue;
        QFile(part).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        if (QFile::rename(part, target))
            copied << rel;
        else
            QFile::remove(part);
    }
    return copied;
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
