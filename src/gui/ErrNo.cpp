#include "gui/ErrNo.h"

#include "gui/AppContext.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "platform/SystemErrors.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace tolv::gui {
namespace {

int numberOf(tolv::ErrorKind kind)
{
    switch (kind) {
    case tolv::ErrorKind::NotFound: return 53;
    case tolv::ErrorKind::NoPermission:
    case tolv::ErrorKind::InUse: return 70;
    case tolv::ErrorKind::ReadOnly: return 75;
    case tolv::ErrorKind::DiskFull: return 61;
    case tolv::ErrorKind::Damaged: return 59;
    case tolv::ErrorKind::BadInput: return 13;
    case tolv::ErrorKind::Other: break;
    }
    return 75;
}

} // namespace

int errorNumber(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e)) return 7;
    if (auto* fe = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        const std::error_code c = fe->code();
        if (c == std::errc::file_exists) return 58;
        if (c == std::errc::not_a_directory) return 76;
        return numberOf(c.category() == std::generic_category() || c.category() == std::system_category()
                            ? tolv::errorKindOf(c.value())
                            : tolv::ErrorKind::Other);
    }
    if (auto* te = dynamic_cast<const tolv::TolvError*>(&e)) return numberOf(te->kind());
    return 5;
}

std::string errorText(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "メモリが足りません";
    return tolv::userMessage(e);
}

void tellError(tolv::Prompt& prompt, const std::exception& e) { prompt.tell(errorText(e)); }

std::string errNoMessage(const std::exception& e) { return "Err No." + std::to_string(errorNumber(e)) + "です\n" + errorText(e); }

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
