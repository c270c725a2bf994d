#pragma once
// An error of the phone link's callers' input, with the message to show.
#include <QString>
#include <stdexcept>

class EPhoneError : public std::runtime_error {
public:
    explicit EPhoneError(const QString &message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};
