#pragma once
// `rimelace apply IN... --out-dir DIR`: one filter run per input file, several at once.
//
// Every file runs in a process of its own (the plug-in keeps process-wide state, and one bad file
// must not take the others down), at most `jobs` at a time; each process does exactly what a
// single `apply IN OUT` does, so the outputs are the same whatever the number of jobs. A line per
// file reports its result as it ends; a summary follows. A bad input (unreadable, a folder, a
// name that another input already takes in the output folder) is reported and skipped; the exit
// status is non-zero when any file failed, and every good file is written all the same.

#include <optional>
#include <string>
#include <vector>

#include "host/cli/image_file.h"
#include "host/cli/run_filter.h"

namespace rimelace_cli {

struct BatchJob {
    FilterJob filter;                 // parameters, selection, module... (input and output unused)
    std::vector<std::string> inputs;
    std::string outDir;
    std::optional<FileFormat> format; // convert every output to this type; unset keeps each file's type
    int jobs = 0;                     // processes at once; 0 = the number of cores
};

// The output name of `input` in `outDir`: its file name with the extension of `format` when set.
// Throws ImageFileError when the input's own extension names no type the program writes.
std::string BatchOutputName(const std::string& input, const std::string& outDir, std::optional<FileFormat> format);

// "png", "tif"/"tiff", "jpg"/"jpeg" (any case) -> the format; throws ImageFileError otherwise.
FileFormat FormatFromWord(const std::string& word);

// One file of a batch as planned before any run: its output name, or why it is skipped (its
// type cannot be written, it is missing or a folder, or an earlier input takes its output name).
struct BatchFile {
    std::string input;
    std::string output;  // empty when not even a name could be made
    std::string problem; // empty for a file to run
};
std::vector<BatchFile> PlanBatch(const BatchJob& batch);

// Why a worker's file failed: the messages it wrote, without the program's prefix and line
// ends, the lines joined by "; ".
std::string WorkerReason(const std::string& messages);

// The per-file lines, in the order the files end, and the summary, on stdout.
class BatchReport {
  public:
    explicit BatchReport(std::size_t files) : files_(files) {}
    void Written(const BatchFile& file, double seconds);
    void Failed(const BatchFile& file, const std::string& why);
    void Cancelled(const BatchFile& file);
    // Prints the summary (files never reported count as cancelled) and returns the exit status.
    int Finish(bool interrupted);

  private:
    void Line(const BatchFile& file, const std::string& result);
    std::size_t files_;
    int reported_ = 0, written_ = 0, failed_ = 0, cancelled_ = 0;
};

// The worker processes of a batch on this system (batch_posix.cpp, batch_win32.cpp).
class BatchWorkers {
  public:
    virtual ~BatchWorkers() = default;
    // Starts the worker of the file at `index` of the plan, or reports the file as failed.
    virtual void Start(std::size_t index) = 0;
    // Reports the workers that ended, waiting up to timeoutMs for one.
    virtual void Collect(int timeoutMs) = 0;
    // Workers started and not yet reported.
    virtual int Running() const = 0;
};

// Runs a planned batch: a file with a problem is reported as failed at once, the others go to
// workers, at most `jobs` at a time (0: one per core), until every started one has ended; Ctrl-C
// stops the starting. Returns the report's exit status.
int RunPlannedBatch(const std::vector<BatchFile>& files, int jobs, BatchWorkers& workers, BatchReport& report);

// Runs the batch; per-file lines and the summary on stdout, the reasons of failures on those
// lines. Returns the exit status: 0 when every file was written, 1 when any failed, 2 for a
// batch that cannot start (no output folder...), 130 when cancelled.
int RunBatch(const BatchJob& batch);

} // namespace rimelace_cli
