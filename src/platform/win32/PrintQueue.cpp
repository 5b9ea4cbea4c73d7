// The Windows half of PrintQueue.h: the finished PDF file is handed to the printer through the
// "printto" verb of the program Windows opens PDF files with (the shell's own way of printing a
// document on a named printer), once per copy. Without such a program the print is refused.
#include "platform/PrintQueue.h"

#include "platform/Error.h"
#include "platform/win32/Wide.h"

#include <shellapi.h>

namespace tolv {

void submitToPrintQueue(const std::string& queue, const std::filesystem::path& pdf, const std::string& title, int copies)
{
    (void)title; // the job takes the file's name; the shell verb has no job title
    const std::wstring printer = L"\"" + win32::widen(queue) + L"\"";
    for (int i = 0; i < (copies > 0 ? copies : 1); ++i) {
        SHELLEXECUTEINFOW run{};
        run.cbSize = sizeof run;
        run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        run.lpVerb = L"printto";
        run.lpFile = pdf.c_str();
        run.lpParameters = printer.c_str();
        run.nShow = SW_HIDE;
        if (!::ShellExecuteExW(&run))
            throw TolvError("印刷できません: " + queue +
                            " (PDF ファイルを印刷するプログラムがありません: " + win32::lastErrorText() + ")");
        if (run.hProcess) {
            ::WaitForSingleObject(run.hProcess, INFINITE);
            ::CloseHandle(run.hProcess);
        }
    }
}

bool printQueueTakesFinishedFiles() { return false; }

} // namespace tolv
