// tolv verify: the structure check of an entry file, one line per finding; exit 0 sound, 3 sound
// with data findings, 1 damaged.
#include "cli/Commands.h"
#include "storage/Verify.h"

#include <ostream>

namespace tolv::cli {

int cmdVerify(Context& ctx)
{
    const VerifyReport r = verifyEntryFile(ctx.args.need(0, "ENTRY"));
    for (const std::string& line : r.lines()) ctx.out << line << "\n";
    return r.exitCode();
}

} // namespace tolv::cli
