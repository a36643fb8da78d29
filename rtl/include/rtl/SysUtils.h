// The runtime's exceptions: platform failures that travel up to a handler
// that names them, or to the application's general error handler.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

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

// A save that was not to replace a file, and found one there: "NAME already exists".
class EFileExistsError : public EFCreateError {
public:
    using EFCreateError::EFCreateError;
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

// The texts of file failures, written once for every layer.
inline std::string CannotOpenText(const std::string &fileName)
{
    return "Cannot open file " + fileName;
}

inline std::string CannotCreateText(const std::string &fileName)
{
    return "Cannot create file " + fileName;
}

// "Cannot write NAME: REASON", the reason from the system's errno value.
inline std::string CannotWriteText(const std::string &fileName, int error)
{
    return "Cannot write " + fileName + ": " + std::generic_category().message(error);
}

inline std::string FileExistsText(const std::string &fileName)
{
    return fileName + " already exists";
}

// Said when a program is asked to write over the file it reads.
inline std::string WouldReplaceInputText(const std::string &output)
{
    return "the output " + output + " would replace the input; not written.";
}

inline std::string CannotSeekText(const std::string &fileName, int error)
{
    return "Cannot seek in " + fileName + ": " + std::generic_category().message(error);
}

} // namespace rtl
