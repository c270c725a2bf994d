#include "TAutostart.h"
#include "common/BaseFolder.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

QString TAutostart::EntryPath()
{
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(config).filePath(QStringLiteral("autostart/konvelo.desktop"));
}

bool TAutostart::Enabled()
{
    QFile f(EntryPath());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.startsWith("Hidden") && line.mid(6).trimmed() == "=true")
            return false;
    }
    return true;
}

QString TAutostart::DefaultProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("konvelo"));
    if (QCoreApplication::instance() && QFileInfo(beside).isExecutable() && QFileInfo(beside).isFile())
        return beside;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("konvelo"));
    return found.isEmpty() ? QStringLiteral("konvelo") : found;
}

QString TAutostart::ExecArgument(const QString &Argument)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString a = Argument;
    a.replace(QLatin1Char('%'), QStringLiteral("%%"));
    bool quote = a.isEmpty();
    for (QChar c : Argument)
        quote = quote || Reserved.contains(c);
    if (!quote)
        return a;
    QString q;
    for (QChar c : a) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            q += u'\\';
        q += c;
    }
    // The entry's string values take a backslash as "\\".
    q.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return u'"' + q + u'"';
}

QString TAutostart::EntryText(const QString &Program, const QStringList &Arguments)
{
    QString exec = ExecArgument(Program);
    for (const QString &a : Arguments + QStringList{QStringLiteral("--minimized")})
        exec += u' ' + ExecArgument(a);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Konvelo\n"
                          "Name[ru]=Монитор телефонной линии\n"
                          "Comment=Telephone line monitor, started at login\n"
                          "Comment[ru]=Монитор телефонной линии, запуск при входе в систему\n"
                          "Exec=%1\n"
                          "Icon=konvelo\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(exec);
}

bool TAutostart::SetEnabled(bool On, QString &Error)
{
    QStringList arguments;
    if (BaseFolder::given())
        arguments << QStringLiteral("--home") << BaseFolder::path();
    return SetEnabled(On, DefaultProgram(), arguments, Error);
}

bool TAutostart::SetEnabled(bool On, const QString &Program, const QStringList &Arguments, QString &Error)
{
    const QString path = EntryPath();
    if (!On) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return true;
        if (QFile::remove(path))
            return true;
        Error = QStringLiteral("cannot remove ") + path;
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        Error = QStringLiteral("cannot create ") + QFileInfo(path).absolutePath();
        return false;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(EntryText(Program, Arguments).toUtf8()) < 0 || !f.commit()) {
        Error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}
