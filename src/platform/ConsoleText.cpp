// The POSIX half of ConsoleText.h: a terminal takes the program's UTF-8 as it is.
#include "platform/ConsoleText.h"

namespace tolv {

struct ConsoleText::Streams {};

ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

} // namespace tolv
