#include "platform/PrintQueue.h"

#include "platform/Error.h"

#include <dlfcn.h>

namespace tolv {

namespace {

// The two calls of libcups used here, with its option type.
struct CupsOption {
    char* name;
    char* value;
};
using PrintFileFn = int(const char* printer, const char* filename, const char* title, int numOptions, CupsOption* options);
using LastErrorFn = const char*();

struct Cups {
    PrintFileFn* printFile = nullptr;
    LastErrorFn* lastError = nullptr;
};

const Cups& cups()
{
    static const Cups loaded = [] {
        Cups c;
        // Kept loaded for the rest of the run.
        void* handle = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle) return c;
        c.printFile = reinterpret_cast<PrintFileFn*>(::dlsym(handle, "cupsPrintFile"));
        c.lastError = reinterpret_cast<LastErrorFn*>(::dlsym(handle, "cupsLastErrorString"));
        return c;
    }();
    return loaded;
}

} // namespace

void submitToPrintQueue(const std::string& queue, const std::filesystem::path& pdf, const std::string& title, int copies)
{
    const Cups& c = cups();
    enforce(c.printFile != nullptr, "印刷できません: プリンタの印刷システム (CUPS) がありません。");
    std::string name = "copies", value = std::to_string(copies > 0 ? copies : 1);
    CupsOption option{name.data(), value.data()};
    // CUPS names a queue without the instance part of "queue/instance".
    const std::string printer = queue.substr(0, queue.find('/'));
    const int job = c.printFile(printer.c_str(), pdf.c_str(), title.c_str(), copies > 1 ? 1 : 0, &option);
    if (job == 0) {
        const char* why = c.lastError ? c.lastError() : nullptr;
        throw TolvError("印刷できません: " + queue + (why ? std::string(" (") + why + ")" : std::string()));
    }
}

bool printQueueTakesFinishedFiles() { return true; }

} // namespace tolv
