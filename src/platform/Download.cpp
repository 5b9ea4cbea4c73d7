// The POSIX half of Download.h on libcurl (a multi handle polled every 50 ms, so the stall clock
// and the observer run while bytes arrive).
#include "platform/Download.h"

#include "platform/AtomicFile.h"
#include "platform/DownloadShared.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string_view>

namespace tolv {

namespace fs = std::filesystem;

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using Clock = std::chrono::steady_clock;

struct Sink {
    std::string* memory = nullptr;
    AtomicFile* file = nullptr;
    bool writeFailed = false;
    std::string writeError; // why the file could not be written
    long long received = 0;
    Clock::time_point lastByte;
};

size_t writeCallback(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    sink->received += static_cast<long long>(bytes);
    sink->lastByte = Clock::now();
    if (sink->memory) {
        sink->memory->append(data, bytes);
        return bytes;
    }
    try {
        sink->file->write(std::string_view(data, bytes));
    } catch (const TolvError& e) {
        sink->writeFailed = true;
        sink->writeError = e.what();
        return 0; // makes curl stop with a write error
    }
    return bytes;
}

// Direct connections for the hosts of no_proxy and always for this machine: the environment's
// proxy must not receive requests meant for a local server.
std::string noProxyList()
{
    const char* env = std::getenv("no_proxy");
    if (!env || !*env) env = std::getenv("NO_PROXY");
    std::string list = env ? env : "";
    if (list == "*") return list;
    if (!list.empty()) list += ",";
    return list + "localhost,127.0.0.1,::1";
}

void transfer(const std::string& url, Sink& sink)
{
    initCurlOnce();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)> multi(curl_multi_init(), &curl_multi_cleanup);
    if (!curl || !multi) throw DownloadError(url, "通信を始められません");
    CURL* h = curl.get();
    const std::string encoded = download::encodeForTransfer(url);
    const std::string noProxy = noProxyList();
    const DownloadTimeouts limits = downloadTimeouts();

    curl_easy_setopt(h, CURLOPT_URL, encoded.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    // Without this an error page would be saved as the file.
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, noProxy.c_str());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs > 0 ? limits.connectMs : 15000L);
    // A backstop under the stall clock below, should the connection's moment never be known.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, (limits.connectMs + limits.stallMs) / 1000 + 2);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &writeCallback);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_multi_add_handle(multi.get(), h);

    // The stall clock starts when the connection stands and restarts with every byte.
    bool connected = false, stalled = false, cancelled = false;
    sink.lastByte = Clock::now();
    int running = 1;
    CURLcode rc = CURLE_OK;
    TransferProgress* observer = download::observer();
    while (true) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        if (!running) {
            int left = 0;
            while (CURLMsg* m = curl_multi_info_read(multi.get(), &left))
                if (m->msg == CURLMSG_DONE) rc = m->data.result;
            break;
        }
        if (!connected) {
            curl_off_t t = 0;
            if (curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &t) == CURLE_OK && t > 0) {
                connected = true;
                if (sink.received == 0) sink.lastByte = Clock::now();
            }
        }
        const long idle =
            static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sink.lastByte).count());
        if (connected && idle > (limits.stallMs > 0 ? limits.stallMs : 15000L)) {
            stalled = true;
            break;
        }
        if (observer) {
            curl_off_t total = -1;
            curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
            if (!observer->transferring(url, sink.received, total)) {
                cancelled = true;
                break;
            }
        }
        curl_multi_poll(multi.get(), nullptr, 0, 50, nullptr);
    }
    curl_off_t expected = -1;
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi.get(), h);
    if (observer) observer->finished(url);

    if (cancelled) throw DownloadError(url, "中止しました", true);
    if (stalled) throw DownloadError(url, download::stalledText(limits.stallMs));
    if (rc == CURLE_OK) return;
    if (sink.writeFailed)
        throw DownloadError(url, "受け取ったデータをファイルに書き込めません" +
                                     (sink.writeError.empty() ? std::string() : "（" + sink.writeError + "）"));
    if (rc == CURLE_HTTP_RETURNED_ERROR) throw DownloadError(url, download::httpStatusText(status));
    if (rc == CURLE_OPERATION_TIMEDOUT && !connected) throw DownloadError(url, download::noConnectionText(limits.connectMs));
    if (rc == CURLE_PARTIAL_FILE && expected > 0) throw DownloadError(url, download::cutShortText(expected, sink.received));
    throw DownloadError(url, transferFailureText(rc));
}

} // namespace

std::string transferFailureText(int code)
{
    switch (static_cast<CURLcode>(code)) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: return "アドレスの形式が正しくありません（https:// で始まるアドレスを指定してください）";
    case CURLE_COULDNT_RESOLVE_PROXY:
        return "プロキシサーバーの名前が見つかりません（http_proxy / https_proxy の設定を確かめてください）";
    case CURLE_COULDNT_RESOLVE_HOST: return "サーバーの名前が見つかりません（アドレスとネットワークの接続を確かめてください）";
    case CURLE_COULDNT_CONNECT: return "サーバーにつながりません（接続を断られました）";
    case CURLE_OPERATION_TIMEDOUT: return "時間切れです（サーバーから応答がありません）";
    case CURLE_GOT_NOTHING: return "サーバーが何も返さずに接続を切りました";
    case CURLE_PARTIAL_FILE: return "転送が途中で切れました（ファイルの一部しか届いていません）";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return "通信が途中で切れました";
    case CURLE_WEIRD_SERVER_REPLY: return "サーバーの応答が正しくありません（HTTP の応答ではありません）";
    case CURLE_TOO_MANY_REDIRECTS: return "転送先の指定が多すぎます（サーバーの設定を確かめてください）";
    case CURLE_FILE_COULDNT_READ_FILE: return "ファイルがありません";
    case CURLE_WRITE_ERROR: return "受け取ったデータをファイルに書き込めません";
    case CURLE_OUT_OF_MEMORY: return "メモリが足りません";
    case CURLE_ABORTED_BY_CALLBACK: return "中止しました";
    case CURLE_PEER_FAILED_VERIFICATION: return "サーバーの証明書を確認できません（アドレスが正しいか確かめてください）";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return "暗号化通信 (https) を始められません";
    case CURLE_BAD_CONTENT_ENCODING: return "サーバーの送ったデータの圧縮形式が読めません";
    case CURLE_LOGIN_DENIED:
    case CURLE_REMOTE_ACCESS_DENIED: return "サーバーがファイルを渡しません（許可がありません）";
    default: return "通信に失敗しました（通信ライブラリのコード " + std::to_string(code) + "）";
    }
}

void download::receive(const std::string& url, std::string& bytes)
{
    Sink sink;
    sink.memory = &bytes;
    transfer(url, sink);
}

void download::receive(const std::string& url, AtomicFile& file)
{
    Sink sink;
    sink.file = &file;
    transfer(url, sink);
}

} // namespace tolv
