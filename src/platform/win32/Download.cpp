// The Windows half of Download.h on WinHTTP: TLS is the system's own (Schannel, with the
// certificates Windows trusts and its updates), and the proxy is the one the system is set to
// (WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY: the user's settings, WPAD and the PAC file), so nothing
// of OpenSSL, a CA bundle or curl has to be shipped and kept up to date with the program.
// file:// addresses are read from the file system. The connect and stall time-outs are WinHTTP's
// connect and receive time-outs; progress is reported after each piece received.
#include "platform/Download.h"

#include "platform/AtomicFile.h"
#include "platform/DownloadShared.h"
#include "platform/FileReading.h"
#include "platform/win32/Wide.h"

#include <winhttp.h>

#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

namespace tolv {

namespace fs = std::filesystem;

namespace {

struct InternetHandle {
    HINTERNET h = nullptr;
    explicit InternetHandle(HINTERNET handle) : h(handle) {}
    ~InternetHandle()
    {
        if (h) ::WinHttpCloseHandle(h);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

// Receives url into `sink` piece by piece.
template <class Sink> void transferHttp(const std::string& url, Sink&& sink)
{
    const std::wstring wideUrl = win32::widen(download::encodeForTransfer(url));
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {}, path[4096] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 4096;
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        throw DownloadError(url, transferFailureText(ERROR_WINHTTP_UNRECOGNIZED_SCHEME));
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const DownloadTimeouts limits = downloadTimeouts();
    const int connectMs = static_cast<int>(limits.connectMs > 0 ? limits.connectMs : 15000);
    const int stallMs = static_cast<int>(limits.stallMs > 0 ? limits.stallMs : 15000);
    InternetHandle session(
        ::WinHttpOpen(L"tolvsys", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.h) // Windows before 8.1: the proxy set with netsh winhttp
        session.h =
            ::WinHttpOpen(L"tolvsys", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session.h) throw DownloadError(url, "通信を始められません");
    ::WinHttpSetTimeouts(session.h, connectMs, connectMs, stallMs, stallMs);
    DWORD redirects = 5;
    ::WinHttpSetOption(session.h, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);
    InternetHandle connection(::WinHttpConnect(session.h, host, parts.nPort, 0));
    InternetHandle request(connection.h ? ::WinHttpOpenRequest(connection.h, L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                               WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                               parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
                                        : nullptr);
    TransferProgress* observer = download::observer();
    struct Finish {
        TransferProgress* observer;
        const std::string& url;
        ~Finish()
        {
            if (observer) observer->finished(url);
        }
    } finish{observer, url};
    auto failed = [&](DWORD error) -> DownloadError {
        if (error == ERROR_WINHTTP_TIMEOUT && !sink.connected()) return DownloadError(url, download::noConnectionText(connectMs));
        if (error == ERROR_WINHTTP_TIMEOUT) return DownloadError(url, download::stalledText(stallMs));
        return DownloadError(url, transferFailureText(static_cast<int>(error)));
    };
    if (!request.h) throw failed(::GetLastError());
    if (!::WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.h, nullptr))
        throw failed(::GetLastError());
    sink.connect();
    DWORD status = 0, size = sizeof status;
    ::WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &status,
                          &size, WINHTTP_NO_HEADER_INDEX);
    if (status >= 400) throw DownloadError(url, download::httpStatusText(static_cast<long>(status)));
    long long total = -1;
    DWORD length = 0;
    size = sizeof length;
    if (::WinHttpQueryHeaders(request.h, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                              &length, &size, WINHTTP_NO_HEADER_INDEX))
        total = length;
    long long received = 0;
    std::string buf(65536, '\0');
    for (;;) {
        if (observer && !observer->transferring(url, received, total)) throw DownloadError(url, "中止しました", true);
        DWORD got = 0;
        if (!::WinHttpReadData(request.h, buf.data(), static_cast<DWORD>(buf.size()), &got)) {
            const DWORD e = ::GetLastError();
            if (total > 0 && received < total && e != ERROR_WINHTTP_TIMEOUT)
                throw DownloadError(url, download::cutShortText(total, received));
            throw failed(e);
        }
        if (got == 0) break;
        received += got;
        sink.put(std::string_view(buf.data(), got), url);
    }
    if (total > 0 && received < total) throw DownloadError(url, download::cutShortText(total, received));
}

struct MemorySink {
    std::string* bytes;
    bool made = false;
    bool connected() const { return made; }
    void connect() { made = true; }
    void put(std::string_view piece, const std::string&) { bytes->append(piece); }
};

struct FileSink {
    AtomicFile* file;
    bool made = false;
    bool connected() const { return made; }
    void connect() { made = true; }
    void put(std::string_view piece, const std::string& url)
    {
        try {
            file->write(piece);
        } catch (const TolvError& e) {
            throw DownloadError(url, "受け取ったデータをファイルに書き込めません（" + std::string(e.what()) + "）");
        }
    }
};

bool isFileUrl(const std::string& url) { return url.rfind("file://", 0) == 0; }

// file:///c:/x, file://c:/x and file:///home/x (as curl takes it) name a local file.
fs::path fileOfUrl(const std::string& url)
{
    std::string path = url.substr(7);
    if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
    return fs::path(win32::widen(path));
}

std::string readFileUrl(const std::string& url)
{
    const fs::path file = fileOfUrl(url);
    std::optional<std::string> bytes;
    try {
        bytes = readFileIfPresent(file);
    } catch (const TolvError&) {
        throw DownloadError(url, "ファイルがありません");
    }
    if (!bytes) throw DownloadError(url, "ファイルがありません");
    return *bytes;
}

} // namespace

// On Windows the code is WinHTTP's error (ERROR_WINHTTP_*).
std::string transferFailureText(int code)
{
    switch (static_cast<DWORD>(code)) {
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL: return "アドレスの形式が正しくありません（https:// で始まるアドレスを指定してください）";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "サーバーの名前が見つかりません（アドレスとネットワークの接続を確かめてください）";
    case ERROR_WINHTTP_CANNOT_CONNECT: return "サーバーにつながりません（接続を断られました）";
    case ERROR_WINHTTP_TIMEOUT: return "時間切れです（サーバーから応答がありません）";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return "サーバーの応答が正しくありません（HTTP の応答ではありません）";
    case ERROR_WINHTTP_CONNECTION_ERROR: return "サーバーが何も返さずに接続を切りました";
    case ERROR_WINHTTP_REDIRECT_FAILED: return "転送先の指定が多すぎます（サーバーの設定を確かめてください）";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID: return "サーバーの証明書を確認できません（アドレスが正しいか確かめてください）";
    case ERROR_NOT_ENOUGH_MEMORY: return "メモリが足りません";
    default: return "通信に失敗しました（通信ライブラリのコード " + std::to_string(code) + "）";
    }
}

void download::receive(const std::string& url, std::string& bytes)
{
    if (isFileUrl(url)) {
        bytes = readFileUrl(url);
        return;
    }
    transferHttp(url, MemorySink{&bytes});
}

void download::receive(const std::string& url, AtomicFile& file)
{
    if (isFileUrl(url)) {
        file.write(readFileUrl(url));
        return;
    }
    transferHttp(url, FileSink{&file});
}

} // namespace tolv
