#include "platform/Download.h"

#include "platform/Error.h"
#include "support/HttpServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

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
    DownloadTimeouts saved = downloadTimeouts();

    // The target's folder holds the target and nothing left over from a transfer.
    void expectOnlyTarget()
    {
        std::vector<fs::path> left;
        for (const auto& e : fs::directory_iterator(target.parent_path())) left.push_back(e.path());
        EXPECT_EQ(left, std::vector<fs::path>{target});
    }

    void SetUp() override
    {
        writeBytes(served / "kozin.dat", kPayload + std::string(4000, 'm'));
        downloadTimeouts() = DownloadTimeouts{2000, 300};
    }
    void TearDown() override { downloadTimeouts() = saved; }

    // Downloads a failing address and checks what the user sees and what is left on disk; returns
    // the cause shown.
    std::string expectFailureKeepsOld(const std::string& url)
    {
        writeBytes(target, "old master");
        std::string cause;
        try {
            downloadToFile(url, target);
            ADD_FAILURE() << "no error for " << url;
        } catch (const DownloadError& e) {
            EXPECT_NE(std::string(e.what()).find(url), std::string::npos) << e.what();
            cause = e.cause();
        }
        EXPECT_EQ(readBytes(target), "old master");
        expectOnlyTarget();
        return cause;
    }
};

TEST_F(DownloadTest, ServedFileArrivesByteForByte)
{
    tolvtest::HttpServer server(served);
    EXPECT_EQ(fetchUrl(server.url() + "kozin.dat"), readBytes(served / "kozin.dat"));

    writeBytes(target, "an older and longer master file");
    downloadToFile(server.url() + "kozin.dat", target);
    EXPECT_EQ(readBytes(target), readBytes(served / "kozin.dat"));
    expectOnlyTarget();
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
    EXPECT_EQ(readBytes(target), readBytes(served / "kozin.dat"));
    expectFailureKeepsOld("file://" + (served / "missing.dat").string());
}

TEST_F(DownloadTest, HttpErrorLeavesTheOldFileWhole)
{
    tolvtest::HttpServer server(served);
    expectFailureKeepsOld(server.url() + "missing.dat");
    EXPECT_EQ(expectFailureKeepsOld(server.url() + "missing.dat"), "サーバーにファイルがありません (HTTP 404)");
}

// What the transfer library reports in English reaches the user in the program's words.
TEST_F(DownloadTest, BrokenTransfersAreNamedInJapaneseAndKeepTheOldFile)
{
    EXPECT_EQ(expectFailureKeepsOld("http://127.0.0.1:" + std::to_string(tolvtest::unusedPort()) + "/kozin.dat"),
              "サーバーにつながりません（接続を断られました）");
    const struct {
        tolvtest::HttpServer::Fault fault;
        std::string cause;
    } cases[] = {
        {tolvtest::HttpServer::Drop, "サーバーが何も返さずに接続を切りました"},
        {tolvtest::HttpServer::Close, "転送が途中で切れました（4010 バイトのうち 2005 バイトしか届いていません）"},
        {tolvtest::HttpServer::Stall, "時間切れです（1 秒間データが届きません）"},
    };
    for (const auto& c : cases) {
        tolvtest::HttpServer server(served, c.fault, "kozin.dat");
        EXPECT_EQ(expectFailureKeepsOld(server.url() + "kozin.dat"), c.cause);
    }
    EXPECT_EQ(expectFailureKeepsOld("ftp://127.0.0.1/kozin.dat"),
              "アドレスの形式が正しくありません（https:// で始まるアドレスを指定してください）");
}

// A trickling transfer reports as it goes, and 中止 ends it at once.
TEST_F(DownloadTest, ProgressIsReportedAndCancelStopsTheTransfer)
{
    struct CancelAfter : TransferProgress {
        long long seen = 0;
        int ended = 0;
        bool transferring(const std::string&, long long received, long long total) override
        {
            if (received > 0) {
                EXPECT_EQ(total, 4010);
            }
            seen = received;
            return received < 20;
        }
        void finished(const std::string&) override { ++ended; }
    } observer;
    TransferProgress* before = setTransferProgress(&observer);
    tolvtest::HttpServer server(served, tolvtest::HttpServer::Trickle, "kozin.dat", 400);
    writeBytes(target, "old master");
    try {
        downloadToFile(server.url() + "kozin.dat", target);
        ADD_FAILURE() << "not cancelled";
    } catch (const DownloadError& e) {
        EXPECT_TRUE(e.cancelled());
        EXPECT_EQ(e.cause(), "中止しました");
    }
    setTransferProgress(before);
    EXPECT_GE(observer.seen, 20);
    EXPECT_LT(observer.seen, 4010);
    EXPECT_EQ(observer.ended, 1);
    EXPECT_EQ(readBytes(target), "old master");
}

// Offices reach the world through the proxy of their environment; no_proxy and this machine go
// direct.
TEST_F(DownloadTest, ProxyOfTheEnvironmentIsUsed)
{
    // The environment the test found is put back however it ends.
    struct Saved {
        std::string name;
        const char* had;
        std::string value;
        explicit Saved(const char* n) : name(n), had(std::getenv(n)), value(had ? had : "") {}
        ~Saved() { had ? setenv(name.c_str(), value.c_str(), 1) : unsetenv(name.c_str()); }
    } httpProxy("http_proxy"), noProxy("no_proxy"), noProxyUpper("NO_PROXY");
    unsetenv("NO_PROXY");
    unsetenv("no_proxy");
    tolvtest::HttpServer proxy(served);
    setenv("http_proxy", proxy.url().c_str(), 1);
    const std::string far = "http://tolvsys-download.invalid/kozin.dat";
    EXPECT_EQ(fetchUrl(far), readBytes(served / "kozin.dat"));
    EXPECT_EQ(proxy.requests(), std::vector<std::string>{"/kozin.dat"});
    setenv("no_proxy", "tolvsys-download.invalid", 1);
    EXPECT_THROW(fetchUrl(far), DownloadError);
    unsetenv("no_proxy");
    // The loopback address is never sent to the proxy.
    tolvtest::HttpServer local(served);
    EXPECT_EQ(fetchUrl(local.url() + "kozin.dat"), readBytes(served / "kozin.dat"));
    EXPECT_EQ(proxy.requests().size(), 1u);
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
    EXPECT_EQ(expectFailureKeepsOld("http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/kozin.dat"),
              "時間切れです（1 秒間データが届きません）");
    close(s);
}

TEST_F(DownloadTest, MissingTargetFolderIsCreated)
{
    fs::path deep = tree.dir() / "a" / "b" / "kozin.dat";
    downloadToFile("file://" + (served / "kozin.dat").string(), deep);
    EXPECT_EQ(readBytes(deep), readBytes(served / "kozin.dat"));
}

} // namespace
