// Batch runs on Windows: the files one after another in this process, with the per-file lines
// and the summary of the POSIX batch. (No worker processes here yet: `jobs` is not used, and a
// failing file's reason is the message line just above its report line.)

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>

#include "host/cli/batch.h"
#include "host/cli/interrupt.h"
#include "host/cli/system.h"

namespace rimelace_cli {

int RunBatch(const BatchJob& batch) {
    std::error_code ignored;
    std::filesystem::create_directory(batch.outDir, ignored);
    if (!sys::IsFolder(batch.outDir)) {
        std::fprintf(stderr, "rimelace: cannot create the output folder '%s'\n", batch.outDir.c_str());
        return kExitBadInput;
    }
    const std::size_t count = batch.inputs.size();
    const int width = int(std::to_string(count).size());
    std::map<std::string, std::string> taken;
    int reported = 0, written = 0, failed = 0, cancelled = 0;
    for (const std::string& input : batch.inputs) {
        std::string output, result;
        try {
            output = BatchOutputName(input, batch.outDir, batch.format);
        } catch (const ImageFileError& error) {
            result = std::string("failed: ") + error.what();
        }
        if (!result.empty()) {
        } else if (Interrupted()) {
            result = "cancelled; nothing was written";
        } else if (sys::IsFolder(input)) {
            result = "failed: '" + input + "' is a folder, not an image file";
        } else if (!sys::IsFile(input)) {
            result = "failed: cannot read '" + input + "': no such file";
        } else if (const auto [at, fresh] = taken.emplace(output, input); !fresh) {
            result = "failed: '" + input + "' would be written to '" + output + "', which '" + at->second +
                     "' already takes; rename one of them";
        } else {
            FilterJob job = batch.filter;
            job.input = input;
            job.output = output;
            job.quiet = true;
            const auto start = std::chrono::steady_clock::now();
            const int status = RunFilterJob(job);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            char took[32];
            std::snprintf(took, sizeof took, " (%.1f s)", seconds);
            result = status == kExitOk          ? std::string("written") + took
                     : status == kExitCancelled ? "cancelled; nothing was written"
                                                : "failed (exit status " + std::to_string(status) + ")";
        }
        if (result.rfind("written", 0) == 0)
            ++written;
        else if (result.rfind("cancelled", 0) == 0)
            ++cancelled;
        else
            ++failed;
        std::printf("[%*d/%zu] %s -> %s: %s\n", width, ++reported, count, input.c_str(),
                    output.empty() ? "-" : output.c_str(), result.c_str());
        std::fflush(stdout);
    }
    std::printf("%zu file%s: %d written, %d failed", count, count == 1 ? "" : "s", written, failed);
    if (cancelled > 0) std::printf(", %d cancelled", cancelled);
    std::printf("\n");
    if (cancelled > 0) return kExitCancelled;
    return failed > 0 ? kExitFailed : kExitOk;
}

} // namespace rimelace_cli
