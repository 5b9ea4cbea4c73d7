#pragma once
// A Lenex 3 conformance check for the tests, written from the format's element documentation:
// the elements each element may hold (and must hold), the attributes each may carry with their
// data type and whether required (in the contexts the footnotes give: CONTACT email only in
// CONSTRUCTOR, CLUB name not for UNATTACHED clubs, ATHLETE athleteid and the RELAY ages and
// gender in a meet), the enumerations, and the id references inside a meet (ENTRY/RESULT eventid
// and heatid, RELAYPOSITION athleteid; eventid, athleteid, resultid and heatid unique).
#include <string>
#include <string_view>
#include <vector>

namespace tolvtest {

// Every fault of the document, one line each ("/LENEX/MEETS/MEET[1]/…: …"); empty when it conforms.
std::vector<std::string> lenexFaults(std::string_view xml);

} // namespace tolvtest
