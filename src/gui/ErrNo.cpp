#include "gui/ErrNo.h"

#include "gui/AppContext.h"
#include "platform/Error.h"
#include "platform/SystemErrors.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

namespace tolv::gui {
namespace {

bool mentions(const std::string& what, int code)
{
    return what.find(std::string("(") + std::strerror(code) + ")") != std::string::npos;
}

} // namespace

int errorNumber(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e)) return 7;
    if (auto* fe = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        std::error_code c = fe->code();
        if (c == std::errc::no_such_file_or_directory) return 53;
        if (c == std::errc::file_exists) return 58;
        if (c == std::errc::no_space_on_device) return 61;
        if (c == std::errc::permission_denied || c == std::errc::read_only_file_system ||
            c == std::errc::operation_not_permitted)
            return 70;
        if (c == std::errc::not_a_directory) return 76;
        return 75;
    }
    if (dynamic_cast<const tolv::TolvError*>(&e)) {
        const std::string what = e.what();
        if (mentions(what, EACCES) || mentions(what, EPERM) || mentions(what, EROFS)) return 70;
        return 75;
    }
    return 5;
}

std::string errorText(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "メモリが足りません";
    return tolv::userMessage(e);
}

std::string errNoMessage(const std::exception& e)
{
    return "Err No." + std::to_string(errorNumber(e)) + "です\n" + errorText(e);
}

bool carryOnAfterError(AppContext& ctx, const std::exception& e, const std::string& buttons)
{
    if (ctx.ask().ask(errNoMessage(e) + "\n\n" + buttons)) return true;
    ctx.end();
    return false;
}

bool carryOnAfterError(AppContext& ctx, const std::exception& e)
{
    return carryOnAfterError(ctx, e, "OK: 続けます。\nキャンセル: プログラムを終了します。");
}

} // namespace tolv::gui
