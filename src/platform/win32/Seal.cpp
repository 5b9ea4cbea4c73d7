// The Windows half of Seal.h on the system's cryptography (CNG, bcrypt): SHA-256 and HMAC-SHA-256
// through BCryptCreateHash, the secret's bytes from BCryptGenRandom. The secret file is made under a
// temporary name readable by its owner only (a protected access list naming the user alone) and
// then moved to its name without replacing: the move fails when another program made it first.
#include "platform/Seal.h"

#include "platform/Error.h"
#include "platform/SealShared.h"
#include "platform/SystemErrors.h"
#include "platform/win32/Wide.h"

#include <windows.h>

#include <bcrypt.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

namespace tolv {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kDigestBytes = 32;

bool ok(NTSTATUS status) { return status >= 0; }

// A SHA-256 hash object of CNG, keyed (HMAC) when `key` is given.
class CngHash {
public:
    CngHash(const std::string_view* key, const char* failure)
    {
        const ULONG flags = key ? BCRYPT_ALG_HANDLE_HMAC_FLAG : 0;
        if (!ok(::BCryptOpenAlgorithmProvider(&alg_, BCRYPT_SHA256_ALGORITHM, nullptr, flags))) {
            alg_ = nullptr;
            throw TolvError(failure);
        }
        PUCHAR secret = key ? reinterpret_cast<PUCHAR>(const_cast<char*>(key->data())) : nullptr;
        const ULONG secretSize = key ? static_cast<ULONG>(key->size()) : 0;
        if (!ok(::BCryptCreateHash(alg_, &hash_, nullptr, 0, secret, secretSize, 0))) {
            hash_ = nullptr;
            ::BCryptCloseAlgorithmProvider(alg_, 0);
            throw TolvError(failure);
        }
    }
    ~CngHash()
    {
        if (hash_) ::BCryptDestroyHash(hash_);
        if (alg_) ::BCryptCloseAlgorithmProvider(alg_, 0);
    }
    CngHash(const CngHash&) = delete;
    CngHash& operator=(const CngHash&) = delete;

    bool update(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ULONG n = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
            if (!ok(::BCryptHashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), n, 0))) return false;
            bytes.remove_prefix(n);
        }
        return true;
    }
    // The digest in hexadecimal; the object cannot take more bytes after it.
    std::string finish(const char* failure)
    {
        unsigned char md[kDigestBytes];
        if (!ok(::BCryptFinishHash(hash_, md, sizeof md, 0))) throw TolvError(failure);
        return seal::hexOf(md, sizeof md);
    }

private:
    BCRYPT_ALG_HANDLE alg_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

constexpr const char* kNoSha256 = "SHA-256 を使えません";
constexpr const char* kNoSeal = "照合の印を作れません";

// A security descriptor that lets only the current user (and the system) at the file, none of the
// folder's inherited entries.
class OwnerOnly {
public:
    OwnerOnly()
    {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<unsigned char> info(size);
        wchar_t* sid = nullptr;
        if (size && ::GetTokenInformation(token, TokenUser, info.data(), size, &size) &&
            ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &sid)) {
            const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")(A;;FA;;;SY)";
            ::LocalFree(sid);
            ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor_, nullptr);
        }
        ::CloseHandle(token);
    }
    ~OwnerOnly()
    {
        if (descriptor_) ::LocalFree(descriptor_);
    }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;
    SECURITY_ATTRIBUTES* attributes()
    {
        if (!descriptor_) return nullptr;
        attributes_ = {sizeof attributes_, descriptor_, FALSE};
        return &attributes_;
    }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

[[noreturn]] void cannotMake(const fs::path& file, DWORD error)
{
    throw win32::systemErrorOf("照合の鍵ファイルを作れません: " + file.string(), error);
}

} // namespace

struct Sha256::Impl {
    std::unique_ptr<CngHash> hash = std::make_unique<CngHash>(nullptr, kNoSha256);
};

Sha256::Sha256() : impl_(std::make_unique<Impl>()) {}

Sha256::~Sha256() = default;

void Sha256::update(std::string_view bytes)
{
    if (!impl_->hash->update(bytes)) throw TolvError(kNoSha256);
}

std::string Sha256::hex()
{
    std::string digest = impl_->hash->finish(kNoSha256);
    // Ready for the next text, as on the other systems.
    impl_->hash = std::make_unique<CngHash>(nullptr, kNoSha256);
    return digest;
}

std::string keyedSeal(std::string_view key, std::string_view text)
{
    CngHash hmac(&key, kNoSeal);
    if (!hmac.update(text)) throw TolvError(kNoSeal);
    return hmac.finish(kNoSeal);
}

void seal::randomBytes(unsigned char* into, std::size_t n)
{
    if (!ok(::BCryptGenRandom(nullptr, into, static_cast<ULONG>(n), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw TolvError("乱数を得られません");
}

// The temporary file is moved to its name without MOVEFILE_REPLACE_EXISTING: the move fails when
// another program made the file first.
void seal::placeSecret(const fs::path& file, const fs::path& temp, const unsigned char* secret, std::size_t n)
{
    OwnerOnly owner;
    if (!owner.attributes()) cannotMake(file, ::GetLastError());
    win32::Handle h(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, owner.attributes(), CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!h) cannotMake(file, ::GetLastError());
    DWORD put = 0;
    DWORD writeError = 0;
    if (!::WriteFile(h.get(), secret, static_cast<DWORD>(n), &put, nullptr)) writeError = ::GetLastError();
    else if (put != n) writeError = ERROR_DISK_FULL;
    else if (!::FlushFileBuffers(h.get())) writeError = ::GetLastError();
    const bool written = writeError == 0;
    h.reset();
    const bool moved = written && ::MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH);
    const DWORD moveError = ::GetLastError();
    if (!moved) ::DeleteFileW(temp.c_str());
    if (!written) cannotMake(file, writeError);
    if (!moved && moveError != ERROR_ALREADY_EXISTS && moveError != ERROR_FILE_EXISTS) cannotMake(file, moveError);
}

} // namespace tolv
