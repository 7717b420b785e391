// A batch's schedule, its per-file lines, its summary and exit status, and the reasons workers
// give: the same on every system.

#include <algorithm>
#include <cstdio>
#include <thread>

#include "host/cli/batch.h"
#include "host/cli/interrupt.h"

namespace rimelace_cli {

std::string WorkerReason(const std::string& messages) {
    std::string out;
    std::size_t start = 0;
    while (start < messages.size()) {
        auto end = messages.find('\n', start);
        if (end == std::string::npos) end = messages.size();
        std::string line = messages.substr(start, end - start);
        // A Windows program's text output ends its lines with CR LF.
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.rfind("rimelace: ", 0) == 0) line.erase(0, 10);
        if (!line.empty()) out += (out.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    return out;
}

void BatchReport::Line(const BatchFile& file, const std::string& result) {
    ++reported_;
    const int width = int(std::to_string(files_).size());
    std::printf("[%*d/%zu] %s -> %s: %s\n", width, reported_, files_, file.input.c_str(),
                file.output.empty() ? "-" : file.output.c_str(), result.c_str());
    std::fflush(stdout);
}

void BatchReport::Written(const BatchFile& file, double seconds) {
    ++written_;
    char took[32];
    std::snprintf(took, sizeof took, " (%.1f s)", seconds);
    Line(file, std::string("written") + took);
}

void BatchReport::Failed(const BatchFile& file, const std::string& why) {
    ++failed_;
    Line(file, "failed: " + why);
}

void BatchReport::Cancelled(const BatchFile& file) {
    ++cancelled_;
    Line(file, "cancelled; nothing was written");
}

int BatchReport::Finish(bool interrupted) {
    const int skipped = int(files_) - reported_;
    std::printf("%zu file%s: %d written, %d failed", files_, files_ == 1 ? "" : "s", written_, failed_);
    if (cancelled_ + skipped > 0) std::printf(", %d cancelled", cancelled_ + skipped);
    std::printf("\n");
    std::fflush(stdout);
    if (interrupted || cancelled_ + skipped > 0) return kExitCancelled;
    return failed_ > 0 ? kExitFailed : kExitOk;
}

int RunPlannedBatch(const std::vector<BatchFile>& files, int jobs, BatchWorkers& workers, BatchReport& report) {
    if (jobs <= 0) jobs = std::max(1, int(std::thread::hardware_concurrency()));
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Interrupted()) break;
        if (!files[i].problem.empty()) {
            report.Failed(files[i], files[i].problem);
            continue;
        }
        while (workers.Running() >= jobs) workers.Collect(200);
        if (Interrupted()) break;
        workers.Start(i);
    }
    while (workers.Running() > 0) workers.Collect(200);
    return report.Finish(Interrupted());
}

} // namespace rimelace_cli
