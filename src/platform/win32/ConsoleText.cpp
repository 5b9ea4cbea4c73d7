// The Windows half of ConsoleText.h: std::cout and std::cerr, where they are a console, write
// through WriteConsoleW, and std::cin, where it is one, reads through ReadConsoleW; the console's
// code page is left as it is (it is the console's, shared with the command prompt the program was
// started from).
#include "platform/ConsoleText.h"

#include "platform/win32/Wide.h"

#include <algorithm>
#include <iostream>
#include <streambuf>
#include <string>

namespace tolv {
namespace {

// Text for a console, kept until a line ends (or a flush) and handed over as whole characters.
class ConsoleBuffer final : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ConsoleBuffer(const ConsoleBuffer&) = delete;
    ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;
    ~ConsoleBuffer() override { write(pending_.size()); }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        pending_.push_back(traits_type::to_char_type(c));
        if (c == '\n' || pending_.size() >= kHold) return write(wholeUtf8Prefix(pending_)) ? c : traits_type::eof();
        return c;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        const std::string_view text(s, static_cast<std::size_t>(n));
        pending_.append(text);
        if (text.find('\n') != std::string_view::npos || pending_.size() >= kHold) {
            if (!write(wholeUtf8Prefix(pending_))) return 0;
        }
        return n;
    }

    int sync() override { return write(wholeUtf8Prefix(pending_)) ? 0 : -1; }

private:
    static constexpr std::size_t kHold = 4096;

    // Hands the first `length` bytes of the pending text to the console.
    bool write(std::size_t length)
    {
        if (length == 0) return true;
        const std::wstring wide = win32::widen(std::string_view(pending_).substr(0, length));
        pending_.erase(0, length);
        const wchar_t* p = wide.data();
        std::size_t left = wide.size();
        while (left > 0) {
            std::size_t chunk = std::min<std::size_t>(left, 8192);
            if (chunk < left && IS_HIGH_SURROGATE(p[chunk - 1])) --chunk; // a pair goes in one write
            DWORD written = 0;
            if (!::WriteConsoleW(console_, p, static_cast<DWORD>(chunk), &written, nullptr) || written == 0) return false;
            p += written;
            left -= written;
        }
        return true;
    }

    HANDLE console_;
    std::string pending_;
};

// What is typed on a console, as UTF-8 lines ending in "\n" (the console ends them in "\r\n"); a
// line that begins with Ctrl+Z ends the input, as it does for the C library's reading.
class ConsoleInput final : public std::streambuf {
public:
    explicit ConsoleInput(HANDLE console) : console_(console) {}

protected:
    int_type underflow() override
    {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (ended_) return traits_type::eof();
        std::wstring wide;
        wchar_t chunk[512];
        do {
            DWORD read = 0;
            if (!::ReadConsoleW(console_, chunk, 512, &read, nullptr) || read == 0) break;
            wide.append(chunk, read);
        } while (IS_HIGH_SURROGATE(wide.back())); // the rest of a pair cut by the chunk
        if (wide.empty() || wide.front() == L'\x1A') {
            ended_ = true;
            return traits_type::eof();
        }
        line_.clear();
        for (const char c : win32::narrow(wide))
            if (c != '\r') line_.push_back(c);
        setg(line_.data(), line_.data(), line_.data() + line_.size());
        return traits_type::to_int_type(*gptr());
    }

private:
    HANDLE console_;
    std::string line_;
    bool ended_ = false;
};

HANDLE consoleOf(DWORD which)
{
    HANDLE h = ::GetStdHandle(which);
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode) ? h : nullptr;
}

} // namespace

struct ConsoleText::Streams {
    struct Redirect {
        std::ostream* stream = nullptr;
        std::unique_ptr<ConsoleBuffer> buffer;
        std::streambuf* before = nullptr;
    };
    Redirect out, err;
    std::unique_ptr<ConsoleInput> input;
    std::streambuf* inputBefore = nullptr;

    static void take(Redirect& r, std::ostream& stream, DWORD which)
    {
        HANDLE console = consoleOf(which);
        if (!console) return;
        stream.flush();
        r.stream = &stream;
        r.buffer = std::make_unique<ConsoleBuffer>(console);
        r.before = stream.rdbuf(r.buffer.get());
    }
    static void giveBack(Redirect& r)
    {
        if (!r.stream) return;
        r.stream->flush();
        r.stream->rdbuf(r.before);
        r.buffer.reset(); // writes what is left, a cut character included (as a replacement)
    }
};

ConsoleText::ConsoleText() : streams_(std::make_unique<Streams>())
{
    Streams::take(streams_->out, std::cout, STD_OUTPUT_HANDLE);
    Streams::take(streams_->err, std::cerr, STD_ERROR_HANDLE);
    if (HANDLE console = consoleOf(STD_INPUT_HANDLE)) {
        streams_->input = std::make_unique<ConsoleInput>(console);
        streams_->inputBefore = std::cin.rdbuf(streams_->input.get());
    }
}

ConsoleText::~ConsoleText()
{
    if (streams_->input) std::cin.rdbuf(streams_->inputBefore);
    Streams::giveBack(streams_->err);
    Streams::giveBack(streams_->out);
}

} // namespace tolv
