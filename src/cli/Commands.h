#pragma once
// Every tolv command; Cli.cpp holds the table that names them.
#include "cli/Cli.h"
#include "exchange/Exports.h"
#include "exchange/ImportMenu.h"

namespace tolv::cli {

int cmdNew(Context& ctx);
int cmdShow(Context& ctx);
int cmdSetHeader(Context& ctx);
int cmdDemo(Context& ctx);
int cmdAdd(Context& ctx);
int cmdCheck(Context& ctx);
int cmdRewrite(Context& ctx);
int cmdTally(Context& ctx);
int cmdSort(Context& ctx);
int cmdPrint(Context& ctx);
// The usage line of tolv print, naming every list.
std::string printUsage();
int cmdExport(Context& ctx);
int cmdImport(Context& ctx);
int cmdBackups(Context& ctx);
int cmdUndo(Context& ctx);
int cmdMerge(Context& ctx);
int cmdFormats(Context& ctx);
int cmdVerify(Context& ctx);

// The formats of export and import with their own options.
std::vector<Variant> exportFormats();
std::vector<Variant> importFormats();
int cmdExportSeiko(Context& ctx);
int cmdExportRegistrationDocs(Context& ctx);
int cmdExportRegistration(Context& ctx);

// Formats of export / import with a command of their own.
int cmdExportLenex(Context& ctx);
int cmdImportLenex(Context& ctx);
int cmdImportLenexMeet(Context& ctx);

// The formats of `tolv import` with a command of their own (ImportCommands.cpp); the others run
// through runImport.
int cmdImportResults1(Context& ctx);
int cmdImportResults2(Context& ctx);
int cmdImportMcompd(Context& ctx);
// tolv import FORMAT ENTRY [--from DIR] for an import the core runs on the open entry file.
int runImport(Context& ctx, ImportFn import);

// tolv export FORMAT ENTRY [--to DIR] [--master DIR] for an export the core runs on the entry data
// (ExportCommands.cpp).
int runExport(Context& ctx, exchange::ExportFn fn);

} // namespace tolv::cli
