#include "TAboutBox.h"
#include "common/BaseFolder.h"
#include "common/THelpTopics.h"
#include "config/TAutostart.h"
#include "config/TSettingsStore.h"
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QUrl>

namespace {

QString row(const QString &Name, const QString &Value)
{
    return QStringLiteral("<tr><td>%1</td><td><tt>%2</tt></td></tr>")
        .arg(Name, QDir::toNativeSeparators(Value).toHtmlEscaped());
}

}

QString TAboutBox::Text()
{
    const QString home = BaseFolder::path();
    const QString guide = THelpTopics::Resolve(QString()).toString();
    QString text;
    text += QStringLiteral("<h3>Konvelo %1</h3>").arg(QStringLiteral(KONVELO_VERSION));
    text += QStringLiteral("<p>Монитор телефонной линии</p>");
    text += QStringLiteral("<p>© 2026 Konvelo developers. Программа используется по лицензии разработчиков; "
                           "распространение без их письменного разрешения запрещено.</p>");
    text += QStringLiteral("<p>Сайт проекта: <a href=\"%1\">%1</a><br>Руководство пользователя: <a href=\"%2\">%2</a></p>")
                .arg(QStringLiteral(KONVELO_HOMEPAGE).toHtmlEscaped(), guide.toHtmlEscaped());
    text += QStringLiteral("<p>Где хранятся данные:</p><table>");
    text += row(QStringLiteral("Базовая папка"), home);
    text += row(QStringLiteral("Журналы и записная книжка"), QDir(home).filePath(QStringLiteral("Data")));
    text += row(QStringLiteral("Настройки"), TSettingsStore::Open()->Location());
    text += row(QStringLiteral("Автозапуск"), TAutostart::EntryPath());
    text += QStringLiteral("</table>");
    return text;
}

QMessageBox *TAboutBox::Show(QWidget *Parent)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("О программе"), Text(), QMessageBox::Ok, Parent);
    box->setObjectName(QStringLiteral("AboutBox"));
    box->setTextFormat(Qt::RichText);
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    box->setIconPixmap(QIcon(QStringLiteral(":/icons/splash.svg")).pixmap(64, 64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}
