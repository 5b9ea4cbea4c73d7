#pragma once
// Characters an XML 1.0 document can hold: tab, line feed, carriage return, U+0020–U+D7FF,
// U+E000–U+FFFD, U+10000–U+10FFFF, as well-formed UTF-8. A control character in a setting or a
// field (typed, or left by another program) would make the written file something no reader takes.
#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace tolv::exchange {

// What in `utf8` an XML document cannot hold ("U+0001", "UTF-8 でないバイト"), empty when all can.
std::string xmlCharacterProblem(std::string_view utf8);

// Every attribute value and text below `node` checked; TolvError naming the element and attribute.
void requireXmlText(const pugi::xml_node& node);

} // namespace tolv::exchange
