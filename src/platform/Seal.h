#pragma once
// Seals for records the program keeps beside files someone else may change (the backup folder):
// SHA-256 of bytes, and a keyed seal (HMAC-SHA-256) under a secret of this working tree that never
// leaves its control folder. Whoever can rewrite the record but cannot read the secret cannot make
// a record that seals other bytes.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tolv {

// SHA-256 fed in pieces; hex() gives 64 lower-case hexadecimal digits.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void update(std::string_view bytes);
    std::string hex();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// HMAC-SHA-256 of `text` under `key`, 64 hexadecimal digits.
std::string keyedSeal(std::string_view key, std::string_view text);

// The secret kept in `file` (32 random bytes, readable by its owner only), made on first use. Two
// programs making it at once agree on one. A file that is a link, not a regular file or not
// exactly a secret is refused (TolvError naming it and the reason), never replaced.
std::string localSecret(const std::filesystem::path& file);

// Compares two texts in time that does not depend on where they differ.
bool sameSeal(std::string_view a, std::string_view b);

} // namespace tolv
