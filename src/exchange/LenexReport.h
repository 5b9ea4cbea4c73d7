#pragma once
// The closing words of a Lenex import or meet: what was added and what was not, as the user reads
// them, and the question asked before the meet replaces the header.
#include "exchange/LenexReader.h"

#include <filesystem>
#include <string>

namespace tolv::lenex {

std::string describeImport(const ImportResult& result, const std::filesystem::path& file);
std::string describeMeet(const ImportResult& result, const std::filesystem::path& file);
// The question asked before the meet replaces the header of an entry file with swimmers.
std::string headerQuestion(const MeetInfo& meet);

} // namespace tolv::lenex
