#include "platform/ContentDigest.h"

#include <cstdio>

namespace tolv {

void ContentDigest::update(std::string_view bytes)
{
    std::uint64_t h = h_;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    h_ = h;
}

std::string ContentDigest::text() const
{
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h_));
    return buf;
}

std::string ContentDigest::of(std::string_view bytes)
{
    ContentDigest d;
    d.update(bytes);
    return d.text();
}

} // namespace tolv
