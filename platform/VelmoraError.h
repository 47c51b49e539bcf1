#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// An error raised by the system's own code. Its message is what the default error box shows.
class EVelmoraError : public std::exception {
public:
    explicit EVelmoraError(const QString& message)
        : message_(message)
        , utf8_(message.toUtf8())
    {
    }
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Reading or writing a text file failed.
class EInOutError : public EVelmoraError {
public:
    using EVelmoraError::EVelmoraError;
};
