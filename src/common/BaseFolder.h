#pragma once
#include <QString>
#include <QStringList>

// The folder that holds Data/, Sounds/, Params.vrx, RobotConfig.ini and History.html:
// the --home option, else KONVELO_HOME, else the executable's folder.
class BaseFolder {
public:
    // Looks for "--home DIR" or "--home=DIR" in args (args[0] is the program).
    static QString resolve(const QStringList &args);
    // The folder resolved by the last call to resolve() (or set()).
    static QString path();
    static void set(const QString &dir);
    // <base>/Data, created when missing.
    static QString dataPath();

private:
    static QString FPath;
};
