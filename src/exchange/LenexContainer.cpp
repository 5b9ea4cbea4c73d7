// The container of a Lenex file (LenexContainer.h): the bytes of a file within the size of one
// meet, and the .lef document out of an .lxf (zip) archive on libzip.
#include "exchange/LenexContainer.h"

#include "platform/Error.h"
#include "platform/FileReading.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace tolv::lenex {

namespace fs = std::filesystem;

std::string readLenexFile(const fs::path& file)
{
    std::error_code ec;
    enforce(fs::is_regular_file(file, ec), "ファイルがありません: " + file.string());
    const std::uintmax_t size = fs::file_size(file, ec);
    enforce(!ec && size <= kMaxFileBytes, "Lenexファイルが大きすぎます: " + file.string());
    std::string all = readWholeFile(file);
    // A file that grew since its size was taken stays within the limit as well.
    enforce(all.size() <= kMaxFileBytes, "Lenexファイルが大きすぎます: " + file.string());
    return all;
}

bool isLenexArchive(std::string_view bytes) { return bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\x03\x04", 4) == 0; }

std::string unpackLenex(std::string_view bytes, const std::string& fileName)
{
    if (!isLenexArchive(bytes)) return std::string(bytes);
    const std::string bad = "Lenexファイル（lxf）を開けません: " + fileName;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    enforce(src != nullptr, bad);
    zip_t* archive = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_source_free(src);
        throw TolvError(bad + " (" + zip_error_strerror(&error) + ")");
    }
    std::unique_ptr<zip_t, void (*)(zip_t*)> keep(archive, zip_discard);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            continue;
        std::string name = st.name;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".lef") != 0) continue;
        enforce(st.size <= kMaxFileBytes, "Lenexファイルが大きすぎます: " + fileName);
        zip_file_t* f = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        enforce(f != nullptr, bad + " (" + zip_strerror(archive) + ")");
        std::string xml(static_cast<std::size_t>(st.size), '\0');
        const zip_int64_t got = zip_fread(f, xml.data(), st.size);
        zip_fclose(f);
        enforce(got == static_cast<zip_int64_t>(st.size), bad + " (" + st.name + " が壊れています)");
        return xml;
    }
    throw TolvError(bad + " (.lef ファイルが入っていません)");
}

} // namespace tolv::lenex
