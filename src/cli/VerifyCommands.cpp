// tolv verify: the structure check of an entry file, one line per problem.
#include "cli/Commands.h"
#include "storage/Verify.h"

#include <ostream>

namespace tolv::cli {

int cmdVerify(Context& ctx)
{
    const VerifyReport r = verifyEntryFile(ctx.args.need(0, "ENTRY"));
    for (const std::string& line : r.lines()) ctx.out << line << "\n";
    return r.ok() ? 0 : 1;
}

} // namespace tolv::cli
