#pragma once
// Synchronous whole-file transfer over HTTP(S) or file://, on libcurl.
#include <filesystem>
#include <string>

namespace tolv {

// Fetches the bytes at url; TolvError with the address on any failure (HTTP status >= 400,
// refused connection, time-out, missing file).
std::string fetchUrl(const std::string& url, long timeoutSeconds = 30);

// Fetches url into target: written to a temporary name beside it and renamed into place, so a
// failed download leaves the old file as it was. Creates the target folder when missing.
void downloadToFile(const std::string& url, const std::filesystem::path& target, long timeoutSeconds = 30);

} // namespace tolv
