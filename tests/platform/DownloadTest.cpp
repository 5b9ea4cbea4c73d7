#include "platform/Download.h"

#include "platform/Error.h"
#include "support/HttpServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tolv;
namespace fs = std::filesystem;
using tolvtest::readBytes;
using tolvtest::writeBytes;

namespace {

// Bytes no text conversion may touch: NUL, CR LF, 0x5C and 0xFF.
const std::string kPayload = std::string("ab\0\r\n\\\xFF\x82\xA0z", 10);

class DownloadTest : public ::testing::Test {
protected:
    tolvtest::TempTree tree;
    fs::path served = tree.dir() / "served";
    fs::path target = tree.dir() / "out" / "kozin.dat";

    void SetUp() override { writeBytes(served / "kozin.dat", kPayload); }

    // Downloads a failing address and checks what the user sees and what is left on disk.
    void expectFailureKeepsOld(const std::string& url, long timeout = 5)
    {
        writeBytes(target, "old master");
        try {
            downloadToFile(url, target, timeout);
            FAIL() << "no error for " << url;
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find(url), std::string::npos) << e.what();
        }
        EXPECT_EQ(readBytes(target), "old master");
        EXPECT_FALSE(fs::exists(fs::path(target) += ".part"));
    }
};

TEST_F(DownloadTest, ServedFileArrivesByteForByte)
{
    tolvtest::HttpServer server(served);
    EXPECT_EQ(fetchUrl(server.url() + "kozin.dat"), kPayload);

    writeBytes(target, "an older and longer master file");
    downloadToFile(server.url() + "kozin.dat", target);
    EXPECT_EQ(readBytes(target), kPayload);
    EXPECT_FALSE(fs::exists(fs::path(target) += ".part"));
}

TEST_F(DownloadTest, NamesWithJapaneseAndBlanksAreRequestedEncoded)
{
    writeBytes(served / "東京 連盟" / "pass.dat", "pairs");
    tolvtest::HttpServer server(served);
    EXPECT_EQ(fetchUrl(server.url() + "東京 連盟/pass.dat"), "pairs");
}

TEST_F(DownloadTest, FileAddressesWork)
{
    downloadToFile("file://" + (served / "kozin.dat").string(), target);
    EXPECT_EQ(readBytes(target), kPayload);
    expectFailureKeepsOld("file://" + (served / "missing.dat").string());
}

TEST_F(DownloadTest, HttpErrorLeavesTheOldFileWhole)
{
    tolvtest::HttpServer server(served);
    expectFailureKeepsOld(server.url() + "missing.dat");
    try {
        fetchUrl(server.url() + "missing.dat");
        FAIL();
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("404"), std::string::npos) << e.what();
    }
}

TEST_F(DownloadTest, RefusedConnectionLeavesTheOldFileWhole)
{
    expectFailureKeepsOld("http://127.0.0.1:" + std::to_string(tolvtest::unusedPort()) + "/kozin.dat");
}

TEST_F(DownloadTest, ServerThatNeverAnswersTimesOut)
{
    // Listening but never accepting: the connection is made, no reply ever comes.
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(s, 4), 0);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    auto start = std::chrono::steady_clock::now();
    expectFailureKeepsOld("http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/kozin.dat", 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    close(s);
}

TEST_F(DownloadTest, MissingTargetFolderIsCreated)
{
    fs::path deep = tree.dir() / "a" / "b" / "kozin.dat";
    downloadToFile("file://" + (served / "kozin.dat").string(), deep);
    EXPECT_EQ(readBytes(deep), kPayload);
}

} // namespace
