#pragma once
// Every failure the user must see travels as a TolvError carrying the text to show, its kind and,
// for a failure the system reported, the system's own code (errno; GetLastError on Windows). The
// windows number a failure by its kind, never by reading its text.
#include <stdexcept>
#include <string>

namespace tolv {

enum class ErrorKind {
    Other,
    NotFound,     // a file or folder that is not there
    NoPermission, // access refused by the system
    ReadOnly,     // a read-only medium or file system
    InUse,        // another program holds the file
    DiskFull,     // no room left on the medium
    Damaged,      // a file that is not sound (sizes, counts, records cut short, bytes not readable)
    BadInput,     // typed or given text or values that cannot be taken
};

class TolvError : public std::runtime_error {
public:
    explicit TolvError(const std::string& message, ErrorKind kind = ErrorKind::Other, int systemCode = 0)
        : std::runtime_error(message), kind_(kind), systemCode_(systemCode)
    {
    }
    ErrorKind kind() const { return kind_; }
    // The system's error code, 0 when the failure is the program's own finding.
    int systemCode() const { return systemCode_; }

private:
    ErrorKind kind_;
    int systemCode_;
};

// Check a condition read from a file or typed by a user; throw the message when it fails.
inline void enforce(bool condition, const std::string& message, ErrorKind kind = ErrorKind::Other)
{
    if (!condition) throw TolvError(message, kind);
}

} // namespace tolv
