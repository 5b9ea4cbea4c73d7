// The registration master readers and the download checks: the input is taken as dantai.dat,
// kozin.dat and both index files in turn.
#include "FuzzSupport.h"
#include "platform/Error.h"
#include "storage/FileChecks.h"
#include "storage/Master.h"

using tolvfuzz::quietly;

TOLV_FUZZ_TARGET(master)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto path = tolvfuzz::inputFile("master.dat", data, size);
    quietly([&] { tolv::checkTeamListBytes(bytes, "dantai.dat"); });
    quietly([&] { tolv::checkAthleteListBytes(bytes, "kozin.dat"); });
    quietly([&] { tolv::checkIndexBytes(bytes, tolv::kIndexQRecord, tolv::kIndexQKey, 0, "indexq.dat"); });
    quietly([&] { tolv::checkIndexBytes(bytes, tolv::kIndexTRecord, tolv::kIndexTKey, 5, "indext.dat"); });
    quietly([&] {
        tolv::TeamList teams;
        teams.openTeamList(path);
        for (int n = 1; n <= teams.count() && n <= 200; ++n) (void)(teams.readTeam(n).name() + teams.readTeam(n).address(1, 1));
        (void)teams.findTeam("13001");
    });
    quietly([&] {
        tolv::AthleteList athletes;
        athletes.openAthleteList(path);
        for (int n = 1; n <= athletes.count() && n <= 50; ++n)
            (void)(athletes.readAthlete(n).Namae() + athletes.readAthlete(n).team(4));
    });
    // A count past the entries is told, not searched.
    quietly([&] { (void)tolv::lookUpIndex(path, tolv::kIndexQRecord, "13001200105011"); });
    quietly([&] { (void)tolv::lookUpIndex(path, tolv::kIndexTRecord, "200105011"); });
    return 0;
}
