#include "platform/Seal.h"

#include "platform/Error.h"
#include "platform/PlainFile.h"
#include "platform/SystemErrors.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSecretBytes = 32;

std::string hexOf(const unsigned char* bytes, std::size_t n)
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

} // namespace

struct Sha256::Impl {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Impl() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : impl_(std::make_unique<Impl>())
{
    if (!impl_->ctx || EVP_DigestInit_ex(impl_->ctx, EVP_sha256(), nullptr) != 1) throw TolvError("SHA-256 を使えません");
}

Sha256::~Sha256() = default;

void Sha256::update(std::string_view bytes)
{
    if (!bytes.empty()) EVP_DigestUpdate(impl_->ctx, bytes.data(), bytes.size());
}

std::string Sha256::hex()
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_DigestFinal_ex(impl_->ctx, md, &n);
    EVP_DigestInit_ex(impl_->ctx, EVP_sha256(), nullptr);
    return hexOf(md, n);
}

std::string keyedSeal(std::string_view key, std::string_view text)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(text.data()),
              text.size(), md, &n))
        throw TolvError("照合の印を作れません");
    return hexOf(md, n);
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
        enforce(bytes.size() == kSecretBytes, "照合の鍵ファイルが壊れています（" + std::to_string(bytes.size()) + " バイト）: " + file.string());
        return bytes;
    };
    if (auto bytes = readPlainFile(file, 4096)) return checked(*bytes);
    unsigned char secret[kSecretBytes];
    if (RAND_bytes(secret, sizeof secret) != 1) throw TolvError("乱数を得られません");
    // Written whole under a temporary name, then linked to its name: the link fails when another
    // program made the file first, and a reader never sees half a secret.
    static std::atomic<unsigned> counter{0};
    const fs::path temp = file.parent_path() / ("." + file.filename().string() + "." + std::to_string(::getpid()) + "." +
                                                std::to_string(counter.fetch_add(1)) + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw TolvError("照合の鍵ファイルを作れません: " + file.string() + "（" + reasonText(errno) + "）");
    const bool written = ::write(fd, secret, sizeof secret) == static_cast<ssize_t>(sizeof secret) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    const int linked = written ? ::link(temp.c_str(), file.c_str()) : -1;
    const int linkError = errno;
    ::unlink(temp.c_str());
    if (!written) throw TolvError("照合の鍵ファイルを作れません: " + file.string() + "（" + reasonText(writeError) + "）");
    if (linked != 0 && linkError != EEXIST)
        throw TolvError("照合の鍵ファイルを作れません: " + file.string() + "（" + reasonText(linkError) + "）");
    return checked(readPlainFile(file, 4096).value_or(std::string()));
}

} // namespace tolv
