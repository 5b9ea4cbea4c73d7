#pragma once
// The system's print queues (CUPS): a finished PDF file is handed to a queue in one piece, so that
// a job reaches the printer only when it is complete. libcups is loaded when first used; a system
// without it refuses with a message.
#include <filesystem>
#include <string>

namespace tolv {

// Queues `pdf` on `queue` (its CUPS name) as one job named `title`. Throws TolvError when the
// queue cannot take it.
void submitToPrintQueue(const std::string& queue, const std::filesystem::path& pdf, const std::string& title, int copies);

// Whether the windows hand a print job to the queue as a finished PDF file (CUPS). Where this is
// false (Windows), the windows draw straight onto the system's printer through Qt, whose spooler
// takes the job whole and drops it when it is stopped.
bool printQueueTakesFinishedFiles();

} // namespace tolv
