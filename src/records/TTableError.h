#pragma once
// A table operation that failed (disk full, file gone, database error).
#include <QString>
#include <stdexcept>

class TTableError : public std::runtime_error {
public:
    // Code: the SQLite result code of the failing call; 0 for the tables' own checks.
    explicit TTableError(const QString &message, int code = 0)
        : std::runtime_error(message.toStdString()), FMessage(message), FCode(code) {}
    QString message() const { return FMessage; }
    int code() const { return FCode; }

private:
    QString FMessage;
    int FCode;
};
