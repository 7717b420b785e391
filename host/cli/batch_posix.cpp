// Batch runs on POSIX systems: a forked worker process per file, at most `jobs` at a time.

#include "host/cli/batch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "host/cli/interrupt.h"

namespace rimelace_cli {
namespace {


// One file of the batch and its worker.
struct Item {
    BatchFile file;
    pid_t pid = -1;
    int pipe = -1; // the worker's stderr
    std::string messages;
    std::chrono::steady_clock::time_point started;
};

// The worker: the single-file run with its messages on `errFd`; never returns.
[[noreturn]] void Work(const BatchJob& batch, const BatchFile& file, int errFd) {
    dup2(errFd, STDERR_FILENO);
    close(errFd);
    FilterJob job = batch.filter;
    job.input = file.input;
    job.output = file.output;
    job.quiet = true;
    std::fflush(stdout);
    const int status = RunFilterJob(job);
    std::fflush(stderr);
    _exit(status);
}

class Batch : public BatchWorkers {
  public:
    explicit Batch(const BatchJob& batch) : batch_(batch), report_(batch.inputs.size()) {}

    int Run();

  private:
    void Start(std::size_t index) override;
    void Collect(int timeoutMs) override;
    int Running() const override { return running_; }

    const BatchJob& batch_;
    BatchReport report_;
    std::vector<Item> items_;
    int running_ = 0;
};

void Batch::Start(std::size_t index) {
    Item& item = items_[index];
    int fds[2];
    if (pipe(fds) != 0) {
        report_.Failed(item.file, "cannot start a worker process");
        return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        report_.Failed(item.file, "cannot start a worker process");
        return;
    }
    if (pid == 0) {
        close(fds[0]);
        Work(batch_, item.file, fds[1]);
    }
    close(fds[1]);
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    item.pid = pid;
    item.pipe = fds[0];
    item.started = std::chrono::steady_clock::now();
    ++running_;
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
        if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOk) {
            report_.Written(item.file, seconds);
        } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitCancelled) {
            report_.Cancelled(item.file);
        } else {
            std::string why = WorkerReason(item.messages);
            if (why.empty())
                why = WIFSIGNALED(status) ? "the worker ended on signal " + std::to_string(WTERMSIG(status))
                                          : "exit status " + std::to_string(WEXITSTATUS(status));
            report_.Failed(item.file, why);
        }
    }
}

int Batch::Run() {
    const std::vector<BatchFile> files = PlanBatch(batch_);
    items_.resize(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) items_[i].file = files[i];
    return RunPlannedBatch(files, batch_.jobs, *this, report_);
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
