#pragma once
// The phone's parameter store: the values it answers 9A with and takes from
// 99, loadable from ADDRESS=V1[,V2] lines or a profile file (*.AON, 12-byte
// records) and saved back to that file after every write. It can leave some
// parameters unanswered and fall silent after a number of parameter commands.
#include <QMap>
#include <QSet>
#include <QString>
#include <QVector>

class TSimParams {
public:
    bool loadText(const QString &text, QString &error);
    // Records with no value give the address with the value 0. A missing file
    // is an empty store that the first write creates.
    bool loadStore(const QString &fileName, QString &error);
    bool saveStore(QString &error) const;
    QString storeFile() const { return FStoreFile; }

    void drop(int address) { FDropped.insert(address); }
    // The answer to a request for Asked carries the number Carried (and Asked's values).
    void answerAs(int asked, int carried) { FAnswerAs.insert(asked, carried); }
    void setOfflineAfter(int commands) { FOfflineAfter = commands; }

    // 9A: the reply body after code 45, empty when none is sent; Note says why.
    QByteArray read(int address, QString &note);
    // 99: stores the values of a known address; false when not stored.
    bool write(int address, const QVector<int> &values, QString &note);
    // More parameter commands came than --offline-after-params allows: silent from now on.
    bool goesOffline() const { return FOfflineAfter >= 0 && FCommands > FOfflineAfter; }

    const QMap<int, QVector<int>> &values() const { return FValues; }

private:
    QMap<int, QVector<int>> FValues;
    QSet<int> FDropped;
    QMap<int, int> FAnswerAs;
    QString FStoreFile;
    int FOfflineAfter = -1;
    int FCommands = 0;
};
