// tolv demo DIR: the demo registration master and a sample entry file.
#include "cli/Commands.h"
#include "storage/DemoData.h"

#include <filesystem>
#include <ostream>

namespace tolv::cli {

int cmdDemo(Context& ctx)
{
    std::filesystem::path dir(ctx.args.need(0, "DIR"));
    std::filesystem::create_directories(dir);
    writeDemo(dir);
    ctx.out << "registration root: " << (dir / "registration").string() << "\n"
            << "sample entry file: " << (dir / "entry" / "sample.zep").string() << "\n"
            << "prefecture table:  " << (dir / "ken.ctl").string() << "\n";
    return 0;
}

} // namespace tolv::cli
