// The one exception hierarchy of the player. Every failure inside a module is thrown as
// a subclass of base::Error carrying the system's own message text (bytes in the ANSI
// code page); each layer's boundary function decides how it surfaces.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace base {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Malformed or truncated component streams and other binary data.
class StreamError : public Error {
public:
    using Error::Error;
};

// Embedded-file archives; `code` is the archive's numeric error code.
class ArchiveError : public Error {
public:
    ArchiveError(const std::string& message, int code) : Error(message), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// A script that does not compile; row and column are 1-based.
class CompileError : public Error {
public:
    CompileError(const std::string& message, int row, int col) : Error(message), m_row(row), m_col(col) {}
    int row() const { return m_row; }
    int col() const { return m_col; }

private:
    int m_row;
    int m_col;
};

// A failure raised while a script runs; becomes a script exception.
class ScriptError : public Error {
public:
    using Error::Error;
};

// An operating-system call that failed; `osCode` is errno or the service's own code.
class PlatformError : public Error {
public:
    PlatformError(const std::string& message, int osCode) : Error(message), m_osCode(osCode) {}
    int osCode() const { return m_osCode; }

private:
    int m_osCode;
};

}  // namespace base
