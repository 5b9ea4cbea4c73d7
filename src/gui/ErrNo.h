#pragma once
// Unexpected errors while a window loads: "Err No.", the error number and "です", then what
// happened in Japanese and what each button does, asked with OK and Cancel.
//
// The error numbers are those the platform's file errors carried:
//   53 file not found, 58 file already exists, 61 disk full, 70 permission denied (a file that
//   cannot be written, or that another program holds), 76 path not found, 75 any other file or
//   transfer failure, 7 out of memory, 5 anything else.
#include <exception>
#include <string>

namespace tolv::gui {

struct AppContext;

int errorNumber(const std::exception& e);
// What failed, in Japanese: the system's own reasons (which come in English) are put in Japanese.
std::string errorText(const std::exception& e);
// "Err No.53です", a line break, and what failed.
std::string errNoMessage(const std::exception& e);
// Shows the question with `buttons` (what OK and Cancel do) below it; returns true when the user
// chose OK. Cancel ends the program, so `buttons` must say so.
bool carryOnAfterError(AppContext& ctx, const std::exception& e, const std::string& buttons);
// The same, OK carrying on and Cancel ending the program.
bool carryOnAfterError(AppContext& ctx, const std::exception& e);

} // namespace tolv::gui
