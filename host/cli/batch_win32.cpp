// Batch runs on Windows: the program runs itself once per file ("apply INPUT OUTPUT" with the
// batch's filter options), at most `jobs` processes at a time, and reports each as it ends. A
// thread per worker drains its error output (a full pipe would stall it) and waits for its end.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "host/cli/batch.h"
#include "host/cli/interrupt.h"
#include "host/cli/system.h"

namespace rimelace_cli {
namespace {

// A narrow argument (the system's code page, as the program receives it) widened.
std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

// One argument quoted so that the C runtime's command-line parser gives it back unchanged.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped; elsewhere they stand as they are.
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\'); // before the closing quote
    return out + L"\"";
}

// The worker's arguments: a single quiet run of `file` with the batch's filter options. The
// values go after '=' so that none is taken for an option, and the files after "--".
std::vector<std::string> WorkerArguments(const FilterJob& job, const BatchFile& file) {
    std::vector<std::string> args = {"apply", "--quiet", "--host=" + job.host};
    if (!job.params.preset.empty()) args.push_back("--preset=" + job.params.preset);
    if (!job.params.effect.empty()) args.push_back("--effect=" + job.params.effect);
    for (const std::string& set : job.params.sets) args.push_back("--set=" + set);
    if (!job.selection.empty()) args.push_back("--selection=" + job.selection);
    if (!job.replay.empty()) args.push_back("--replay=" + job.replay);
    if (job.maxSpace) args.push_back("--max-space=" + std::to_string(*job.maxSpace));
    if (job.dialog) args.push_back("--dialog");
    if (job.smallestFile) args.push_back("--smallest");
    if (!job.module.empty()) args.push_back("--module=" + job.module);
    args.insert(args.end(), {"--", file.input, file.output});
    return args;
}

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

// A handle of this process that a child may inherit (a copy, closed by the caller), or null.
HANDLE Inheritable(DWORD which) {
    const HANDLE own = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (own == nullptr || own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// One file of the batch and its worker.
struct Item {
    BatchFile file;
    HANDLE process = nullptr;
    HANDLE pipe = nullptr; // the read end of the worker's error output
    std::thread watcher;
    std::string messages;
    DWORD exitCode = 0;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point ended;
};

class Batch : public BatchWorkers {
  public:
    explicit Batch(const BatchJob& batch) : batch_(batch), report_(batch.inputs.size()) {}

    int Run();

  private:
    void Start(std::size_t index) override;
    bool StartWorker(Item& item);
    void Watch(Item& item);
    void Collect(int timeoutMs) override;
    int Running() const override { return running_; }

    const BatchJob& batch_;
    BatchReport report_;
    std::wstring program_ = ProgramPath();
    std::vector<Item> items_;
    int running_ = 0;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::deque<Item*> done_; // ended workers not yet reported, under mutex_
};

// Starts the worker of `item`; false when it cannot be started.
bool Batch::StartWorker(Item& item) {
    if (program_.empty()) return false;
    std::wstring commandLine = Quoted(program_);
    for (const std::string& argument : WorkerArguments(batch_.filter, item.file))
        commandLine += L" " + Quoted(Wide(argument));

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
    startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::fflush(stdout);
    std::fflush(stderr);
    // Only this thread starts workers, so no other worker's pipe end is open for inheriting here.
    const BOOL started = CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (startup.hStdInput) CloseHandle(startup.hStdInput);
    if (startup.hStdOutput) CloseHandle(startup.hStdOutput);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    CloseHandle(process.hThread);
    item.process = process.hProcess;
    item.pipe = readEnd;
    item.started = std::chrono::steady_clock::now();
    ++running_;
    item.watcher = std::thread([this, &item] { Watch(item); });
    return true;
}

// On the worker's own thread: its messages until it closes its end, then its exit code.
void Batch::Watch(Item& item) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(item.pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) item.messages.append(buffer, got);
    CloseHandle(item.pipe);
    item.pipe = nullptr;
    WaitForSingleObject(item.process, INFINITE);
    if (!GetExitCodeProcess(item.process, &item.exitCode)) item.exitCode = DWORD(kExitFailed);
    CloseHandle(item.process);
    item.process = nullptr;
    item.ended = std::chrono::steady_clock::now();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(&item);
    }
    ended_.notify_one();
}

void Batch::Start(std::size_t index) {
    if (!StartWorker(items_[index])) report_.Failed(items_[index].file, "cannot start a worker process");
}

// Reports the workers that ended, waiting up to `timeoutMs` for one.
void Batch::Collect(int timeoutMs) {
    std::deque<Item*> ended;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !done_.empty(); });
        ended.swap(done_);
    }
    for (Item* item : ended) {
        item->watcher.join();
        --running_;
        const DWORD code = item->exitCode;
        if (code == DWORD(kExitOk)) {
            report_.Written(item->file, std::chrono::duration<double>(item->ended - item->started).count());
        } else if (code == DWORD(kExitCancelled)) {
            report_.Cancelled(item->file);
        } else {
            std::string why = WorkerReason(item->messages);
            if (why.empty()) {
                char status[64];
                // Codes from 0xC0000000 up are the system's: the worker crashed.
                if (code >= 0xC0000000u)
                    std::snprintf(status, sizeof status, "the worker ended with exception 0x%08lX",
                                  static_cast<unsigned long>(code));
                else
                    std::snprintf(status, sizeof status, "exit status %lu", static_cast<unsigned long>(code));
                why = status;
            }
            report_.Failed(item->file, why);
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
    std::error_code ignored;
    if (!std::filesystem::exists(batch.outDir, ignored) && !std::filesystem::create_directory(batch.outDir, ignored)) {
        std::fprintf(stderr, "rimelace: cannot create the output folder '%s'\n", batch.outDir.c_str());
        return kExitBadInput;
    }
    if (!sys::IsFolder(batch.outDir)) {
        std::fprintf(stderr, "rimelace: --out-dir '%s' is not a folder\n", batch.outDir.c_str());
        return kExitBadInput;
    }
    return Batch(batch).Run();
}

} // namespace rimelace_cli
