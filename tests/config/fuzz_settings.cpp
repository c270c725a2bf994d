// Any settings file: the settings load, or are rewritten with their defaults,
// and every value reads back, without a crash or a hang.
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TConfigSchema.h"
#include "config/TIniSettingsStore.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    BaseFolder::set(dir.path());
    const QString ini = dir.filePath(QStringLiteral("Konvelo.ini"));
    {
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    {
        TIniSettingsStore store(ini);
        for (const TConfigSchema::TEntry &e : TConfigSchema::Entries()) {
            QString text;
            TConfigSchema::Format(e, store.Read(e.Key, e.Name), text);
        }
        for (const QString &key : store.Keys())
            for (const QString &name : store.ValueNames(key))
                store.Read(key, name);
    }
    {
        TConfig config(nullptr);
        if (config.RecordsDirectory.isEmpty())
            std::abort();
        config.IsDayTime();
    }
    // After the first run the file loads as it is.
    {
        TConfig config(nullptr);
        if (config.WasFirstRun())
            std::abort();
    }
    for (const QString &copy : QDir(dir.path()).entryList({QStringLiteral("Konvelo.ini.bad-*")}))
        QFile::remove(dir.filePath(copy));
    return 0;
}
