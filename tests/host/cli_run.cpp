// Runs the built program with pipes for its output.

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include "cli_run.h"

namespace rimelace_cli::testing {

namespace {

CliResult RunCommandWatched(const std::vector<std::string>& command, const CliWatch& watch) {
    if (command.empty()) return {};
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        close(outPipe[1]);
        close(errPipe[1]);
        if (!watch.folder.empty() && chdir(watch.folder.c_str()) != 0) _exit(127);
        if (watch.fileSizeLimit >= 0) {
            // Writes past the limit fail with EFBIG (the signal that would end the process is ignored).
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(watch.fileSizeLimit), rlim_t(watch.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        std::vector<std::string> copy = command;
        for (std::string& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    CliResult result;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (watch.poll) {
            // Still running (not yet a zombie)?
            siginfo_t info{};
            const bool running = waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
            if (running) {
                for (int n = watch.poll(); n > 0; --n) {
                    if (kill(pid, SIGINT) == 0) result.interrupted = true;
                    if (n > 1) usleep(20000);  // a person's second Ctrl-C comes a little later
                }
            }
        }
        if (poll(fds, 2, watch.poll ? 1 : -1) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, std::size_t(got));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

CliResult RunCliWatched(const std::vector<std::string>& args, const CliWatch& watch) {
    std::vector<std::string> command = {RIMELACE_CLI};
    command.insert(command.end(), args.begin(), args.end());
    return RunCommandWatched(command, watch);
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& folder, int interruptAfterMs) {
    std::vector<std::string> command = {RIMELACE_CLI};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(command, folder, interruptAfterMs);
}

CliResult RunProgram(const std::vector<std::string>& command, const std::string& folder, int interruptAfterMs) {
    CliWatch watch;
    watch.folder = folder;
    if (interruptAfterMs >= 0) {
        const auto start = std::chrono::steady_clock::now();
        auto sent = std::make_shared<bool>(false);
        watch.poll = [start, sent, interruptAfterMs] {
            if (*sent) return 0;
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            if (elapsed.count() < interruptAfterMs) return 0;
            *sent = true;
            return 1;
        };
    }
    return RunCommandWatched(command, watch);
}

int LineCount(const std::string& text) {
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    if (!text.empty() && text.back() != '\n') ++lines;
    return lines;
}

} // namespace rimelace_cli::testing
