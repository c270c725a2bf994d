#pragma once
#include <QString>
#include <QStringList>

// The folder that holds Data/, Sounds/, Params.vrx, RobotConfig.ini and History.html:
// the --home option, else KONVELO_HOME, else the executable's folder when it is
// writable and not an installed copy, else the per-user data location
// (~/.local/share/Konvelo), created on first use. Files the install ships
// (<prefix>/share/konvelo) are copied into it where the user's copy is missing.
class BaseFolder {
public:
    // Looks for "--home DIR" or "--home=DIR" in args (args[0] is the program).
    static QString resolve(const QStringList &args);
    // The folder resolved by the last call to resolve() (or set()).
    static QString path();
    // True when the last resolve() took --home or KONVELO_HOME.
    static bool given() { return FGiven; }
    static void set(const QString &dir);
    // <base>/Data, created when missing.
    static QString dataPath();

    // The choice itself: Option, else Env, else ExeDir when it is usable as a
    // portable folder, else PerUser.
    static QString choose(const QString &Option, const QString &Env, const QString &ExeDir,
                          const QString &PerUser);
    // ~/.local/share/Konvelo (XDG_DATA_HOME respected), the same for every executable.
    static QString perUserPath();
    // <exe>/../share/konvelo: the files an installed copy ships; empty when absent.
    static QString sharedPath(const QString &ExeDir);
    // True when a file can really be created in Dir (a probe file is written and removed).
    static bool isWritableFolder(const QString &Dir);
    // Copies every file below Shared into Base where Base has no file of that
    // name; never replaces one. Returns the files copied (relative paths).
    static QStringList copyShipped(const QString &Shared, const QString &Base);

private:
    static QString FPath;
    static bool FGiven;
};
