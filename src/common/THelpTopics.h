#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>

// Where the user's guide is and which of its sections belongs to a window.
// A topic is "page.html#anchor"; a window names its own with the dynamic
// property "helpTopic", else the table below gives it by object name or class.
class THelpTopics {
public:
    static constexpr const char *StartPage = "index.html";
    static constexpr const char *HistoryPage = "History.html";

    // The guide's folder: the one set, else "help" beside the executable (a
    // build), else <exe>/../share/doc/konvelo/html, else /usr/share/doc/konvelo/html.
    static QString Folder();
    static void SetFolder(const QString &Dir);
    // The folders Folder() tries, in order.
    static QStringList Candidates(const QString &ExeDir);

    // The topic of a window by its object name or class name; empty when none.
    static QString TopicOf(const QString &ObjectName, const QString &ClassName);
    // Every topic the table names, for checking the guide.
    static QStringList AllTopics();

    // The page and anchor of Topic in the guide of Dir; the start page when the
    // page or its anchor is missing (or Topic is empty).
    static QUrl Resolve(const QString &Topic, const QString &Dir);
    static QUrl Resolve(const QString &Topic) { return Resolve(Topic, Folder()); }
    // True when Dir/page holds an element with id anchor (or there is no anchor).
    static bool HasTopic(const QString &Topic, const QString &Dir);

    // History.html: the guide's copy, else one left in the base folder.
    static QString HistoryFile(const QString &BaseDir);

private:
    static QString FFolder;
};
