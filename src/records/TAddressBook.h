#pragma once
// The address book, Data/AddressBook.cds: one row per subscriber.
#include "TRecordTable.h"
#include <cstdint>

// Bits of a subscriber's Attributes: the alert, the ring sound and recording
// for his calls, each always, never or by the settings.
namespace TPersonAttributes {
constexpr int NeverRing = 1;
constexpr int NeverShow = 2;
constexpr int AlwaysShow = 4;
constexpr int AlwaysRecord = 8;
constexpr int NeverRecord = 16;
constexpr int AlwaysRing = 32;
// Hang up this subscriber's calls.
constexpr int HangUpCall = 64;
}

class TAddressBook : public TRecordTable {
    Q_OBJECT
public:
    // basePath is the file's path without extension (<base>/Data/AddressBook). When
    // only <basePath>.xml exists it is converted once and then deleted.
    explicit TAddressBook(const QString &basePath, QObject *owner = nullptr);

    // The length of the undefined number ("???????") that FindPhone looks for.
    void setRegionalNumberLength(int length) { FRegionalNumberLength = length; }
    int regionalNumberLength() const { return FRegionalNumberLength; }

    qint64 AddPerson(const QString &Phone, const QString &Name, uint8_t Attributes, const QString &Address,
                     const QString &Notes, const QString &SoundFile, int Volume, bool Creschendo);
    // Exact match on Phone; an empty number or one of only "?" finds the undefined-number subscriber.
    bool FindPhone(const QString &Phone);
    bool FindPerson(qint64 Person_ID);
    // The Name of the subscriber FindPhone would find (first in the current order,
    // else the lowest key when the filter hides every match), without moving the
    // current row; empty when there is none.
    QString NameOfPhone(const QString &Phone) const;
    int CurrentAttributes() const;
    bool UpdatePerson(qint64 Person_ID, const QString &Phone, const QString &Name, uint8_t Attributes,
                      const QString &Address, const QString &Notes, const QString &SoundFile, int Volume,
                      bool Creschendo);
    void DeleteCurrent();

    // Adds many subscribers in one transaction: nothing reaches the file unless
    // Commit is called; leaving the scope otherwise rolls every row back.
    class TBatch {
    public:
        explicit TBatch(TAddressBook &Book);   // throws TTableError when the file is locked
        ~TBatch();
        TBatch(const TBatch &) = delete;
        TBatch &operator=(const TBatch &) = delete;

        // Whether a row (committed or added in this batch) has exactly this Phone.
        bool HasPhone(const QString &Phone);
        void AddPerson(const QString &Phone, const QString &Name, uint8_t Attributes, const QString &Address,
                       const QString &Notes, const QString &SoundFile, int Volume, bool Creschendo);
        // Commits and shows the new rows in the view.
        void Commit();

    private:
        TAddressBook &FBook;
        TSqliteDatabase::Transaction FTransaction;
        TSqliteStatement FFind;
        TSqliteStatement FInsert;
        bool FDone = false;
    };

private:
    // The number FindPhone looks for: Phone itself, or the undefined number.
    QString lookupNumber(const QString &Phone) const;
    void convertXml(const QString &xmlFile);
    QVariantList personValues(const QString &Phone, const QString &Name, uint8_t Attributes,
                              const QString &Address, const QString &Notes, const QString &SoundFile,
                              int Volume, bool Creschendo) const;

    int FRegionalNumberLength = 7;
};
