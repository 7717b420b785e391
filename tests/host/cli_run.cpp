// Runs the built program with pipes for its output.

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include "cli_run.h"

namespace rimelace_cli::testing {

CliResult RunCli(const std::vector<std::string>& args, const std::string& folder, int interruptAfterMs) {
    std::vector<std::string> command = {RIMELACE_CLI};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(command, folder, interruptAfterMs);
}

CliResult RunProgram(const std::vector<std::string>& command, const std::string& folder, int interruptAfterMs) {
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
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        std::vector<std::string> copy = command;
        for (std::string& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(copy[0].c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    CliResult result;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    const auto start = std::chrono::steady_clock::now();
    bool pending = interruptAfterMs >= 0;
    while (open > 0) {
        int wait = -1;
        if (pending) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            wait = std::max(0, interruptAfterMs - int(elapsed.count()));
            if (wait == 0) {
                pending = false;
                // Still running (not yet a zombie) when the signal goes out?
                siginfo_t info{};
                const bool running =
                    waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
                result.interrupted = running && kill(pid, SIGINT) == 0;
                continue;
            }
        }
        if (poll(fds, 2, wait) <= 0) continue;
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

int LineCount(const std::string& text) {
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    if (!text.empty() && text.back() != '\n') ++lines;
    return lines;
}

} // namespace rimelace_cli::testing
