#pragma once
// Unexpected errors while a window loads: "Err No.", the error number and "です", asked with OK and
// Cancel. Cancel closes every file and ends the program; OK carries on.
//
// The error numbers are those the platform's file errors carried:
//   53 file not found, 58 file already exists, 61 disk full, 70 permission denied,
//   76 path not found, 75 any other file or transfer failure, 7 out of memory, 5 anything else.
#include <exception>
#include <string>

namespace tolv::gui {

struct AppContext;

int errorNumber(const std::exception& e);
// "Err No.53です", a line break, and what failed.
std::string errNoMessage(const std::exception& e);
// Shows the question; returns true when the user chose OK. On Cancel the program is ended.
bool carryOnAfterError(AppContext& ctx, const std::exception& e);

} // namespace tolv::gui
