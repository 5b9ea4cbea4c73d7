// The parts of Download.h the same on every system: the error, the time-outs, the observer, the
// causes in the program's words, and the whole-file transfers around the system's receive().
#include "platform/Download.h"

#include "platform/AtomicFile.h"
#include "platform/DownloadShared.h"

#include <optional>
#include <system_error>

namespace tolv {

namespace fs = std::filesystem;

DownloadError::DownloadError(std::string url, std::string cause, bool cancelled)
    : TolvError("ダウンロードできません: " + url + "\n" + cause), url_(std::move(url)), cause_(std::move(cause)),
      cancelled_(cancelled)
{
}

DownloadTimeouts& downloadTimeouts()
{
    static DownloadTimeouts t;
    return t;
}

namespace {

TransferProgress*& observerSlot()
{
    static TransferProgress* observer = nullptr;
    return observer;
}

std::string seconds(long ms) { return std::to_string((ms + 999) / 1000); }

} // namespace

TransferProgress* download::observer() { return observerSlot(); }

TransferProgress* setTransferProgress(TransferProgress* observer)
{
    TransferProgress* previous = observerSlot();
    observerSlot() = observer;
    return previous;
}

std::string download::encodeForTransfer(const std::string& url)
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

std::string download::httpStatusText(long status)
{
    const std::string code = " (HTTP " + std::to_string(status) + ")";
    if (status == 404 || status == 410) return "サーバーにファイルがありません" + code;
    if (status == 401 || status == 403) return "サーバーがファイルを渡しません（許可がありません）" + code;
    if (status >= 500) return "サーバーの障害です。しばらくしてからやり直してください" + code;
    return "サーバーがエラーを返しました" + code;
}

std::string download::stalledText(long stallMs) { return "時間切れです（" + seconds(stallMs) + " 秒間データが届きません）"; }

std::string download::noConnectionText(long connectMs)
{
    return "サーバーにつながりません（" + seconds(connectMs) + " 秒待っても接続できません）";
}

std::string download::cutShortText(long long expected, long long received)
{
    return "転送が途中で切れました（" + std::to_string(expected) + " バイトのうち " + std::to_string(received) +
           " バイトしか届いていません）";
}

std::string fetchUrl(const std::string& url)
{
    if (url.empty()) throw DownloadError(url, "アドレスがありません");
    std::string bytes;
    download::receive(url, bytes);
    return bytes;
}

void downloadToFile(const std::string& url, const fs::path& target)
{
    if (url.empty()) throw DownloadError(url, "アドレスがありません");
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    // Received under a temporary name beside the target, which is replaced only by a complete
    // transfer; a failed one leaves the old file and removes the temporary one.
    std::optional<AtomicFile> out;
    try {
        out.emplace(target);
    } catch (const TolvError& e) {
        throw DownloadError(url, e.what());
    }
    download::receive(url, *out);
    try {
        out->commit();
    } catch (const TolvError& e) {
        throw DownloadError(url, e.what());
    }
}

} // namespace tolv
