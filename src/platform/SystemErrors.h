#pragma once
// The system's reasons for a failed file operation in Japanese. The standard library and the C
// library word them in English; the user reads the operation, the path and the reason in Japanese.
#include "platform/Error.h"

#include <exception>
#include <filesystem>
#include <string>

namespace tolv {

// The reason for an error number (errno) in Japanese, or nullptr when this program has none.
const char* systemReason(int code);
// The same always with a text: "システムのエラー N" for a number without one.
std::string reasonText(int code);

// The kind of failure a system error code stands for.
ErrorKind errorKindOf(int code);
// A TolvError for a failed system call: the message, the reason in Japanese in parentheses, the
// kind of the code and the code itself.
TolvError systemError(const std::string& message, int code);

// A filesystem error as the user reads it: what could not be done, the reason and the path(s),
// e.g. "フォルダを作れません: アクセスが許可されていません\n/home/u/transfer".
std::string filesystemErrorText(const std::filesystem::filesystem_error& e);

// The message of any failure for the user: filesystem errors as above, and the C library's reasons
// quoted in a message ("(No such file or directory)") replaced by their Japanese.
std::string userMessage(const std::exception& e);

} // namespace tolv
