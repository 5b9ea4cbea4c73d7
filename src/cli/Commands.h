#pragma once
// Every tolv command; Cli.cpp holds the table that names them.
#include "cli/Cli.h"

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

// Formats of export / import (rows of kExports / kImports).
int cmdExportLenex(Context& ctx);
int cmdImportLenex(Context& ctx);

// The formats of `tolv import` (ImportCommands.cpp).
int cmdImportScm(Context& ctx);
int cmdImportSwm(Context& ctx);
int cmdImportWeb(Context& ctx);
int cmdImportResults1(Context& ctx);
int cmdImportResults2(Context& ctx);
int cmdImportNitiban(Context& ctx);
int cmdImportMcompd(Context& ctx);

// tolv export FORMAT: one function per format (ExportCommands.cpp).
int cmdExportScmLink(Context& ctx);
int cmdExportScmMedia(Context& ctx);
int cmdExportSwmMedia(Context& ctx);
int cmdExportTolvzep(Context& ctx);
int cmdExportQTolv(Context& ctx);
int cmdExportSwmKari(Context& ctx);
int cmdExportDbase(Context& ctx);
int cmdExportInterHigh(Context& ctx);

} // namespace tolv::cli
