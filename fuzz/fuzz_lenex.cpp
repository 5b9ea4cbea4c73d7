// The Lenex import reader: the input as an .lxf archive and as the XML of a .lef file, read against
// a fixed entry file header.
#include "FuzzSupport.h"
#include "exchange/LenexContainer.h"
#include "exchange/LenexReader.h"
#include "platform/Error.h"
#include "storage/Records.h"

TOLV_FUZZ_TARGET(lenex)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const tolv::EntryHeader header = [] {
        tolv::EntryHeader h;
        h.setKijunBi("2008/04/01");
        h.setCourse(1);
        return h;
    }();
    static const tolv::ReserveEvents reserve;
    try {
        (void)tolv::lenex::unpackLenex(bytes, "fuzz.lxf");
    } catch (const tolv::TolvError&) {
    }
    try {
        (void)tolv::lenex::readLenex(bytes, "fuzz.lef", header, reserve);
    } catch (const tolv::TolvError&) {
    }
    return 0;
}
