#pragma once
// Helpers of the Windows half of the platform layer: an owned HANDLE, UTF-8 <-> UTF-16 and the
// C library's errno for a Win32 error code (the reasons the rest of the program shows are errno's).
#include "platform/Error.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace tolv::win32 {

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { reset(); }
    Handle(Handle&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    Handle& operator=(Handle&& o) noexcept
    {
        if (this != &o) {
            reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE get() const { return h_; }
    HANDLE release()
    {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void reset()
    {
        if (h_) ::CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

// UTF-8 -> UTF-16 and back (invalid sequences become U+FFFD).
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// The errno value that says the same as a Win32 error code.
int errnoOf(DWORD error);

// A TolvError for a failed Win32 call: the message, the reason in Japanese in parentheses, the kind
// the code stands for (as systemError() gives on the other systems) and the Win32 code itself.
TolvError systemErrorOf(const std::string& message, DWORD error);

// The system's message for the last Win32 error, as UTF-8.
std::string lastErrorText();

} // namespace tolv::win32
