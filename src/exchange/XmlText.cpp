#include "exchange/XmlText.h"

#include "platform/Error.h"

#include <cstdio>

namespace tolv::exchange {

std::string xmlCharacterProblem(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned long cp = 0;
        std::size_t n = 0;
        if (c < 0x80) cp = c, n = 1;
        else if ((c & 0xE0) == 0xC0) cp = c & 0x1F, n = 2;
        else if ((c & 0xF0) == 0xE0) cp = c & 0x0F, n = 3;
        else if ((c & 0xF8) == 0xF0) cp = c & 0x07, n = 4;
        else return "UTF-8 でないバイト";
        if (i + n > s.size()) return "UTF-8 でないバイト";
        for (std::size_t k = 1; k < n; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return "UTF-8 でないバイト";
            cp = (cp << 6) | (d & 0x3F);
        }
        static const unsigned long least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n]) return "UTF-8 でないバイト";
        const bool allowed = cp == 0x09 || cp == 0x0A || cp == 0x0D || (cp >= 0x20 && cp <= 0xD7FF) ||
                             (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
        if (!allowed) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "U+%04lX", cp);
            return buf;
        }
        i += n;
    }
    return {};
}

void requireXmlText(const pugi::xml_node& node)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const std::string problem = xmlCharacterProblem(a.value());
        if (!problem.empty())
            throw TolvError(std::string("XML に書けない文字があります（") + node.name() + " の " + a.name() + ": " + problem +
                            "）");
    }
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        const std::string problem = xmlCharacterProblem(node.value());
        if (!problem.empty())
            throw TolvError(std::string("XML に書けない文字があります（") + node.parent().name() + " の本文: " + problem + "）");
    }
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) requireXmlText(child);
}

} // namespace tolv::exchange
