#pragma once

#include "platform/VelmoraError.h"

// A text that should be a number (or a Boolean) is not one.
class EConvertError : public EVelmoraError {
public:
    using EVelmoraError::EVelmoraError;
};

// A rule divided by zero.
class EDivByZero : public EVelmoraError {
public:
    EDivByZero()
        : EVelmoraError(QStringLiteral("Division by zero"))
    {
    }
};

// A rule's quotient does not fit in 32 bits.
class EIntOverflow : public EVelmoraError {
public:
    EIntOverflow()
        : EVelmoraError(QStringLiteral("Integer overflow"))
    {
    }
};

// The task database file could not be read, parsed or written.
class ETaskDatabaseError : public EVelmoraError {
public:
    using EVelmoraError::EVelmoraError;
};
