#include "print/PdfFile.h"

#include "platform/Error.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tolv::gui {

namespace {
// Written to the file a megabyte at a time.
constexpr std::size_t kBufferBytes = 1 << 20;
} // namespace

struct PdfFile::Deflater {
    z_stream z{};
    bool ready = false;
    ~Deflater()
    {
        if (ready) deflateEnd(&z);
    }
};

void appendInt(std::string& out, long long value)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void appendNumber(std::string& out, double value)
{
    long long hundredths = std::llround(value * 100.0);
    if (hundredths % 100 == 0) {
        appendInt(out, hundredths / 100);
        return;
    }
    if (hundredths < 0) {
        out += '-';
        hundredths = -hundredths;
    }
    appendInt(out, hundredths / 100);
    out += '.';
    const int fraction = static_cast<int>(hundredths % 100);
    out += static_cast<char>('0' + fraction / 10);
    if (fraction % 10) out += static_cast<char>('0' + fraction % 10);
}

PdfFile::PdfFile(const std::filesystem::path& file, std::string shown) : shown_(std::move(shown))
{
    try {
        out_.emplace(file);
    } catch (const TolvError& e) {
        throw TolvError(pdfFailureText(shown_, e));
    }
    buffer_.reserve(kBufferBytes);
    // The binary comment tells transfer programs the file is not text.
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

// Without finish() the temporary file goes with the AtomicFile.
PdfFile::~PdfFile() = default;

std::string pdfFailureText(const std::string& shown, const std::exception& cause)
{
    // The file operations end their message with the system's reason in parentheses.
    std::string what = cause.what(), reason;
    const std::size_t open = what.rfind(" (");
    if (!what.empty() && what.back() == ')' && open != std::string::npos) reason = what.substr(open + 2, what.size() - open - 3);
    else if (const std::size_t wide = what.rfind("（");
             wide != std::string::npos && what.size() >= 3 && what.compare(what.size() - 3, 3, "）") == 0)
        reason = what.substr(wide + 3, what.size() - wide - 6);
    return "PDFファイルを作成できません: " + shown + (reason.empty() ? "" : "（" + reason + "）");
}

void PdfFile::fail(const std::string& reason) const
{
    throw TolvError("PDFファイルを作成できません: " + shown_ + (reason.empty() ? "" : "（" + reason + "）"));
}

void PdfFile::write(std::string_view bytes)
{
    if (bytes.empty()) return;
    buffer_.append(bytes);
    at_ += static_cast<long long>(bytes.size());
    if (buffer_.size() >= kBufferBytes) flushBuffer();
}

void PdfFile::flushBuffer()
{
    try {
        out_->write(buffer_);
    } catch (const TolvError& e) {
        throw TolvError(pdfFailureText(shown_, e));
    }
    buffer_.clear();
}

int PdfFile::reserve()
{
    offsets_.push_back(-1);
    return static_cast<int>(offsets_.size() - 1);
}

void PdfFile::begin(int id)
{
    offsets_.at(static_cast<std::size_t>(id)) = at_;
    head_.clear();
    appendInt(head_, id);
    head_ += " 0 obj\n";
    write(head_);
}

void PdfFile::object(int id, std::string_view body)
{
    begin(id);
    write(body);
    write("\nendobj\n");
}

void PdfFile::stream(int id, std::string_view entries, std::string_view data, int level)
{
    // A zlib stream (FlateDecode), the whole data in one call into a buffer zlib says is enough.
    std::string_view z;
    if (!data.empty()) {
        level = std::clamp(level, 1, 9);
        auto& d = deflaters_[static_cast<std::size_t>(level)];
        if (!d) d = std::make_unique<Deflater>();
        if (!d->ready) {
            // The fastest level serves page content, a few kilobytes a stream: a smaller window and
            // hash table than zlib's defaults cost less to reset for each of thousands of streams.
            const int windowBits = level == 1 ? 12 : 15, memLevel = level == 1 ? 6 : 8;
            if (deflateInit2(&d->z, level, Z_DEFLATED, windowBits, memLevel, Z_DEFAULT_STRATEGY) != Z_OK) fail();
            d->ready = true;
        } else if (deflateReset(&d->z) != Z_OK) {
            fail();
        }
        const uLong bound = deflateBound(&d->z, static_cast<uLong>(data.size()));
        if (packed_.size() < bound) packed_.resize(bound);
        d->z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        d->z.avail_in = static_cast<uInt>(data.size());
        d->z.next_out = reinterpret_cast<Bytef*>(packed_.data());
        d->z.avail_out = static_cast<uInt>(packed_.size());
        if (deflate(&d->z, Z_FINISH) != Z_STREAM_END) fail();
        z = std::string_view(packed_.data(), static_cast<std::size_t>(d->z.total_out));
    }
    begin(id);
    std::string dict = "<<";
    dict += entries;
    // Nothing to compress (an empty sheet): zlib would give a stream a reader may refuse.
    dict += data.empty() ? "/Length " : "/Filter/FlateDecode/Length ";
    appendInt(dict, static_cast<long long>(z.size()));
    dict += ">>\nstream\n";
    write(dict);
    write(z);
    write("\nendstream\nendobj\n");
}

void PdfFile::finish(int catalog, int info)
{
    const long long xref = at_;
    std::string table = "xref\n0 ";
    appendInt(table, static_cast<long long>(offsets_.size()));
    table += "\n0000000000 65535 f \n";
    char entry[32];
    for (std::size_t i = 1; i < offsets_.size(); ++i) {
        // Every reserved object is written by the time the file ends; the table's entries have
        // room for ten digits of offset.
        if (offsets_[i] < 0 || offsets_[i] > 9999999999LL) fail();
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", offsets_[i]);
        table += entry;
    }
    table += "trailer\n<</Size ";
    appendInt(table, static_cast<long long>(offsets_.size()));
    table += "/Root ";
    appendInt(table, catalog);
    table += " 0 R/Info ";
    appendInt(table, info);
    table += " 0 R>>\nstartxref\n";
    appendInt(table, xref);
    table += "\n%%EOF\n";
    write(table);
    flushBuffer();
    try {
        out_->commit();
    } catch (const TolvError& e) {
        throw TolvError(pdfFailureText(shown_, e));
    }
}

} // namespace tolv::gui
