#pragma once
// Every failure the user must see travels as a TolvError carrying the text to show.
#include <stdexcept>
#include <string>

namespace tolv {

class TolvError : public std::runtime_error {
public:
    explicit TolvError(const std::string& message) : std::runtime_error(message) {}
};

// Check a condition read from a file or typed by a user; throw the message when it fails.
inline void enforce(bool condition, const std::string& message)
{
    if (!condition) throw TolvError(message);
}

} // namespace tolv
