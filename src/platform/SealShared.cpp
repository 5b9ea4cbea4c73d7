// The parts of Seal.h the same on every system: the hexadecimal form of a digest, the comparison
// of two seals, and the finding or making of the local secret around the system's halves.
#include "platform/Seal.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/PlainFile.h"
#include "platform/SealShared.h"

#include <atomic>

namespace tolv {

namespace fs = std::filesystem;

std::string seal::hexOf(const unsigned char* bytes, std::size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

bool sameSeal(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::string localSecret(const fs::path& file)
{
    auto checked = [&file](const std::string& bytes) {
        enforce(bytes.size() == seal::kSecretBytes,
                "照合の鍵ファイルが壊れています（" + std::to_string(bytes.size()) + " バイト）: " + file.string());
        return bytes;
    };
    if (auto bytes = readPlainFile(file, 4096)) return checked(*bytes);
    unsigned char secret[seal::kSecretBytes];
    seal::randomBytes(secret, sizeof secret);
    // Written whole under a temporary name, then put at its name without replacing: that fails when
    // another program made the file first, and a reader never sees half a secret.
    static std::atomic<unsigned> counter{0};
    const fs::path temp = file.parent_path() / ("." + file.filename().string() + "." + std::to_string(currentProcessNumber()) +
                                                "." + std::to_string(counter.fetch_add(1)) + ".tmp");
    seal::placeSecret(file, temp, secret, sizeof secret);
    return checked(readPlainFile(file, 4096).value_or(std::string()));
}

} // namespace tolv
