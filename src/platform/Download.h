#pragma once
// Synchronous whole-file transfer over HTTP(S) or file://, on libcurl.
//
// A transfer never hangs: it gives up when no connection is made within the connect time-out, and
// when no byte arrives for the stall time-out (a large file that keeps arriving is never cut off).
// While it runs it reports to the installed TransferProgress about every 50 ms, which may repaint
// the windows and may cancel. Proxies come from the environment (http_proxy, https_proxy,
// no_proxy); the loopback addresses are always reached directly.
#include <filesystem>
#include <string>

#include "platform/Error.h"

namespace tolv {

// A failed transfer: what the user reads (address and cause in Japanese) and the parts of it.
class DownloadError : public TolvError {
public:
    DownloadError(std::string url, std::string cause, bool cancelled = false);
    const std::string& url() const { return url_; }
    // The cause in the program's words: "ファイルがありません (HTTP 404)", "時間切れです …".
    const std::string& cause() const { return cause_; }
    // The user pressed 中止.
    bool cancelled() const { return cancelled_; }

private:
    std::string url_, cause_;
    bool cancelled_;
};

struct DownloadTimeouts {
    long connectMs = 15000; // no connection made
    long stallMs = 15000;   // connected, no byte received
};
// The time-outs every transfer uses (tests shorten them).
DownloadTimeouts& downloadTimeouts();

// Told about a running transfer; the GUI shows a progress dialog with 中止 from it.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    // received bytes so far, total when the server said it (else -1). False cancels the transfer.
    virtual bool transferring(const std::string& url, long long received, long long total) = 0;
    // The transfer of url has ended (arrived or failed).
    virtual void finished(const std::string& url) { (void)url; }
};
// Installs the observer of every following transfer (nullptr: none); returns the previous one.
TransferProgress* setTransferProgress(TransferProgress* observer);

// The cause text of a libcurl result code (CURLcode) in the program's words.
std::string transferFailureText(int curlCode);

// Fetches the bytes at url; DownloadError on any failure (HTTP status >= 400, refused connection,
// time-out, missing file, cancelled).
std::string fetchUrl(const std::string& url);

// Fetches url into target: written to a temporary name beside it and renamed into place, so a
// failed download leaves the old file as it was. Creates the target folder when missing.
void downloadToFile(const std::string& url, const std::filesystem::path& target);

} // namespace tolv
