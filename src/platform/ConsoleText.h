#pragma once
// The program's text on a console shown as the characters it is, whatever the console's code page.
#include <cstddef>
#include <memory>
#include <string_view>

namespace tolv {

// While it lives, what the program writes to std::cout and std::cerr reaches a console as the
// characters it holds, and what is typed there reaches std::cin as UTF-8. A Windows console takes
// and shows bytes in its own code page (932 on a Japanese system, 437 on others), where the
// program's UTF-8 came out garbled and "はい" typed came in as code page 932; there text goes to and
// comes from a console as UTF-16. Text to or from a file or a pipe stays UTF-8 bytes, as on every
// system. On the other systems the terminal takes and gives UTF-8 as it is, and this does nothing.
class ConsoleText {
public:
    ConsoleText();
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

private:
    struct Streams;
    std::unique_ptr<Streams> streams_;
};

// The length of `text` up to the end of its last whole character: a character whose bytes have not
// all come yet is left for the next write (a stream may hand text over cut anywhere). Ill-formed
// bytes count as whole (they are shown as a replacement character, not kept back for ever).
std::size_t wholeUtf8Prefix(std::string_view text);

} // namespace tolv
