#pragma once
// The user's login start: the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/konvelo.desktop (~/.config/autostart), which
// starts the program minimised to the tray. Used by konvelo-cli and the
// settings dialog alike.
#include <QString>
#include <QStringList>

class TAutostart {
public:
    static QString EntryPath();
    // True when the entry exists and is not switched off (Hidden=true).
    static bool Enabled();
    // Writes the entry starting this install's konvelo minimised, with the
    // base folder when --home or KONVELO_HOME gave it, or removes the entry.
    // False with the reason.
    static bool SetEnabled(bool On, QString &Error);
    // The same with Program and Arguments (--minimized is added).
    static bool SetEnabled(bool On, const QString &Program, const QStringList &Arguments, QString &Error);
    // The konvelo executable: beside the running one when there, else by name on the PATH.
    static QString DefaultProgram();

    static QString EntryText(const QString &Program, const QStringList &Arguments);
    // One argument of an Exec line, quoted where the Desktop Entry rules need it.
    static QString ExecArgument(const QString &Argument);
};
