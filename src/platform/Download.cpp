#include "platform/Download.h"

#include "platform/Error.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>

namespace tolv {

namespace fs = std::filesystem;

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Addresses are typed or built from unit names, which may hold Japanese text or blanks; those
// bytes are percent-encoded (as UTF-8) so the request line stays valid. Everything else, including
// escapes already present, is passed as it is.
std::string encodeForTransfer(const std::string& url)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct Sink {
    std::string* memory = nullptr;
    std::FILE* file = nullptr;
    bool writeFailed = false;
};

size_t writeCallback(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    if (sink->memory) {
        sink->memory->append(data, bytes);
        return bytes;
    }
    if (std::fwrite(data, 1, bytes, sink->file) != bytes) {
        sink->writeFailed = true;
        return 0;  // makes curl stop with a write error
    }
    return bytes;
}

[[noreturn]] void fail(const std::string& url, const std::string& why)
{
    throw TolvError("ダウンロードできません: " + url + "\n" + why);
}

void transfer(const std::string& url, long timeoutSeconds, Sink& sink)
{
    if (url.empty()) fail(url, "アドレスがありません");
    initCurlOnce();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) fail(url, "通信を始められません");
    CURL* h = curl.get();
    std::string encoded = encodeForTransfer(url);
    char errorText[CURL_ERROR_SIZE] = {0};
    long timeout = timeoutSeconds > 0 ? timeoutSeconds : 30;

    curl_easy_setopt(h, CURLOPT_URL, encoded.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    // Without this an error page would be saved as the file.
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    // The download area is reached directly; a proxy from the environment must not intercept it.
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeout);
    // A stalled transfer (no byte for `timeout` seconds) is a time-out; a large master file that is
    // still arriving is not cut off by a fixed total limit.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, timeout);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &writeCallback);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK) return;
    if (sink.writeFailed) fail(url, "ファイルに書き込めません");
    if (rc == CURLE_HTTP_RETURNED_ERROR) {
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        fail(url, "サーバーがエラーを返しました (HTTP " + std::to_string(status) + ")");
    }
    if (rc == CURLE_OPERATION_TIMEDOUT) fail(url, "時間切れです");
    fail(url, errorText[0] ? std::string(errorText) : std::string(curl_easy_strerror(rc)));
}

} // namespace

std::string fetchUrl(const std::string& url, long timeoutSeconds)
{
    std::string bytes;
    Sink sink;
    sink.memory = &bytes;
    transfer(url, timeoutSeconds, sink);
    return bytes;
}

void downloadToFile(const std::string& url, const fs::path& target, long timeoutSeconds)
{
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    fs::path part = target;
    part += ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) fail(url, "ファイルを作成できません: " + part.string());
    Sink sink;
    sink.file = f;
    try {
        transfer(url, timeoutSeconds, sink);
    } catch (...) {
        std::fclose(f);
        fs::remove(part, ec);
        throw;
    }
    bool closed = std::fclose(f) == 0;
    if (!closed) {
        fs::remove(part, ec);
        fail(url, "ファイルに書き込めません: " + part.string());
    }
    fs::rename(part, target, ec);
    if (ec) {
        fs::remove(part, ec);
        fail(url, "ファイルを置き換えられません: " + target.string());
    }
}

} // namespace tolv
