#pragma once
#include <QString>
#include <stdexcept>

// An error of the settings: a missing or unreadable value, or a setting that
// cannot be used. The message is the Russian text shown to the user.
class TConfigError : public std::runtime_error {
public:
    explicit TConfigError(const QString &message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};
