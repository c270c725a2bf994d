// The user's guide as built: every link and picture inside it resolves, every
// window's section is there, and a topic whose page or anchor is missing
// falls back to the start page.
#include "common/THelpTopics.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Guide = QStringLiteral(KONVELO_GUIDE_DIR);

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QSet<QString> idsOf(const QString &html)
{
    QSet<QString> ids;
    static const QRegularExpression id(QStringLiteral("\\bid=\"([^\"]+)\""));
    for (auto it = id.globalMatch(html); it.hasNext();)
        ids.insert(it.next().captured(1));
    return ids;
}

void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}

TEST(HelpGuide, EveryLinkAndPictureOfTheBuiltGuideResolves)
{
    const QDir dir(Guide);
    const QStringList pages = dir.entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GE(pages.size(), 15) << Guide.toStdString();
    ASSERT_TRUE(pages.contains(QLatin1String(THelpTopics::StartPage)));
    ASSERT_TRUE(pages.contains(QLatin1String(THelpTopics::HistoryPage)));

    QHash<QString, QSet<QString>> ids;
    QHash<QString, QString> text;
    for (const QString &p : pages) {
        text[p] = readAll(dir.filePath(p));
        ids[p] = idsOf(text[p]);
    }
    static const QRegularExpression href(QStringLiteral("\\bhref=\"([^\"]*)\""));
    static const QRegularExpression src(QStringLiteral("\\bsrc=\"([^\"]*)\""));
    QSet<QString> linked;
    int images = 0;
    for (const QString &p : pages) {
        for (auto it = href.globalMatch(text[p]); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:")))
                continue;
            const QString page = target.section(QLatin1Char('#'), 0, 0);
            const QString anchor = target.section(QLatin1Char('#'), 1);
            const QString file = page.isEmpty() ? p : page;
            if (!file.endsWith(QLatin1String(".html"))) {
                EXPECT_TRUE(QFileInfo::exists(dir.filePath(file))) << p.toStdString() << " -> " << target.toStdString();
                continue;
            }
            linked.insert(file);
            ASSERT_TRUE(ids.contains(file)) << p.toStdString() << " links to a missing page " << target.toStdString();
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(ids[file].contains(anchor)) << p.toStdString() << " -> missing anchor " << target.toStdString();
            }
        }
        for (auto it = src.globalMatch(text[p]); it.hasNext();) {
            const QString image = it.next().captured(1);
            ++images;
            EXPECT_FALSE(image.contains(QLatin1String("://"))) << "the guide loads " << image.toStdString();
            const QFileInfo f(dir.filePath(image));
            EXPECT_TRUE(f.exists() && f.size() > 0) << p.toStdString() << " shows a missing picture " << image.toStdString();
        }
    }
    EXPECT_GE(images, 30);
    // Every page can be reached from the start page's links.
    for (const QString &p : pages)
        EXPECT_TRUE(linked.contains(p) || p == QLatin1String(THelpTopics::StartPage)) << p.toStdString() << " is linked from nowhere";
}

TEST(HelpGuide, EveryWindowTopicIsAPageAndAnchorOfTheGuide)
{
    const QStringList topics = THelpTopics::AllTopics();
    ASSERT_FALSE(topics.isEmpty());
    for (const QString &t : topics) {
        EXPECT_TRUE(THelpTopics::HasTopic(t, Guide)) << t.toStdString();
        const QUrl url = THelpTopics::Resolve(t, Guide);
        EXPECT_EQ(url.fileName(), t.section(QLatin1Char('#'), 0, 0)) << t.toStdString();
        EXPECT_EQ(url.fragment(), t.section(QLatin1Char('#'), 1)) << t.toStdString();
    }
}

TEST(HelpGuide, AMissingPageOrAnchorOpensTheStartPage)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QDir dir(tmp.path());
    writeFile(dir.filePath(QStringLiteral("index.html")), "<h1 id=\"top\">Start</h1>");
    writeFile(dir.filePath(QStringLiteral("alert.html")), "<h2 id=\"alert\">Alert</h2>");
    writeFile(tmp.path() + QStringLiteral("/../outside.html"), "<h2 id=\"x\">");
    const QUrl start = QUrl::fromLocalFile(dir.filePath(QStringLiteral("index.html")));

    EXPECT_EQ(THelpTopics::Resolve(QStringLiteral("alert.html#alert"), tmp.path()),
              [&] { QUrl u = QUrl::fromLocalFile(dir.filePath(QStringLiteral("alert.html"))); u.setFragment(QStringLiteral("alert")); return u; }());
    EXPECT_EQ(THelpTopics::Resolve(QStringLiteral("alert.html"), tmp.path()),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("alert.html"))));
    for (const char *missing : {"", "robot.html#robot", "alert.html#ring", "alert.html#aler",
                                "../outside.html#x", "#alert"})
        EXPECT_EQ(THelpTopics::Resolve(QString::fromLatin1(missing), tmp.path()), start) << missing;
    QFile::remove(tmp.path() + QStringLiteral("/../outside.html"));

    // No guide at all: still the start page's place, never an empty address.
    EXPECT_EQ(THelpTopics::Resolve(QStringLiteral("alert.html#alert"), dir.filePath(QStringLiteral("none"))),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("none/index.html"))));
}

TEST(HelpGuide, TheGuideIsFoundBesideTheProgramThenInTheInstalledTree)
{
    const QStringList c = THelpTopics::Candidates(QStringLiteral("/opt/konvelo/bin"));
    ASSERT_EQ(c.size(), 3);
    EXPECT_EQ(c[0], QStringLiteral("/opt/konvelo/bin/help"));
    EXPECT_EQ(c[1], QStringLiteral("/opt/konvelo/share/doc/konvelo/html"));
    EXPECT_EQ(c[2], QStringLiteral("/usr/share/doc/konvelo/html"));

    THelpTopics::SetFolder(Guide);
    EXPECT_EQ(THelpTopics::HistoryFile(QStringLiteral("/nonexistent")), QDir(Guide).filePath(QStringLiteral("History.html")));
    THelpTopics::SetFolder(QString());
}
