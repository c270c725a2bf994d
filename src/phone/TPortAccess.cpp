#include "TPortAccess.h"
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString TPortAccess::DevicePath(const QString &Port)
{
    if (Port.startsWith(QLatin1Char('/')))
        return Port;
    return QSerialPortInfo(Port).systemLocation();
}

QString TPortAccess::CurrentUser()
{
#ifdef Q_OS_UNIX
    if (const passwd *pw = getpwuid(geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
#endif
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QStringLiteral("$USER") : user;
}

bool TPortAccess::Check(const QString &Port, QSerialPort::SerialPortError Error)
{
#ifdef Q_OS_UNIX
    // QSerialPort reports a lock held by another program as a permission error
    // too; the device's own permissions tell the two apart.
    if (Error != QSerialPort::PermissionError || Port.isEmpty())
        return false;
    const QString device = DevicePath(Port);
    const QByteArray path = QFile::encodeName(device);
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return false;
    if (::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return false;
    Device = device;
    if (const group *gr = getgrgid(st.st_gid))
        Group = QString::fromLocal8Bit(gr->gr_name);
    else
        Group = QString::number(st.st_gid);
    User = CurrentUser();
    return true;
#else
    Q_UNUSED(Port);
    Q_UNUSED(Error);
    return false;
#endif
}

QString TPortAccess::Command() const
{
    return QStringLiteral("sudo usermod -aG %1 %2").arg(Group, User);
}

QString TPortAccess::Caption()
{
    return QStringLiteral("Нет доступа к порту");
}

QString TPortAccess::FirstLine() const
{
    return QStringLiteral("Нет прав на порт %1").arg(Device);
}

QString TPortAccess::SecondLine() const
{
    return QStringLiteral("Доступ к нему дает группа %1. Добавьте пользователя %2 в эту группу:\r%3\r"
                          "затем выйдите из системы и войдите снова.")
        .arg(Group, User, Command());
}

QString TPortAccess::Text() const
{
    return FirstLine() + u'\n' + QString(SecondLine()).replace(u'\r', u'\n');
}
