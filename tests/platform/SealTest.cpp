// The seals are the same bytes on every system (OpenSSL on Linux, CNG on Windows): a backup record
// sealed on one is checked on the other.
#include "platform/Error.h"
#include "platform/Seal.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;

TEST(Seal, DigestsAndKeyedSealsAreTheStandardOnes)
{
    Sha256 sha;
    EXPECT_EQ(sha.hex(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    sha.update("a");
    sha.update("bc");
    EXPECT_EQ(sha.hex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Ready again after hex().
    sha.update("abc");
    EXPECT_EQ(sha.hex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(keyedSeal("Jefe", "what do ya want for nothing?"),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
}

TEST(Seal, TheSecretIsMadeOnceAndAnythingElseInItsPlaceIsRefused)
{
    tolvtest::TempTree t;
    const auto file = t.dir() / "seal.key";
    const std::string secret = localSecret(file);
    EXPECT_EQ(secret.size(), 32u);
    EXPECT_EQ(localSecret(file), secret);
    EXPECT_EQ(tolvtest::readBytes(file), secret);

    const auto folder = t.dir() / "folder.key";
    std::filesystem::create_directory(folder);
    EXPECT_THROW(localSecret(folder), TolvError);
    tolvtest::writeBytes(t.dir() / "short.key", "abc");
    EXPECT_THROW(localSecret(t.dir() / "short.key"), TolvError);
}
