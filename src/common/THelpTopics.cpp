#include "THelpTopics.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

QString THelpTopics::FFolder;

namespace {

// Windows and the guide's sections about them. Keys are class names or
// object names; the main window opens the start page.
const std::pair<const char *, const char *> Topics[] = {
    {"TMain", THelpTopics::StartPage},
    {"TSplash", THelpTopics::StartPage},
    {"TFormMessage", "first-start.html#status"},
    {"TSettings", "settings.html#settings"},
    {"TPasswordDlg", "settings.html#password"},
    {"TAlert", "alert.html#alert"},
    {"TFormFieldsEdit", "fields.html#fields-editor"},
    {"TFormNumberInfo", "fields.html#number-info"},
    {"TNewPerson", "journals.html#subscriber"},
    {"TFindCall", "search.html#search"},
    {"TFormDateInterval", "statistics.html#period"},
    {"TStats", "statistics.html#statistics"},
    {"TStatsConfig", "statistics.html#options"},
    {"TFormAONSetting", "phone-settings.html#editor"},
    {"TFormProgress", "phone-settings.html#transfer"},
    {"TFormRecordDialog", "download.html#download"},
    {"TFormPhoneRobot", "robot.html#robot"},
    {"TFormRobotEditor", "robot.html#list-editor"},
    {"TFormRobotOptions", "robot.html#schedule"},
};

QString pageOf(const QString &Topic)
{
    return Topic.section(QLatin1Char('#'), 0, 0);
}

QString anchorOf(const QString &Topic)
{
    return Topic.section(QLatin1Char('#'), 1);
}

}

QStringList THelpTopics::Candidates(const QString &ExeDir)
{
    const QDir exe(ExeDir);
    return {exe.filePath(QStringLiteral("help")),
            QDir::cleanPath(exe.filePath(QStringLiteral("../share/doc/konvelo/html"))),
            QStringLiteral("/usr/share/doc/konvelo/html")};
}

QString THelpTopics::Folder()
{
    if (!FFolder.isEmpty())
        return FFolder;
    const QStringList dirs = Candidates(QCoreApplication::applicationDirPath());
    for (const QString &d : dirs)
        if (QFileInfo::exists(QDir(d).filePath(QLatin1String(StartPage))))
            return d;
    return dirs.last();
}

void THelpTopics::SetFolder(const QString &Dir)
{
    FFolder = Dir;
}

QString THelpTopics::TopicOf(const QString &ObjectName, const QString &ClassName)
{
    for (const auto &[key, topic] : Topics)
        if ((!ObjectName.isEmpty() && ObjectName == QLatin1String(key)) || ClassName == QLatin1String(key))
            return QString::fromLatin1(topic);
    return {};
}

QStringList THelpTopics::AllTopics()
{
    QStringList all;
    for (const auto &entry : Topics)
        all << QString::fromLatin1(entry.second);
    return all;
}

bool THelpTopics::HasTopic(const QString &Topic, const QString &Dir)
{
    const QString page = pageOf(Topic);
    if (page.isEmpty() || page.contains(QLatin1String("..")))
        return false;
    QFile f(QDir(Dir).filePath(page));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString anchor = anchorOf(Topic);
    if (anchor.isEmpty())
        return true;
    const QString html = QString::fromUtf8(f.readAll());
    const QRegularExpression id(QStringLiteral("\\bid=\"%1\"").arg(QRegularExpression::escape(anchor)));
    return html.contains(id);
}

QUrl THelpTopics::Resolve(const QString &Topic, const QString &Dir)
{
    const QString start = QDir(Dir).filePath(QLatin1String(StartPage));
    if (Topic.isEmpty() || !HasTopic(Topic, Dir))
        return QUrl::fromLocalFile(start);
    QUrl url = QUrl::fromLocalFile(QDir(Dir).filePath(pageOf(Topic)));
    const QString anchor = anchorOf(Topic);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

QString THelpTopics::HistoryFile(const QString &BaseDir)
{
    const QString shipped = QDir(Folder()).filePath(QLatin1String(HistoryPage));
    if (QFileInfo::exists(shipped))
        return shipped;
    return QDir(BaseDir).filePath(QLatin1String(HistoryPage));
}
