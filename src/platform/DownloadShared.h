#pragma once
// What the two systems' halves of Download.h share (not for other users).
#include "platform/Download.h"

#include <string>

namespace tolv {
class AtomicFile;
}

namespace tolv::download {

// The observer setTransferProgress() installed (nullptr: none).
TransferProgress* observer();

// Addresses are typed or built from unit names, which may hold Japanese text or blanks; those
// bytes are percent-encoded (as UTF-8) so the request line stays valid. Everything else, including
// escapes already present, is passed as it is.
std::string encodeForTransfer(const std::string& url);

// The causes of a failed transfer in the program's words.
std::string httpStatusText(long status);
std::string stalledText(long stallMs);
std::string noConnectionText(long connectMs);
std::string cutShortText(long long expected, long long received);

// The system's half: the bytes at a non-empty url into `bytes`, or into `file` (not committed);
// DownloadError on any failure.
void receive(const std::string& url, std::string& bytes);
void receive(const std::string& url, AtomicFile& file);

} // namespace tolv::download
