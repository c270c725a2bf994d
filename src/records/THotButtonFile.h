#pragma once
// The hot-button bindings file (Data/HotBtns.cfg): 18 lines, entry i for button i + 1,
// each the Person_ID of the bound subscriber or -1, lines ended by CR LF.
#include <QList>
#include <QString>

class THotButtonFile {
public:
    static constexpr int Count = 18;

    enum TLoadResult {
        lrLoaded,     // the file held 18 whole numbers and nothing else
        lrCreated,    // there was no readable file: 18 unbound entries
        lrRepaired    // missing or bad entries became -1 (and extra lines were dropped)
    };

    explicit THotButtonFile(const QString &path);

    QString path() const { return FPath; }

    // Reads the file. A created or repaired list is written back at once; when that
    // write fails, errorString() says why and the entries stay as loaded.
    TLoadResult load();
    // Writes all 18 entries; returns false (see errorString()) when the file cannot be written.
    bool save();
    QString errorString() const { return FError; }

    // Person_ID of entry index (0..17), -1 for an unbound entry or an index out of range.
    qint64 entry(int index) const;
    QList<qint64> entries() const { return FEntries; }

    // Binds button buttonNo (1..18); a negative personId unbinds it. Saves the file.
    // Returns false when buttonNo is out of range (nothing changes) or the save failed.
    bool assign(int buttonNo, qint64 personId);
    // Unbinds entry index (0..17) and saves; false for other values or a failed save.
    bool free(int index);
    // Unbinds every entry and saves.
    bool freeAll();

    // The entry (0..17) bound to personId, first match, or -1; -1 also for a negative id.
    int hotButtonOf(qint64 personId) const;
    // True when button buttonNo (1..18) is bound; false for other numbers.
    bool hotButtonUsed(int buttonNo) const;
    // The first unbound button (1..18), or -1 when all are bound.
    int firstFreeHotButton() const;

    // The file's text for the current entries.
    QByteArray toText() const;
    // Parses a file's content into 18 entries; returns true when it needed no repair.
    static bool parse(const QByteArray &content, QList<qint64> &entries);

private:
    QString FPath;
    QList<qint64> FEntries;
    QString FError;
};
