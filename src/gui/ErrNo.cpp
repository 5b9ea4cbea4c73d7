#include "gui/ErrNo.h"

#include "gui/AppContext.h"
#include "platform/Error.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace tolv::gui {

int errorNumber(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e)) return 7;
    if (auto* fe = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        std::error_code c = fe->code();
        if (c == std::errc::no_such_file_or_directory) return 53;
        if (c == std::errc::file_exists) return 58;
        if (c == std::errc::no_space_on_device) return 61;
        if (c == std::errc::permission_denied || c == std::errc::read_only_file_system) return 70;
        if (c == std::errc::not_a_directory) return 76;
        return 75;
    }
    if (dynamic_cast<const tolv::TolvError*>(&e)) return 75;
    return 5;
}

std::string errNoMessage(const std::exception& e)
{
    return "Err No." + std::to_string(errorNumber(e)) + "です\n" + e.what();
}

bool carryOnAfterError(AppContext& ctx, const std::exception& e)
{
    if (ctx.ask().ask(errNoMessage(e))) return true;
    ctx.end();
    return false;
}

} // namespace tolv::gui
