// Batch runs on POSIX systems: worker processes, per-file lines and the summary.

#include "host/cli/batch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

#include "host/cli/interrupt.h"

namespace rimelace_cli {
namespace {


// One file of the batch.
struct Item {
    std::string input;
    std::string output;
    std::string problem; // set before the run: the file is skipped with this reason
    pid_t pid = -1;
    int pipe = -1;       // the worker's stderr
    std::string messages;
    std::chrono::steady_clock::time_point started;
};

// The worker: the single-file run with its messages on `errFd`; never returns.
[[noreturn]] void Work(const BatchJob& batch, const Item& item, int errFd) {
    dup2(errFd, STDERR_FILENO);
    close(errFd);
    FilterJob job = batch.filter;
    job.input = item.input;
    job.output = item.output;
    job.quiet = true;
    std::fflush(stdout);
    const int status = RunFilterJob(job);
    std::fflush(stderr);
    _exit(status);
}

// The worker's message without the program's prefix and line end.
std::string Reason(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.rfind("rimelace: ", 0) == 0) line.erase(0, 10);
        if (!line.empty()) out += (out.empty() ? "" : "; ") + line;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

class Batch {
  public:
    explicit Batch(const BatchJob& batch) : batch_(batch) {}

    int Run();

  private:
    void Plan();
    void Start(Item& item);
    void Collect(int timeoutMs);
    void Report(const Item& item, const std::string& result);

    const BatchJob& batch_;
    std::vector<Item> items_;
    int running_ = 0;
    int reported_ = 0;
    int written_ = 0;
    int failed_ = 0;
    int cancelled_ = 0;
};

void Batch::Plan() {
    std::map<std::string, std::string> taken; // output name -> the input that takes it
    for (const std::string& input : batch_.inputs) {
        Item item;
        item.input = input;
        struct stat info {};
        try {
            item.output = BatchOutputName(input, batch_.outDir, batch_.format);
        } catch (const ImageFileError& error) {
            item.problem = error.what();
        }
        if (!item.problem.empty()) {
        } else if (stat(input.c_str(), &info) != 0) {
            item.problem = "cannot read '" + input + "': no such file";
        } else if (S_ISDIR(info.st_mode)) {
            item.problem = "'" + input + "' is a folder, not an image file";
        } else if (const auto [at, fresh] = taken.emplace(item.output, input); !fresh) {
            item.problem = "'" + input + "' would be written to '" + item.output + "', which '" + at->second +
                           "' already takes; rename one of them";
        }
        items_.push_back(std::move(item));
    }
}

void Batch::Start(Item& item) {
    int fds[2];
    if (pipe(fds) != 0) {
        Report(item, "failed: cannot start a worker process");
        ++failed_;
        return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        Report(item, "failed: cannot start a worker process");
        ++failed_;
        return;
    }
    if (pid == 0) {
        close(fds[0]);
        Work(batch_, item, fds[1]);
    }
    close(fds[1]);
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    item.pid = pid;
    item.pipe = fds[0];
    item.started = std::chrono::steady_clock::now();
    ++running_;
}

void Batch::Report(const Item& item, const std::string& result) {
    ++reported_;
    const int width = int(std::to_string(items_.size()).size());
    std::printf("[%*d/%zu] %s -> %s: %s\n", width, reported_, items_.size(), item.input.c_str(),
                item.output.empty() ? "-" : item.output.c_str(), result.c_str());
    std::fflush(stdout);
}

// Reads what the workers say and reports those that ended.
void Batch::Collect(int timeoutMs) {
    std::vector<pollfd> fds;
    std::vector<Item*> owners;
    for (Item& item : items_)
        if (item.pipe >= 0) {
            fds.push_back({item.pipe, POLLIN, 0});
            owners.push_back(&item);
        }
    if (fds.empty()) return;
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0) return;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        Item& item = *owners[i];
        char buffer[4096];
        const ssize_t n = read(item.pipe, buffer, sizeof buffer);
        if (n > 0) {
            item.messages.append(buffer, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // End of the worker's output: it has ended (or is ending).
        close(item.pipe);
        item.pipe = -1;
        int status = 0;
        while (waitpid(item.pid, &status, 0) < 0 && errno == EINTR) {
        }
        --running_;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - item.started).count();
        char took[32];
        std::snprintf(took, sizeof took, " (%.1f s)", seconds);
        const std::string reason = Reason(item.messages);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOk) {
            ++written_;
            Report(item, std::string("written") + took);
        } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitCancelled) {
            ++cancelled_;
            Report(item, "cancelled; nothing was written");
        } else {
            ++failed_;
            std::string why = reason;
            if (why.empty())
                why = WIFSIGNALED(status) ? "the worker ended on signal " + std::to_string(WTERMSIG(status))
                                          : "exit status " + std::to_string(WEXITSTATUS(status));
            Report(item, "failed: " + why);
        }
    }
}

int Batch::Run() {
    Plan();
    const int jobs = batch_.jobs > 0 ? batch_.jobs : std::max(1, int(std::thread::hardware_concurrency()));
    for (Item& item : items_) {
        if (Interrupted()) break;
        if (!item.problem.empty()) {
            ++failed_;
            Report(item, "failed: " + item.problem);
            continue;
        }
        while (running_ >= jobs) Collect(200);
        if (Interrupted()) break;
        Start(item);
    }
    while (running_ > 0) Collect(200);
    const int skipped = int(items_.size()) - reported_;
    std::printf("%zu file%s: %d written, %d failed", items_.size(), items_.size() == 1 ? "" : "s", written_,
                failed_);
    if (cancelled_ + skipped > 0) std::printf(", %d cancelled", cancelled_ + skipped);
    std::printf("\n");
    std::fflush(stdout);
    if (Interrupted() || cancelled_ + skipped > 0) return kExitCancelled;
    return failed_ > 0 ? kExitFailed : kExitOk;
}

} // namespace


int RunBatch(const BatchJob& batch) {
    InstallInterruptHandler();
    struct stat info {};
    if (stat(batch.outDir.c_str(), &info) != 0 && mkdir(batch.outDir.c_str(), 0777) != 0) {
        std::fprintf(stderr, "rimelace: cannot create the output folder '%s'\n", batch.outDir.c_str());
        return kExitBadInput;
    }
    if (stat(batch.outDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "rimelace: --out-dir '%s' is not a folder\n", batch.outDir.c_str());
        return kExitBadInput;
    }
    return Batch(batch).Run();
}

} // namespace rimelace_cli
