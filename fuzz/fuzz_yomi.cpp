// The reading formats of the merge, yomi.dat: the input as the file, every format read; a format
// read back that may be written (a blank name may not) reads again as the same format; a
// registration, a change and a deletion on the file leave a file that reads.
#include "FuzzSupport.h"
#include "merge/ReadingFormats.h"

#include <cstdio>
#include <cstdlib>

namespace fs = std::filesystem;
namespace m = tolv::merge;

TOLV_FUZZ_TARGET(yomi)
{
    const fs::path yomi = tolvfuzz::inputFile("yomi.dat", data, size);
    std::vector<m::ReadingFormat> formats;
    if (!tolvfuzz::quietly([&] { formats = m::readReadingFormats(yomi); })) return 0;
    for (const m::ReadingFormat& f : formats) {
        (void)m::findReadingFormat(formats, f.name);
        std::string record;
        if (tolvfuzz::quietly([&] { record = m::encodeReadingFormat(f); }) && m::decodeReadingFormat(record) != f) {
            std::fputs("a reading format does not read back as written\n", stderr);
            std::abort();
        }
    }
    if (formats.empty()) return 0;
    tolvfuzz::quietly([&] {
        m::registerReadingFormat(yomi, formats.back());
        m::modifyReadingFormat(yomi, 1, formats.front());
        m::deleteReadingFormat(yomi, 0);
        (void)m::readReadingFormats(yomi);
    });
    return 0;
}
