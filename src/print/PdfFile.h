#pragma once
// The file side of the command line's PDF writer (print/PdfPrinter.h): numbered objects written to
// the file one after the other as they are made, streams compressed with zlib, and at the end the
// cross-reference table and trailer by which a reader finds every object. Nothing of a page is
// kept once it is written, so a report of thousands of pages needs no more memory than one.
#include "platform/AtomicFile.h"

#include <array>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv::gui {

// "PDFファイルを作成できません: <shown>（<the system's reason>）": the reason a file operation
// gave (a full disk, a read-only medium, a missing folder), taken from its message.
std::string pdfFailureText(const std::string& shown, const std::exception& cause);

class PdfFile {
public:
    // Writes under a temporary name beside the file, which finish() puts in its place (an existing
    // one is replaced only then; a job that fails or stops leaves it as it was);
    // "PDFファイルを作成できません: <shown>" when the file cannot be made or written.
    PdfFile(const std::filesystem::path& file, std::string shown);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // A new object number, for an object written now or later.
    int reserve();
    // Object `id` with the given body (a dictionary, an array, a number...).
    void object(int id, std::string_view body);
    // Object `id` as a stream of `data`: `entries` are the dictionary's own entries besides its
    // length and filter. Compressed with zlib at `level` (1 fastest ... 9 smallest).
    void stream(int id, std::string_view entries, std::string_view data, int level);
    // Writes the cross-reference table and the trailer and closes the file; an error writing any
    // of it (a full disk) throws "PDFファイルを作成できません".
    void finish(int catalog, int info);

private:
    void write(std::string_view bytes);
    void flushBuffer();
    void begin(int id);
    [[noreturn]] void fail(const std::string& reason = {}) const;

    std::string shown_;
    std::optional<AtomicFile> out_;
    std::string buffer_;
    std::vector<long long> offsets_{0}; // by object number; 0 is the free list's head
    long long at_ = 0;
    std::string head_;
    // One zlib state per level, made once and reset for every stream; the output buffer reused.
    struct Deflater;
    std::array<std::unique_ptr<Deflater>, 10> deflaters_;
    std::string packed_;
};

// A number in a content stream or dictionary: an integer when it is one, else at most two decimals
// (a hundredth of a twip, or of a thousandth of the em, is far below a printer's dot).
void appendNumber(std::string& out, double value);
void appendInt(std::string& out, long long value);

} // namespace tolv::gui
