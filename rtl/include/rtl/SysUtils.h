// The runtime's exceptions: platform failures that travel up to a handler
// that names them, or to the application's general error handler.
#pragma once

#include <stdexcept>
#include <string>

namespace rtl {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A list index outside 0 .. Count - 1.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Any failure of a stream.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// "Cannot open file %s"
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// "Cannot create file %s"
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A read that met the end of the data before the bytes it needed.
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A write that could not place all its bytes.
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

} // namespace rtl
