#pragma once
// The shared key sort: a diminishing-increment insertion sort of text keys carrying record numbers,
// ascending by byte order. Equal keys are never exchanged, so input already in order stays as it is.
#include <string>
#include <vector>

namespace tolv {

struct SortItem {
    std::string key; // CP932 bytes, compared as unsigned bytes
    int record = 0;  // record number before sorting
};

void keySort(std::vector<SortItem>& items);

} // namespace tolv
