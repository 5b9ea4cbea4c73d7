#pragma once
// The prefecture table shipped with the program: the 47 prefectures in the usual code order
// (01 北海道 ... 47 沖縄県), written as ken.ctl when the ctl folder has none.
//
// Name: the full name with its 都/道/府/県, at most 4 full-width characters (8 bytes).
// Reading: the half-width katakana reading of the name without 都/府/県 (北海道 read whole), cut to
// the 6 bytes of its field at a kana boundary (a voiced mark is never parted from its kana), so
// ﾎｯｶｲﾄﾞｳ becomes ﾎｯｶｲﾄﾞ. The further field stays empty.
#include "storage/ControlFiles.h"

#include <filesystem>
#include <vector>

namespace tolv {

inline constexpr int kPrefectureCount = 47;

// Element i is prefecture i + 1.
const std::vector<Prefecture>& shippedPrefectures();

// Writes the shipped table into ctlDir/ken.ctl when no ken.ctl (in any letter case) is there; an
// existing one, downloaded or edited, is never replaced. Returns true when it wrote the file.
bool installShippedPrefectureTable(const std::filesystem::path& ctlDir);

} // namespace tolv
