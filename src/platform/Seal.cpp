// The POSIX half of Seal.h on OpenSSL (SHA-256, HMAC, random bytes) and link(2).
#include "platform/Seal.h"

#include "platform/Error.h"
#include "platform/SealShared.h"
#include "platform/SystemErrors.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolv {

namespace fs = std::filesystem;

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
    return seal::hexOf(md, n);
}

std::string keyedSeal(std::string_view key, std::string_view text)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(text.data()),
              text.size(), md, &n))
        throw TolvError("照合の印を作れません");
    return seal::hexOf(md, n);
}

void seal::randomBytes(unsigned char* into, std::size_t n)
{
    if (RAND_bytes(into, static_cast<int>(n)) != 1) throw TolvError("乱数を得られません");
}

// The temporary file is linked to its name: link(2) fails when another program made the file first.
void seal::placeSecret(const fs::path& file, const fs::path& temp, const unsigned char* secret, std::size_t n)
{
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw TolvError("照合の鍵ファイルを作れません: " + file.string() + "（" + reasonText(errno) + "）");
    const bool written = ::write(fd, secret, n) == static_cast<ssize_t>(n) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    const int linked = written ? ::link(temp.c_str(), file.c_str()) : -1;
    const int linkError = errno;
    ::unlink(temp.c_str());
    if (!written) throw TolvError("照合の鍵ファイルを作れません: " + file.string() + "（" + reasonText(writeError) + "）");
    if (linked != 0 && linkError != EEXIST)
        throw TolvError("照合の鍵ファイルを作れません: " + file.string() + "（" + reasonText(linkError) + "）");
}

} // namespace tolv
