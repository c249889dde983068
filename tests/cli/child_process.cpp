#include "child_process.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace korvane::testing {
namespace {

// Starts argv with stdin coming from a pipe and stdout (and stderr, when err
// is given) going to pipes. The pipes are made close-on-exec, so no other
// program started meanwhile holds an end: a program's input ends when its
// writer closes it.
pid_t start(const std::vector<std::string>& argv, const Environment& env, const std::string& folder,
            int in[2], int out[2], int err[2]) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
        dup2(in[0], STDIN_FILENO);
        close(in[0]);
        close(in[1]);
        dup2(out[1], STDOUT_FILENO);
        if (err) dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        if (err) {
            close(err[0]);
            close(err[1]);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (err) close(err[1]);
    return pid;
}

bool readSome(int fd, std::string& into) {
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
}

} // namespace

Finished runProgram(const std::vector<std::string>& argv, const Environment& env,
                    const std::string& workingFolder, const std::string& input) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = start(argv, env, workingFolder, in, out, err);
    // Inputs of tests are small: they fit the pipe at once.
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0)
        throw std::runtime_error("cannot write the program's input");
    close(in[1]);
    Finished finished;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 1000) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            if (!readSome(fds[i].fd, i == 0 ? finished.out : finished.err)) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (open > 0) kill(pid, SIGKILL);
    for (const auto& f : fds)
        if (f.fd >= 0) close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

RunningProgram::RunningProgram(const std::vector<std::string>& argv, const Environment& env) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = start(argv, env, {}, in, out, nullptr);
    in_ = in[1];
    out_ = out[0];
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    closeInput();
    closeOutput();
}

void RunningProgram::writeInput(const std::string& text) {
    if (write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("cannot write the program's input");
}

void RunningProgram::closeInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

void RunningProgram::closeOutput() {
    if (out_ >= 0) close(out_);
    out_ = -1;
}

void RunningProgram::signal(int number) {
    kill(pid_, number);
}

int RunningProgram::wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunningProgram::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{out_, POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0 ||
            !readSome(out_, pending_))
            return {};
    }
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace korvane::testing
