// The merge of comma-separated club files: the input holds a yomi.dat and the club file (two
// parts); the file is read through each stored format (the first two), or through a format of
// columns 1 … 35 when the yomi.dat holds none, prepared and appended to a sound entry file. The
// preview reads the same file.
#include "FuzzSupport.h"
#include "merge/Merge.h"

namespace {

tolv::merge::ReadingFormat plainFormat()
{
    tolv::merge::ReadingFormat f;
    f.name = "fuzz";
    for (int i = 0; i < tolv::merge::kTargetFields; ++i) f.columns[std::size_t(i)] = {i + 1, false};
    return f;
}

} // namespace

TOLV_FUZZ_TARGET(csvmerge)
{
    static tolvfuzz::ImportBench bench;
    const std::vector<std::string> p = tolvfuzz::parts(data, size, 2);
    bench.reset({{"yomi.dat", p[0]}, {"club.csv", p[1]}});
    std::vector<tolv::merge::ReadingFormat> formats;
    tolvfuzz::quietly([&] { formats = tolv::merge::readReadingFormats(bench.transfer() / "yomi.dat"); });
    if (formats.size() > 2) formats.resize(2);
    if (formats.empty()) formats.push_back(plainFormat());
    const auto club = bench.transfer() / "club.csv";
    for (const tolv::merge::ReadingFormat& format : formats)
        bench.refusedLeavesEntry([&] {
            tolv::EntryStore store;
            store.openEntryFile(bench.entry());
            tolv::merge::MergeRequest request;
            request.format = &format;
            request.prefectureTable = bench.kenCtl();
            tolv::merge::PreparedSource source = tolv::merge::prepareSource(club, store, request);
            (void)tolv::merge::findingLines({source});
            tolv::merge::appendSources(store, {source});
        });
    (void)tolv::merge::cutCsvRecords(p[1]);
    tolvfuzz::quietly([&] {
        const tolv::merge::CsvPreview preview = tolv::merge::readCsvPreview(club);
        std::array<std::string, tolv::merge::kTargetFields> refs;
        for (std::size_t i = 0; i < refs.size(); ++i) refs[i] = std::to_string(i + 1) + (i % 2 ? "+" : "");
        for (std::size_t r = 0; r < preview.records.size() && r < 20; ++r)
            (void)tolv::merge::previewTargets(preview.records[r], refs);
    });
    return 0;
}
