#pragma once
// What the two systems' halves of Seal.h share (not for other users).
#include <cstddef>
#include <filesystem>
#include <string>

namespace tolv::seal {

inline constexpr std::size_t kSecretBytes = 32;

// Bytes as lower-case hexadecimal digits.
std::string hexOf(const unsigned char* bytes, std::size_t n);

// The system's half: `n` bytes from its source of random numbers ("乱数を得られません" when none).
void randomBytes(unsigned char* into, std::size_t n);
// The system's half: `secret` written whole to `temp` (readable by its owner only), then put at
// `file` without replacing anything: a file another program made there first stays, and `temp` is
// removed either way. A failure is an error naming `file`.
void placeSecret(const std::filesystem::path& file, const std::filesystem::path& temp, const unsigned char* secret,
                 std::size_t n);

} // namespace tolv::seal
