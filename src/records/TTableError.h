#pragma once
// A table operation that failed (disk full, file gone, database error).
#include <QString>
#include <stdexcept>

class TTableError : public std::runtime_error {
public:
    explicit TTableError(const QString &message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    QString message() const { return FMessage; }

private:
    QString FMessage;
};
