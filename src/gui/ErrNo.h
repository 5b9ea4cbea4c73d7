#pragma once
// Unexpected errors while a window loads: "Err No.", the error number and "です", then what
// happened in Japanese and what each button does, asked with OK and Cancel.
//
// The error number is that of the failure's kind (TolvError::kind, or the code of a filesystem
// error), as the platform's file errors numbered them:
//   53 not found, 58 file already exists, 61 disk full, 70 no permission or held by another
//   program, 75 a read-only medium and any other file or transfer failure, 59 a damaged file,
//   13 input that cannot be taken, 7 out of memory, 5 anything else.
//
// Every window shows a failure through this presenter: errorText for the text, tellError to tell
// it, errNoMessage and carryOnAfterError while a window loads.
#include <exception>
#include <string>

namespace tolv {
class Prompt;
}

namespace tolv::gui {

struct AppContext;

int errorNumber(const std::exception& e);
// What failed, in Japanese: the system's own reasons (which come in English) are put in Japanese.
std::string errorText(const std::exception& e);
// Tells the failure's text (errorText) with `prompt`.
void tellError(tolv::Prompt& prompt, const std::exception& e);
// "Err No.53です", a line break, and what failed.
std::string errNoMessage(const std::exception& e);
// Shows the question with `buttons` (what OK and Cancel do) below it; returns true when the user
// chose OK. Cancel ends the program, so `buttons` must say so.
bool carryOnAfterError(AppContext& ctx, const std::exception& e, const std::string& buttons);
// The same, OK carrying on and Cancel ending the program.
bool carryOnAfterError(AppContext& ctx, const std::exception& e);

} // namespace tolv::gui
